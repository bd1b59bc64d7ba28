#include "app/QuitSignals.h"

#include "platform/Log.h"

#include <QCoreApplication>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace lettergate {

namespace {

constexpr int handledSignals[] = {SIGTERM, SIGINT, SIGHUP};
// The pipe the handler writes to and the event loop reads; -1 while none is installed.
int pipeEnds[2] = {-1, -1};

} // namespace

QuitSignals::QuitSignals(QObject *parent)
    : QObject(parent)
{
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcApp).noquote() << QStringLiteral(
            "SIGTERM, SIGINT and SIGHUP end the program without saving: no pipe for them");
        return;
    }
    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::quit);
    struct sigaction action = {};
    action.sa_handler = &QuitSignals::onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : handledSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

QuitSignals::~QuitSignals()
{
    for (const int signalNumber : handledSignals)
        std::signal(signalNumber, SIG_DFL);
    for (int &end : pipeEnds) {
        if (end >= 0)
            ::close(std::exchange(end, -1));
    }
}

void QuitSignals::onSignal(int signalNumber)
{
    // Only what is safe in a signal handler: one write, errno left as it was.
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

void QuitSignals::quit()
{
    char byte = 0;
    while (::read(pipeEnds[0], &byte, 1) == 1) {
    }
    qCInfo(lcApp).noquote() << QStringLiteral("quitting on signal %1").arg(int(byte));
    QCoreApplication::quit();
}

} // namespace lettergate
