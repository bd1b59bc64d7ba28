#include "app/CommandLine.h"
#include "platform/factory/PlatformFactory.h"

#include <QApplication>
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

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lettergate"));
    QApplication::setQuitOnLastWindowClosed(false);
    const auto platform = PlatformFactory::create();
    Platform::install(platform.get());
    const int status = QApplication::exec();
    Platform::install(nullptr);
    return status;
}
