#include "app/CommandLine.h"

#include "app/RequestProtocol.h"
#include "platform/BuildInfo.h"

#include <QCommandLineParser>
#include <QStringList>
#include <cstdio>

namespace lettergate {

namespace {

// Status for a command line we cannot use (sysexits' EX_USAGE).
constexpr int usageError = 64;

const char *verbHelp = R"(
Verbs (each asks the running Lettergate and exits; status 1 when none is running
or it refuses the request):
  toggle    open the panel, or close it when it is open (bind this to a key in
            a window manager or compositor where Lettergate cannot grab keys)
  tap MODIFIER
            report a bare tap of super, ctrl, alt or shift: two within 0.3 s open
            the panel when the trigger is a double tap of that modifier (bind it to
            the modifier's release on Wayland, where Lettergate cannot hear keys)
  show      open the panel
  settings  open the settings window (also what starting Lettergate again does)
  windows   print the windows as the panel would show them, one per line:
            letter, application, window number, window id, title, separated by
            tabs ("-" for an application without a letter)
  quit      quit Lettergate
Without a verb Lettergate starts; if it already runs, its settings window opens.

Exit status:
  0         done
  1         Lettergate is not running or refused the request, or could not start
  2         no usable display to start on
  64        a command line it cannot use

The files, the environment variables and examples of key bindings: man lettergate
)";

int usage(const QString &problem)
{
    std::fprintf(stderr, "lettergate: %s\nTry 'lettergate --help'.\n", qUtf8Printable(problem));
    return usageError;
}

} // namespace

CommandLine CommandLine::parse(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Lettergate: a keyboard-driven window switcher with clipboard history, snippets, quick links and commands."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("verb"), QStringLiteral("One of the verbs below (optional)."),
                                 QStringLiteral("[verb [modifier]]"));

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.exitCode = usage(parser.errorText());
        return result;
    }
    if (parser.isSet(version)) {
        std::printf("Lettergate %s\n", BuildInfo::version);
        result.exitCode = 0;
        return result;
    }
    if (parser.isSet(help)) {
        QString text = parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("lettergate"));
        std::printf("%s%s", qUtf8Printable(text), verbHelp);
        result.exitCode = 0;
        return result;
    }
    const QStringList verbs = parser.positionalArguments();
    if (!verbs.isEmpty() && verbs.first() == RequestProtocol::tapVerb) {
        // The instance judges the modifier, as it judges every request.
        if (verbs.size() == 2)
            result.verb = RequestProtocol::tapRequest(verbs.at(1));
        else
            result.exitCode = usage(QStringLiteral("tap takes one modifier: super, ctrl, alt or shift"));
    } else if (verbs.size() > 1) {
        result.exitCode = usage(QStringLiteral("one verb at a time, not \"%1\"").arg(verbs.join(u' ')));
    } else if (verbs.size() == 1) {
        if (RequestProtocol::isVerb(verbs.first()))
            result.verb = verbs.first();
        else
            result.exitCode = usage(QStringLiteral("unknown verb \"%1\"").arg(verbs.first()));
    }
    return result;
}

} // namespace lettergate
