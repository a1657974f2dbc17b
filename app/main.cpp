// SPDX-License-Identifier: MIT
// The program: one window, open until it is closed.
#include <QApplication>
#include <QByteArray>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "form1.h"

namespace {

// The value of Qt's own "-name value" (or "--name value") option, if given.
const char* QtOption(std::span<char*> args, std::string_view name)
{
    for (std::size_t i = 1; i + 1 < args.size(); ++i) {
        std::string_view arg = args[i];
        if (arg.starts_with("--")) {
            arg.remove_prefix(1);
        }
        if (arg == name) {
            return args[i + 1];
        }
    }
    return nullptr;
}

bool IsSet(const char* variable)
{
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

// Whether Qt will go for the X server: its platform is chosen by -platform,
// then QT_QPA_PLATFORM, and is xcb when neither names one.
bool WillUseXcb(std::span<char*> args)
{
    const char* option = QtOption(args, "-platform");
    std::string platform = option != nullptr ? option : "";
    if (platform.empty() && IsSet("QT_QPA_PLATFORM")) {
        platform = std::getenv("QT_QPA_PLATFORM");
    }
    if (platform.empty()) {
        // A Wayland session without X is Qt's to handle (or to refuse).
        return IsSet("DISPLAY") || !IsSet("WAYLAND_DISPLAY");
    }
    return platform.rfind("xcb", 0) == 0;
}

// Without an X server Qt aborts with a core dump and several lines of advice;
// a missing display is an ordinary user error, so say so in one line instead.
// Empty when the display can be opened; the connection that found out is then
// left in `probe`, for the caller to close once Qt has connected (see main).
std::string DisplayProblem(std::span<char*> args, xcb_connection_t*& probe)
{
    if (!WillUseXcb(args)) {
        return {};
    }
    const char* display = QtOption(args, "-display");
    if (display == nullptr && !IsSet("DISPLAY")) {
        return "cannot open a display (DISPLAY is not set)";
    }
    xcb_connection_t* connection = xcb_connect(display, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return std::string("cannot open display \"") +
               (display != nullptr ? display : std::getenv("DISPLAY")) + "\"";
    }
    probe = connection;
    return {};
}

} // namespace

int main(int argc, char* argv[])
{
    xcb_connection_t* probe = nullptr;
    if (const std::string problem = DisplayProblem(std::span(argv, static_cast<std::size_t>(argc)), probe);
        !problem.empty()) {
        std::fprintf(stderr, "kerubado: %s\n", problem.c_str());
        return 1;
    }
    // Fractional scale factors would resample the frame; whole ones only
    // enlarge its pixels.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication app(argc, argv);
    // Closed only now that Qt has its own connection: an X server whose last
    // client leaves resets itself, and Qt connecting during that reset would
    // fail and abort. With nothing else on the server (a bare Xvfb, or xinit
    // running just the game) that client would have been the probe.
    if (probe != nullptr) {
        xcb_disconnect(probe);
    }
    ui::Form1 form;
    form.show();
    form.raise();
    form.activateWindow();
    return QApplication::exec();
}
