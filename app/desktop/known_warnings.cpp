// SPDX-License-Identifier: MIT
#include "known_warnings.h"

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <cstdio>

namespace desktop {
namespace {

// Qt takes a plain function as its message handler, so the one it replaced
// can only be kept here.
// Atomic: Qt's threads may report while it is being installed.
std::atomic<QtMessageHandler> previous =
    nullptr; // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

void Handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(u"The cached device pixel ratio value was stale")) {
        return;
    }
    if (const QtMessageHandler handler = previous.load(); handler != nullptr) {
        handler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

} // namespace

void DropStaleRatioWarnings()
{
    previous.store(qInstallMessageHandler(&Handle));
}

} // namespace desktop
