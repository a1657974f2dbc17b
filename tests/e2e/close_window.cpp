// Asks a window to close the way a window manager's close button does: a
// WM_DELETE_WINDOW message. The end-to-end test runs without a window manager,
// and destroying the window from outside would not be a close the program
// itself handles.
#include <xcb/xcb.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string_view>

namespace {

xcb_atom_t Atom(xcb_connection_t* connection, std::string_view name)
{
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.data());
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply); // NOLINT(cppcoreguidelines-no-malloc): xcb replies come from malloc
    return atom;
}

} // namespace

int main(int argc, char** argv)
{
    const std::span<char*> args(argv, static_cast<std::size_t>(argc));
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: close_window WINDOW-ID\n");
        return 2;
    }
    const auto window = static_cast<xcb_window_t>(std::strtoul(args[1], nullptr, 0));
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "close_window: cannot open the display\n");
        xcb_disconnect(connection);
        return 1;
    }
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = Atom(connection, "WM_PROTOCOLS");
    message.data.data32[0] = Atom(connection, "WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    // The protocol sends every event as exactly 32 bytes.
    std::array<char, 32> event{};
    static_assert(sizeof message == sizeof event);
    std::memcpy(event.data(), &message, event.size());
    const auto cookie = xcb_send_event_checked(connection, 0, window, XCB_EVENT_MASK_NO_EVENT, event.data());
    xcb_generic_error_t* error = xcb_request_check(connection, cookie);
    const bool sent = error == nullptr;
    std::free(error); // NOLINT(cppcoreguidelines-no-malloc)
    xcb_disconnect(connection);
    if (!sent) {
        std::fprintf(stderr, "close_window: no window %s\n", args[1]);
        return 1;
    }
    return 0;
}
