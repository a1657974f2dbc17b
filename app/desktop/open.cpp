// SPDX-License-Identifier: MIT
// Qt opened at a whole scale factor: once where the desktop's own scale
// already is one that fits, again where it must be changed.
#include <QByteArray>
#include <QGuiApplication>
#include <QScreen>
#include <QSizeF>

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "desktop.h"
#include "platform_failure.h"

namespace desktop {
namespace {

// The value of Qt's own "-name value" (or "--name value") option, if given.
std::string QtOption(int argc, char** argv, std::string_view name)
{
    for (int i = 1; i + 1 < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg.starts_with("--")) {
            arg.remove_prefix(1);
        }
        if (arg == name) {
            return argv[i + 1];
        }
    }
    return {};
}

// What the user named: -platform, else QT_QPA_PLATFORM; where they named
// none, X is set as Qt's choice when it is available
// (also through XWayland): in a Wayland session Qt would try its Wayland
// plugin first, and without it say so on every start.
PlatformWanted ChoosePlatform(int argc, char** argv)
{
    PlatformWanted wanted{QtOption(argc, argv, "-platform"), QtOption(argc, argv, "-display")};
    if (wanted.platform.empty()) {
        wanted.platform = qgetenv("QT_QPA_PLATFORM").toStdString();
    }
    if (wanted.platform.empty() && !qEnvironmentVariableIsEmpty("DISPLAY")) {
        wanted.platform = "xcb";
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    return wanted;
}

std::unique_ptr<QApplication> Create(int& argc, char** argv, const PlatformWanted& wanted)
{
    const PlatformAttempt attempt(wanted);
    return std::make_unique<QApplication>(argc, argv);
}

// Device pixels per pixel on the main screen, and its free area in device pixels.
struct Screen {
    double ratio = 1.0;
    QSize available;
};

Screen MainScreen()
{
    Screen seen;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        seen.ratio = screen->devicePixelRatio();
        seen.available = (QSizeF(screen->availableGeometry().size()) * seen.ratio).toSize();
    }
    return seen;
}

} // namespace

Application Open(int& argc, char** argv, QSize content)
{
    // Qt takes its own options out of argv; a second start needs them back.
    const std::vector<char*> arguments(argv, argv + argc + 1);
    const int count = argc;
    const PlatformWanted wanted = ChoosePlatform(argc, argv);
    // The desktop's scale unrounded, with whatever QT_SCALE_FACTOR or
    // QT_SCREEN_SCALE_FACTORS the user set.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    Application opened{Create(argc, argv, wanted)};
    const Screen desktop = MainScreen();
    const int factor = FittingScale(desktop.ratio, desktop.available, content);
    if (desktop.ratio != factor) {
        // Qt's own scaling is replaced by the whole factor, so that every
        // pixel of the field becomes n x n pixels, never a blurred fraction.
        // On Wayland the compositor's own whole scale applies whatever Qt is
        // told, and must not be applied twice: without the user's factors the
        // desktop's scale is that; with them, a third start finds it.
        const bool wayland = QGuiApplication::platformName() == u"wayland";
        const bool userScaled = !qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR") ||
                                !qEnvironmentVariableIsEmpty("QT_SCREEN_SCALE_FACTORS");
        const auto restart = [&] {
            opened.app.reset();
            std::copy(arguments.begin(), arguments.end(), argv);
            argc = count;
            opened.app = Create(argc, argv, wanted);
        };
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
        qunsetenv("QT_SCREEN_SCALE_FACTORS");
        qunsetenv("QT_SCALE_FACTOR");
        double own = wayland ? desktop.ratio : 1.0;
        bool scaled = false; // whether the application now open is drawn at the factor
        if (wayland && userScaled) {
            restart();
            own = MainScreen().ratio;
            scaled = own == factor;
        }
        if (!scaled) {
            qputenv("QT_SCALE_FACTOR", QByteArray::number(factor / own));
            restart();
        }
        opened.fractionalMapping = factor / own != std::floor(factor / own);
    }
    // The menu entry's name: compositors find the icon through it. Set on the
    // application that stays, since the end of one clears it.
    QGuiApplication::setDesktopFileName(QStringLiteral(KERUBADO_APP_ID));
    return opened;
}

} // namespace desktop
