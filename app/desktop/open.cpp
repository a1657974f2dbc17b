// SPDX-License-Identifier: MIT
// Qt opened at a whole scale factor: once where the desktop's own scale
// already is one that fits, again where it must be changed.
#include <QByteArray>
#include <QGuiApplication>
#include <QScreen>
#include <QSizeF>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "desktop.h"
#include "known_warnings.h"
#include "platform_failure.h"
#include "wayland.h"

namespace desktop {
namespace {

// Qt's own scaling takes fractional Wayland scales from this version on;
// before it, a compositor's fraction could only be reached by resampling.
constexpr bool QtTakesFractionalScales = QT_VERSION >= QT_VERSION_CHECK(6, 5, 0);

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

// What the user named: -platform, else QT_QPA_PLATFORM. Where they named
// none, a Wayland session is drawn natively where Qt can take its scale,
// fractions included, since compositors enlarge X clients by resampling
// them; else X is Qt's choice when it is available (also through
// XWayland): Qt would try its Wayland plugin first, and without it say so on
// every start.
PlatformWanted ChoosePlatform(int argc, char** argv)
{
    PlatformWanted wanted{QtOption(argc, argv, "-platform"), QtOption(argc, argv, "-display")};
    if (wanted.platform.empty()) {
        wanted.platform = qgetenv("QT_QPA_PLATFORM").toStdString();
    }
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY") || !wanted.display.empty();
    if (wanted.platform.empty() && wanted.display.empty() && QtTakesFractionalScales && HasWaylandSocket() &&
        HasWaylandPlugin()) {
        qputenv("QT_QPA_PLATFORM", x11 ? "wayland;xcb" : "wayland");
    } else if (wanted.platform.empty() && x11) {
        wanted.platform = "xcb";
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    // The game takes no text, and its window turns input methods away: Qt's
    // Wayland text-input client would only warn of a surface it never saw
    // as the window closes (mutter).
    if (!qEnvironmentVariableIsSet("QT_WAYLAND_DISABLED_INTERFACES")) {
        qputenv("QT_WAYLAND_DISABLED_INTERFACES",
                "zwp_text_input_manager_v1,zwp_text_input_manager_v2,zwp_text_input_manager_v3,"
                "zwp_text_input_manager_v4,qt_text_input_method_manager_v1");
    }
    return wanted;
}

std::unique_ptr<QApplication> Create(int& argc, char** argv, const PlatformWanted& wanted)
{
    const PlatformAttempt attempt(wanted);
    return std::make_unique<QApplication>(argc, argv);
}

bool UserScaled()
{
    return !qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR") ||
           !qEnvironmentVariableIsEmpty("QT_SCREEN_SCALE_FACTORS");
}

void ForgetUserScale()
{
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    qunsetenv("QT_SCALE_FACTOR");
}

// Qt's factor, written so that Qt reads back the very double: six digits
// would leave the product with the compositor's scale a hair off whole.
QByteArray Exactly(double factor)
{
    return QByteArray::number(factor, 'g', std::numeric_limits<double>::max_digits10);
}

// Every screen as Qt sees it with the scales the desktop and the user ask for.
std::vector<Screen> Screens()
{
    std::vector<Screen> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const double ratio = screen->devicePixelRatio();
        screens.push_back({ratio, (QSizeF(screen->availableGeometry().size()) * ratio).toSize()});
    }
    return screens;
}

// Starts Qt anew with the arguments it was first given.
class Restarter {
public:
    Restarter(int& argc, char** argv, PlatformWanted wanted)
        : argc_(argc), argv_(argv), arguments_(argv, argv + argc + 1), count_(argc),
          wanted_(std::move(wanted))
    {
    }

    void operator()(Application& opened) const
    {
        opened.app.reset();
        // Qt takes its own options out of argv; a second start needs them back.
        std::copy(arguments_.begin(), arguments_.end(), argv_);
        argc_ = count_;
        opened.app = Create(argc_, argv_, wanted_);
    }

    [[nodiscard]] const PlatformWanted& wanted() const { return wanted_; }

private:
    int& argc_;
    char** argv_;
    std::vector<char*> arguments_;
    int count_;
    PlatformWanted wanted_;
};

// On X11 one factor serves every screen, so that a window moved between
// them keeps its size and its whole pixels: Qt's own scaling is replaced by
// it wherever a screen would be drawn at another.
void OpenOnX11(Application& opened, const Restarter& restart, QSize content)
{
    const std::vector<Screen> screens = Screens();
    const int factor = FittingScale(screens, content);
    if (std::all_of(screens.begin(), screens.end(),
                    [factor](const Screen& screen) { return screen.scale == factor; })) {
        return;
    }
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    ForgetUserScale();
    qputenv("QT_SCALE_FACTOR", Exactly(factor));
    restart(opened);
}

// On Wayland the compositor's scale always applies, whatever Qt is told, so
// Qt is told only what takes it to the whole factor. Where that scale already
// is the factor, Qt follows each output's scale as the window moves.
void OpenOnWayland(Application& opened, const Restarter& restart, QSize content)
{
    DropStaleRatioWarnings();
    if (QGuiApplication::primaryScreen() == nullptr) {
        return; // no output to fit yet: Qt's own scale
    }
    double user = 1.0;
    if (UserScaled()) {
        // The compositor's own scale shows only without the user's factors.
        const double asked = QGuiApplication::primaryScreen()->devicePixelRatio();
        ForgetUserScale();
        restart(opened);
        if (QGuiApplication::primaryScreen() == nullptr) {
            return;
        }
        user = asked / QGuiApplication::primaryScreen()->devicePixelRatio();
    }
    const QScreen& primary = *QGuiApplication::primaryScreen();
    const std::optional<double> fraction = wayland::FractionalScale(primary);
    const double own = fraction.value_or(primary.devicePixelRatio());
    const QSize available = (QSizeF(primary.availableGeometry().size()) * own).toSize();
    const int factor = FittingScale(own * user, available, content);
    if (factor == own) {
        return; // Qt, without the user's factors by now, already draws at it
    }
    opened.surfaceScale = factor / own;
    // Where a window pixel is not a whole number of the compositor's, a
    // repaint of part of the window leaves streaks: sway and mutter redraw
    // less of the output than changed.
    opened.fractionalMapping = opened.surfaceScale != std::floor(opened.surfaceScale);
    ForgetUserScale();
    qputenv("QT_SCALE_FACTOR", Exactly(opened.surfaceScale));
    restart(opened);
}

} // namespace

Application Open(int& argc, char** argv, QSize content)
{
    const Restarter restart(argc, argv, ChoosePlatform(argc, argv));
    // The desktop's scale unrounded, with whatever QT_SCALE_FACTOR or
    // QT_SCREEN_SCALE_FACTORS the user set.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    Application opened{Create(argc, argv, restart.wanted())};
    if (QGuiApplication::platformName().startsWith(u"wayland")) {
        OpenOnWayland(opened, restart, content);
    } else {
        OpenOnX11(opened, restart, content);
    }
    // The menu entry's name: compositors find the icon through it. Set on the
    // application that stays, since the end of one clears it.
    QGuiApplication::setDesktopFileName(QStringLiteral(KERUBADO_APP_ID));
    return opened;
}

} // namespace desktop
