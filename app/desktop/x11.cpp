// SPDX-License-Identifier: MIT
// The X11 protocol, spoken through xcb: the only file that does.
#include "x11.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QObject>
#include <QWidget>

#include <xcb/xcb.h>
// xkb.h names a struct field `explicit`, a C++ keyword; it is never used here.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wkeyword-macro"
#endif
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace desktop::x11 {
namespace {

// This program's connection to the X server; null on other platforms.
xcb_connection_t* Connection()
{
    const auto* x11 = qApp != nullptr ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

// Watches Qt's X events for the window's DestroyNotify. Where Qt destroys a
// window itself, as the program ends or to make it anew, the widget no
// longer has that id by then; one that comes while the window still has it is
// another client's doing: a session tool, or a window manager gone wrong.
// The window is gone for good, and so is the game.
class DestroyWatch final : public QObject, public QAbstractNativeEventFilter {
public:
    explicit DestroyWatch(QWidget& window) : QObject(&window), window_(window)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* /*result*/) override
    {
        if (type == "xcb_generic_event_t") {
            const auto* event = static_cast<const xcb_generic_event_t*>(message);
            constexpr std::uint8_t SentByClient = 0x80;
            // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): xcb's events share one header
            const auto* destroyed = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
            if ((event->response_type & ~SentByClient) == XCB_DESTROY_NOTIFY &&
                destroyed->window == window_.internalWinId()) {
                QCoreApplication::exit(EXIT_SUCCESS);
            }
        }
        return false;
    }

private:
    QWidget& window_;
};

} // namespace

bool IsX11()
{
    return Connection() != nullptr;
}

bool Answers(const std::string& display)
{
    xcb_connection_t* connection = xcb_connect(display.empty() ? nullptr : display.c_str(), nullptr);
    const bool answered = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answered;
}

// Qt's own Motif hints ask for a resizable window even when its size is
// fixed, and several window managers then offer to minimise, maximise or
// resize it.
void AskForMoveAndCloseOnly(QWidget& window)
{
    xcb_connection_t* connection = Connection();
    enum : std::uint32_t { Functions = 1U, Decorations = 2U };    // which fields count
    enum : std::uint32_t { Move = 4U, Close = 32U };              // functions
    enum : std::uint32_t { Border = 2U, Title = 8U, Menu = 16U }; // decorations
    const std::array<std::uint32_t, 5> hints{Functions | Decorations, Move | Close, Border | Title | Menu, 0,
                                             0};
    constexpr std::string_view name = "_MOTIF_WM_HINTS";
    const auto cookie = xcb_intern_atom(connection, 0, name.size(), name.data());
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (atom != nullptr) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window.winId()),
                            atom->atom, atom->atom, 32, hints.size(), hints.data());
        xcb_flush(connection);
    }
    std::free(atom); // NOLINT(cppcoreguidelines-no-malloc): xcb allocates replies with malloc
}

// Only this client's flag changes; the server's auto-repeat stays as the user
// set it. Nothing waits for the answer: a server without the flag just sends
// the pairs, which the window also tells apart.
void EnableDetectableAutoRepeat()
{
    xcb_connection_t* connection = Connection();
    const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(connection, &xcb_xkb_id);
    if (xkb == nullptr || xkb->present == 0) {
        return;
    }
    constexpr auto flag = static_cast<std::uint32_t>(XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT);
    const auto cookie = xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0);
    xcb_discard_reply(connection, cookie.sequence);
    xcb_flush(connection);
}

void EndWhenDestroyed(QWidget& window)
{
    new DestroyWatch(window); // owned by the window
}

} // namespace desktop::x11
