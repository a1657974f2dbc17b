// SPDX-License-Identifier: MIT
// Starts a program and prints the milliseconds until its first top-level
// window is mapped on the X server, then leaves the program running and
// prints its process id on a second line.
//
//   map_time PROGRAM [ARGS...]
//
// Watching the root window's MapNotify events times the map itself, not the
// polling interval of a script.
#include <xcb/xcb.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/types.h>
#include <unistd.h>

extern char** environ; // NOLINT: the process environment, passed on to the child

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: map_time PROGRAM [ARGS...]\n", stderr);
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fputs("map_time: cannot open the display\n", stderr);
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    // Make sure the event mask is in force before the child starts.
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));

    // The program outlives this one, so it must not inherit our standard
    // output: whoever reads it (a script's $(...)) would wait for the program
    // to end before seeing the figures.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[1], &actions, nullptr, argv + 1, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        errno = spawned;
        std::perror("map_time: cannot start the program");
        return 1;
    }

    pollfd fd{xcb_get_file_descriptor(connection), POLLIN, 0};
    const auto deadline = start + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const bool mapped = (event->response_type & 0x7FU) == XCB_MAP_NOTIFY;
            std::free(event);
            if (mapped) {
                const auto elapsed = std::chrono::steady_clock::now() - start;
                std::printf("%.1f\n%d\n", std::chrono::duration<double, std::milli>(elapsed).count(),
                            static_cast<int>(pid));
                xcb_disconnect(connection);
                return 0;
            }
        }
        poll(&fd, 1, 100);
    }
    std::fputs("map_time: no window was mapped within 20 s\n", stderr);
    xcb_disconnect(connection);
    return 1;
}
