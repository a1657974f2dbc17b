// SPDX-License-Identifier: MIT
#include "platform_failure.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "fault.h"
#include "x11.h"

namespace desktop {
namespace {

bool IsSet(const char* variable)
{
    return !qEnvironmentVariableIsEmpty(variable);
}

} // namespace

bool HasWaylandSocket()
{
    const QString name = qEnvironmentVariable("WAYLAND_DISPLAY");
    return !name.isEmpty() && QFileInfo::exists(QDir::isAbsolutePath(name)
                                                    ? name
                                                    : qEnvironmentVariable("XDG_RUNTIME_DIR") + u'/' + name);
}

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

namespace {

// Where a Wayland session without X could not be used: the compositor's
// socket is missing, or Qt's plugin for it.
std::string WaylandFailure()
{
    if (!HasWaylandSocket()) {
        return "cannot open a display (DISPLAY is not set, and there is no Wayland display \"" +
               qEnvironmentVariable("WAYLAND_DISPLAY").toStdString() + "\")";
    }
    if (!HasWaylandPlugin()) {
        return "cannot open a display (DISPLAY is not set, and Qt's Wayland platform plugin is not "
               "installed: it is in the package qt6-wayland)";
    }
    return "cannot open a display (no Qt platform plugin could be used)";
}

} // namespace

PlatformAttempt* PlatformAttempt::current_ =
    nullptr; // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

std::mutex& PlatformAttempt::Lock()
{
    static std::mutex lock;
    return lock;
}

PlatformAttempt::PlatformAttempt(PlatformWanted wanted) : wanted_(std::move(wanted))
{
    {
        const std::lock_guard guard(Lock());
        current_ = this;
    }
    previous_ = qInstallMessageHandler(&PlatformAttempt::Handle);
}

PlatformAttempt::~PlatformAttempt()
{
    qInstallMessageHandler(previous_);
    {
        const std::lock_guard guard(Lock());
        current_ = nullptr;
    }
    for (const auto& [type, message] : held_) {
        qt_message_output(type, QMessageLogContext(), message);
    }
}

// Qt's messages may come from any thread.
void PlatformAttempt::Handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const std::lock_guard guard(Lock());
    if (current_ == nullptr) { // a message from another thread as the attempt ends
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
        return;
    }
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s%s\n", std::string(game::ErrorPrefix).c_str(), current_->failure().c_str());
        std::_Exit(EXIT_FAILURE);
    }
    current_->held_.emplace_back(type, message);
}

// Why Qt gave up, from what was asked of it and what the system has: asked
// only now, so that a start that works pays for none of it.
std::string PlatformAttempt::failure() const
{
    const std::string& platform = wanted_.platform;
    // X was tried where it was named, where there is no Wayland session, or
    // as the fallback after Wayland.
    const bool xTried =
        platform.starts_with("xcb") ||
        (platform.empty() && (!IsSet("WAYLAND_DISPLAY") || qgetenv("QT_QPA_PLATFORM").contains("xcb")));
    if (xTried) {
        const std::string display =
            !wanted_.display.empty() ? wanted_.display : qgetenv("DISPLAY").toStdString();
        if (display.empty()) {
            return "cannot open a display (DISPLAY is not set)";
        }
        if (!x11::Answers(display)) {
            return "cannot open display \"" + display + "\"";
        }
    }
    if (platform.empty()) {
        return WaylandFailure();
    }
    return "cannot use the Qt platform \"" + platform + "\"";
}

} // namespace desktop
