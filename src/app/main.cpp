#include "app/CommandLine.h"
#include "app/LettergateApp.h"
#include "app/QuitSignals.h"
#include "app/RequestProtocol.h"
#include "app/SingleInstance.h"
#include "platform/BuildInfo.h"
#include "platform/DisplayLoss.h"
#include "platform/FreeMemory.h"
#include "platform/Log.h"
#include "platform/factory/PlatformFactory.h"
#include "stores/ClipboardHistory.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>

using namespace lettergate;

namespace {

// A verb on the command line: handed to the running instance; what its reply carries
// (the window list) is printed, and the reply is turned into the exit status. Nothing here opens a display, so
// `lettergate toggle` costs no more than a connection to the socket.
int askRunningInstance(int argc, char *argv[], const QString &verb)
{
    const QCoreApplication application(argc, argv);
    QString whyNot;
    const std::optional<QByteArray> reply = SingleInstance::ask(verb, &whyNot);
    if (!reply) {
        std::fprintf(stderr, "lettergate: Lettergate is not running (%s); start it with 'lettergate'\n",
                     qUtf8Printable(whyNot));
        return 1;
    }
    if (const std::optional<QString> reason = RequestProtocol::refusalReason(*reply)) {
        std::fprintf(stderr, "lettergate: the running Lettergate refused \"%s\": %s\n", qUtf8Printable(verb),
                     qUtf8Printable(*reason));
        return 1;
    }
    // A reply is a refusal or an acknowledgement. Whatever wrote what it carries, only
    // printable text reaches the terminal.
    const QByteArray payload = RequestProtocol::payload(*reply).value_or(QByteArray());
    const QByteArray text = RequestProtocol::printable(QString::fromUtf8(payload)).toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    Log::installHandler();
    keepLargeBlocksOutOfHeaps();
    const CommandLine commandLine = CommandLine::parse(argc, argv);
    if (commandLine.exitCode)
        return *commandLine.exitCode;
    if (commandLine.verb)
        return askRunningInstance(argc, argv, *commandLine.verb);

    QString reason;
    const std::optional<PlatformFactory::Choice> backend = PlatformFactory::choose(&reason);
    if (!backend) {
        std::fprintf(stderr, "lettergate: no usable display (%s); start it inside a Wayland or X11 session\n",
                     qUtf8Printable(reason));
        return 2;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lettergate"));
    // Lets desktops match our windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(BuildInfo::appId));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/lettergate/lettergate.svg")));

    // One instance for sure: the lock is taken before anything is loaded. A second
    // start opens Settings in the running instance, as reopening an app does.
    const SingleInstance::Claim claim = SingleInstance::claim();
    if (claim.handedOver)
        return 0;
    if (!claim.lock) {
        std::fprintf(stderr, "lettergate: not starting: %s\n", qUtf8Printable(claim.failure));
        return 1;
    }

    // The backend outlives the services the application makes over it.
    const auto platform = PlatformFactory::create(*backend);
    LettergateApp app(*platform);
    const QuitSignals quitSignals;
    // The display going away (a logout) ends the process without aboutToQuit: what the
    // history still has to write is written first, but a copy being read cannot be.
    DisplayLoss::setLastWrites([&clipboard = *app.services().clipboard] {
        clipboard.flushPendingWrites(ClipboardHistory::CopyBeingRead::LetItGo);
    });
    SingleInstance instance([&app](const QString &request) { return app.handleRequest(request); });
    instance.listen(*claim.lock);
    app.finishLaunching();
    const int status = QApplication::exec();
    // The history goes with the application's services.
    DisplayLoss::setLastWrites({});
    return status;
}
