// SPDX-License-Identifier: MIT
#include "options.h"

#include <QByteArray>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

#include "startup.h"

namespace app {

std::optional<int> AnswerOptions(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
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
        const QCoreApplication core(count, argv);
        answer = parser.helpText().toLocal8Bit();
    } else if (parser.isSet(version)) {
        answer = QByteArray("kerubado ") + game::VersionText(game::ProgramVersion).c_str() + '\n';
    } else {
        return std::nullopt;
    }
    const bool written = std::fputs(answer.constData(), stdout) >= 0 && std::fflush(stdout) == 0;
    return written ? EXIT_SUCCESS : EXIT_FAILURE;
}

} // namespace app
