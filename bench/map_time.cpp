// SPDX-License-Identifier: MIT
// map_time PROGRAM [ARGS...]: starts the program, prints the milliseconds until the X server maps its
// first window (the MapNotify itself, not a script's polling) and its process id, and leaves it running.
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

int main(int argc, char** argv)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (argc < 2 || xcb_connection_has_error(connection) != 0) {
        std::fputs("usage: map_time PROGRAM [ARGS...], with a display\n", stderr);
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    // Checked, so that the mask is in force before the program starts.
    std::free(xcb_request_check(
        connection, xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &mask)));

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[1], nullptr, nullptr, argv + 1, environ) != 0) {
        std::perror("map_time");
        return 1;
    }
    alarm(20); // no window by then: give up
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        const bool mapped = (event->response_type & 0x7FU) == XCB_MAP_NOTIFY;
        std::free(event);
        if (mapped) {
            const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - start;
            std::printf("%.1f\n%d\n", ms.count(), static_cast<int>(pid));
            return 0;
        }
    }
    return 1;
}
