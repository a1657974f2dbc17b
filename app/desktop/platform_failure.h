// SPDX-License-Identifier: MIT
// Qt's platform plugins: whether Wayland's and its socket are there, and a platform failing
// to open, said in one line.
#pragma once

#include <QString>
#include <QtGlobal>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace desktop {

// What the user asked Qt to open: the platform named (empty for Qt's own
// choice) and the X display named with -display (empty for $DISPLAY).
struct PlatformWanted {
    std::string platform;
    std::string display;
};

// Whether WAYLAND_DISPLAY names a compositor's socket that exists.
[[nodiscard]] bool HasWaylandSocket();

// Whether Qt's Wayland platform plugin is where Qt looks for plugins.
[[nodiscard]] bool HasWaylandPlugin();

// While it lives, Qt's messages are held back and shown only when it ends,
// once Qt has opened its platform; Qt's fatal error, that no platform could
// be opened (several lines of advice and a core dump), becomes instead one
// line saying why and exit status 1. One at a time.
class PlatformAttempt {
public:
    explicit PlatformAttempt(PlatformWanted wanted);
    ~PlatformAttempt();

    PlatformAttempt(const PlatformAttempt&) = delete;
    PlatformAttempt& operator=(const PlatformAttempt&) = delete;
    PlatformAttempt(PlatformAttempt&&) = delete;
    PlatformAttempt& operator=(PlatformAttempt&&) = delete;

private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& message);
    static std::mutex& Lock();
    [[nodiscard]] std::string failure() const;

    // Qt takes a plain function as its message handler, so the attempt it
    // reports to can only be found here.
    static PlatformAttempt* current_; // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

    PlatformWanted wanted_;
    QtMessageHandler previous_ = nullptr;
    std::vector<std::pair<QtMsgType, QString>> held_;
};

} // namespace desktop
