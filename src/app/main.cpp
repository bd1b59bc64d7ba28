#include "app/CommandLine.h"
#include "app/LettergateApp.h"
#include "app/SingleInstance.h"
#include "platform/factory/PlatformFactory.h"
#include "settings/ui/SettingsWindowController.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>

int main(int argc, char *argv[])
{
    const CommandLine commandLine = CommandLine::parse(argc, argv);
    if (commandLine.exitCode)
        return *commandLine.exitCode;

    QString reason;
    if (!PlatformFactory::displayIsUsable(&reason)) {
        std::fprintf(stderr, "lettergate: no usable display (%s); start it inside an X11 session\n",
                     qUtf8Printable(reason));
        return 2;
    }
    // The X11 backend serves X clients; under Wayland our own windows must be X clients
    // too, so that they are in the same window list as the ones we switch between.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lettergate"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/lettergate/lettergate.svg")));

    // A second start opens Settings in the running instance, as reopening an app does.
    if (SingleInstance::sendToRunning(QStringLiteral("settings")))
        return 0;

    const auto platform = PlatformFactory::create();
    Platform::install(platform.get());
    SingleInstance instance;
    instance.listen();
    LettergateApp app(*platform, [] { SettingsWindowController::shared().show(); });
    QObject::connect(&instance, &SingleInstance::requestReceived, &app, &LettergateApp::handleRequest);
    app.finishLaunching();
    const int status = QApplication::exec();
    Platform::install(nullptr);
    return status;
}
