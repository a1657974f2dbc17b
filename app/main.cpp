// SPDX-License-Identifier: MIT
// The program: one window, open until it is closed.
#include <QApplication>
#include <QByteArray>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "form1.h"
#include "startup.h"

namespace {

// --help and --version, answered on standard output before any display is
// looked for. Every other argument is Qt's (-platform, -display, ...) or
// ignored, so none of them is an error here.
std::optional<int> AnswerOptions(std::span<char*> args)
{
    QStringList arguments;
    for (const char* arg : args) {
        arguments << QString::fromLocal8Bit(arg);
    }
    QCommandLineParser parser;
    // Qt's one-dash words such as -platform or -reverse are not bundles of
    // one-letter options (-r -e -v ...).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Kerubado (%1), a small arcade shooter: the arrow keys move, Shift fires,\n"
                       "Enter starts a game. Qt's own options, such as -platform and -display,\n"
                       "are passed on to Qt.")
            .arg(QString::fromUtf8(game::Title)));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    parser.addOptions({help, version});
    parser.parse(arguments);

    QByteArray answer;
    if (parser.isSet(help)) {
        // The usage line names the program as it was started, which only an
        // application object knows; a core one needs no display.
        int count = 1;
        const QCoreApplication core(count, args.data());
        answer = parser.helpText().toLocal8Bit();
    } else if (parser.isSet(version)) {
        answer = "kerubado " KERUBADO_VERSION "\n";
    } else {
        return std::nullopt;
    }
    const bool written = std::fputs(answer.constData(), stdout) >= 0 && std::fflush(stdout) == 0;
    return written ? EXIT_SUCCESS : EXIT_FAILURE;
}

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

// The platform the user named: -platform, else QT_QPA_PLATFORM; empty when
// neither names one.
std::string NamedPlatform(std::span<char*> args)
{
    const char* option = QtOption(args, "-platform");
    std::string platform = option != nullptr ? option : "";
    if (platform.empty() && IsSet("QT_QPA_PLATFORM")) {
        platform = std::getenv("QT_QPA_PLATFORM");
    }
    return platform;
}

// Whether Qt will go for the X server: it does for a named xcb, and when no
// platform is named, unless this is a Wayland session without X, which is
// Qt's to handle (or to refuse).
bool WillUseXcb(const std::string& platform)
{
    if (platform.empty()) {
        return IsSet("DISPLAY") || !IsSet("WAYLAND_DISPLAY");
    }
    return platform.starts_with("xcb");
}

// Without an X server Qt aborts with a core dump and several lines of advice;
// a missing display is an ordinary user error, so say so in one line instead.
// Empty when the display can be opened; the connection that found out is then
// left in `probe`, for the caller to close once Qt has connected (see main).
std::string DisplayProblem(std::span<char*> args, xcb_connection_t*& probe)
{
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

// Where Qt's own platform could not be created. Set while it is being tried.
struct PlatformAttempt {
    std::string platform;                                    // as the user named it; empty for Qt's choice
    std::vector<std::pair<QtMsgType, QString>> heldMessages; // shown only if it works
};

PlatformAttempt*& CurrentAttempt()
{
    static PlatformAttempt* attempt = nullptr;
    return attempt;
}

// Whether Qt's Wayland platform plugin is where Qt looks for plugins.
bool HasWaylandPlugin()
{
    QStringList folders = QCoreApplication::libraryPaths();
    for (QString& folder : folders) {
        folder += QStringLiteral("/platforms");
    }
    folders << qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH");
    return std::any_of(folders.begin(), folders.end(), [](const QString& folder) {
        return !folder.isEmpty() &&
               !QDir(folder).entryList({QStringLiteral("libqwayland-*.so")}, QDir::Files).isEmpty();
    });
}

// In a Wayland session without X, what Qt would fail on (in several lines
// and a core dump), where that can be told beforehand; empty otherwise.
std::string WaylandProblem()
{
    const QString name = qEnvironmentVariable("WAYLAND_DISPLAY");
    const QString socket =
        QDir::isAbsolutePath(name) ? name : qEnvironmentVariable("XDG_RUNTIME_DIR") + u'/' + name;
    if (!QFileInfo::exists(socket)) {
        return "cannot open a display (DISPLAY is not set, and there is no Wayland display \"" +
               name.toStdString() + "\")";
    }
    if (!HasWaylandPlugin()) {
        return "cannot open a display (DISPLAY is not set, and Qt's Wayland platform plugin is not "
               "installed: it is in the package qt6-wayland)";
    }
    return {};
}

// While Qt creates its platform: its warnings are held back, and its fatal
// error (several lines of advice, then a core dump) becomes one line and
// status 1, as for a missing X display.
void HoldPlatformMessages(QtMsgType type, const QMessageLogContext& /*context*/, const QString& message)
{
    PlatformAttempt* const attempt = CurrentAttempt();
    if (type == QtFatalMsg) {
        const std::string& platform = attempt->platform;
        std::fprintf(stderr, "kerubado: %s\n",
                     platform.empty() ? "cannot open a display (no Qt platform plugin could be used)"
                                      : ("cannot use the Qt platform \"" + platform + "\"").c_str());
        std::_Exit(EXIT_FAILURE);
    }
    attempt->heldMessages.emplace_back(type, message);
}

// Creates the application object of type App with Qt's platform, as above.
template <typename App> std::unique_ptr<App> OpenPlatform(const std::string& platform, int& argc, char** argv)
{
    PlatformAttempt attempt{platform, {}};
    CurrentAttempt() = &attempt;
    const QtMessageHandler previous = qInstallMessageHandler(HoldPlatformMessages);
    auto app = std::make_unique<App>(argc, argv);
    qInstallMessageHandler(previous);
    CurrentAttempt() = nullptr;
    for (const auto& [type, message] : attempt.heldMessages) {
        qt_message_output(type, QMessageLogContext(), message);
    }
    return app;
}

// What Qt, as it is set up now, makes of the main screen: device pixels per
// pixel, the free area in device pixels, and whether this is Wayland.
struct ScreenSeen {
    double ratio = 1.0;
    QSize available;
    bool wayland = false;
};

// Qt takes its own options out of the arguments it is given, so it gets a copy.
ScreenSeen ProbeScreen(const std::string& platform, int argc, char** argv)
{
    std::vector<char*> arguments(argv, argv + argc + 1);
    int count = argc;
    const auto probe = OpenPlatform<QGuiApplication>(platform, count, arguments.data());
    ScreenSeen seen;
    seen.wayland = QGuiApplication::platformName() == u"wayland";
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        seen.ratio = screen->devicePixelRatio();
        seen.available = (QSizeF(screen->availableGeometry().size()) * seen.ratio).toSize();
    }
    return seen;
}

// The game is drawn at a whole factor: Qt is asked once for the desktop's own
// scale, unrounded and with whatever QT_SCALE_FACTOR or
// QT_SCREEN_SCALE_FACTORS the user set, and for the screen's free area; then
// Qt's own scaling is replaced by the whole factor that fits, so that every
// pixel of the field becomes n x n pixels, never a blurred or uneven fraction.
// On Wayland the compositor's own whole scale applies whatever Qt is told; a
// second probe finds it, so that it is not applied twice.
// Returns whether Qt is then left with a fraction to map the window's pixels
// by (a Wayland output scaled further than the window can be and still fit).
bool UseWholeScaleFactor(const std::string& platform, int argc, char** argv)
{
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    const ScreenSeen desktop = ProbeScreen(platform, argc, argv);
    const int factor = ui::FittingScale(desktop.ratio, desktop.available);
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    qunsetenv("QT_SCALE_FACTOR");
    const double own = desktop.wayland ? ProbeScreen(platform, argc, argv).ratio : 1.0;
    qputenv("QT_SCALE_FACTOR", QByteArray::number(factor / own));
    return factor / own != std::floor(factor / own);
}

} // namespace

int main(int argc, char* argv[])
{
    const std::span args(argv, static_cast<std::size_t>(argc));
    if (const std::optional<int> status = AnswerOptions(args)) {
        return *status;
    }
    std::string platform = NamedPlatform(args);
    xcb_connection_t* probe = nullptr;
    if (WillUseXcb(platform)) {
        if (const std::string problem = DisplayProblem(args, probe); !problem.empty()) {
            std::fprintf(stderr, "kerubado: %s\n", problem.c_str());
            return 1;
        }
        // In a Wayland session Qt tries its Wayland plugin first and, when
        // that is not installed, says so on every start before it falls back
        // to X. The X server is known to answer: go there directly.
        if (platform.empty()) {
            platform = "xcb";
            qputenv("QT_QPA_PLATFORM", platform.c_str());
        }
    } else if (platform.empty()) {
        if (const std::string problem = WaylandProblem(); !problem.empty()) {
            std::fprintf(stderr, "kerubado: %s\n", problem.c_str());
            return 1;
        }
    }
    const bool fractionalMapping = UseWholeScaleFactor(platform, argc, argv);
    // The menu entry's name: compositors find the icon through it. Set after
    // the probes, whose end clears it.
    QGuiApplication::setDesktopFileName(QStringLiteral(KERUBADO_APP_ID));
    const auto app = OpenPlatform<QApplication>(platform, argc, argv);
    // Closed only now that Qt has its own connection: an X server whose last
    // client leaves resets itself, and Qt connecting during that reset would
    // fail and abort. With nothing else on the server (a bare Xvfb, or xinit
    // running just the game) that client would have been the probe.
    if (probe != nullptr) {
        xcb_disconnect(probe);
    }
    ui::Form1 form;
    form.setWholeFrameRepaints(fractionalMapping);
    form.show();
    form.raise();
    form.activateWindow();
    return QApplication::exec();
}
