#include "app/CommandLine.h"

#include "platform/BuildInfo.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

CommandLine CommandLine::parse(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lettergate: a keyboard-driven window switcher with clipboard history, snippets, quick links and commands."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version and exit."));
    parser.addOption(help);
    parser.addOption(version);

    CommandLine result;
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "lettergate: %s\nTry 'lettergate --help'.\n", qUtf8Printable(parser.errorText()));
        result.exitCode = 64;
        return result;
    }
    if (parser.isSet(version)) {
        std::printf("Lettergate %s\n", BuildInfo::version);
        result.exitCode = 0;
    } else if (parser.isSet(help)) {
        std::printf("%s", qUtf8Printable(parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("lettergate"))));
        result.exitCode = 0;
    }
    return result;
}
