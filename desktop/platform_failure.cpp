// SPDX-License-Identifier: MIT
#include "platform_failure.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "fault.h"

namespace desktop {
namespace {

bool IsSet(const char* variable)
{
    return !qEnvironmentVariableIsEmpty(variable);
}

// Where a Wayland session without X could not be used: the compositor's
// socket is missing, or Qt's plugin for it.
std::string WaylandFailure(bool pluginMissing)
{
    const QString name = qEnvironmentVariable("WAYLAND_DISPLAY");
    const QString socket =
        QDir::isAbsolutePath(name) ? name : qEnvironmentVariable("XDG_RUNTIME_DIR") + u'/' + name;
    if (!QFileInfo::exists(socket)) {
        return "cannot open a display (DISPLAY is not set, and there is no Wayland display \"" +
               name.toStdString() + "\")";
    }
    if (pluginMissing) {
        return "cannot open a display (DISPLAY is not set, and Qt's Wayland platform plugin is not "
               "installed: it is in the package qt6-wayland)";
    }
    return "cannot open a display (no Qt platform plugin could be used)";
}

} // namespace

PlatformAttempt* PlatformAttempt::current_ = nullptr;

PlatformAttempt::PlatformAttempt(PlatformWanted wanted)
    : wanted_(std::move(wanted)), previous_(qInstallMessageHandler(&PlatformAttempt::Handle))
{
    current_ = this;
}

PlatformAttempt::~PlatformAttempt()
{
    qInstallMessageHandler(previous_);
    current_ = nullptr;
    for (const auto& [type, message] : held_) {
        qt_message_output(type, QMessageLogContext(), message);
    }
}

void PlatformAttempt::Handle(QtMsgType type, const QMessageLogContext& /*context*/, const QString& message)
{
    current_->held_.emplace_back(type, message);
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s%s\n", std::string(game::ErrorPrefix).c_str(), current_->failure().c_str());
        std::_Exit(EXIT_FAILURE);
    }
}

// Why Qt gave up, from what was asked of it and what it said on the way.
std::string PlatformAttempt::failure() const
{
    const auto said = [this](const char* words) {
        return std::any_of(held_.begin(), held_.end(),
                           [words](const auto& held) { return held.second.contains(QLatin1String(words)); });
    };
    const std::string& platform = wanted_.platform;
    if (platform.starts_with("xcb") || (platform.empty() && !IsSet("WAYLAND_DISPLAY"))) {
        const std::string display =
            !wanted_.display.empty() ? wanted_.display : qgetenv("DISPLAY").toStdString();
        if (display.empty()) {
            return "cannot open a display (DISPLAY is not set)";
        }
        if (said("could not connect to display")) {
            return "cannot open display \"" + display + "\"";
        }
    }
    if (platform.empty()) {
        return WaylandFailure(said("Could not find the Qt platform plugin \"wayland"));
    }
    return "cannot use the Qt platform \"" + platform + "\"";
}

} // namespace desktop
