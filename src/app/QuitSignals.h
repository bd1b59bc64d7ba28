#pragma once

#include <QObject>
#include <QSocketNotifier>

namespace lettergate {

// SIGTERM, SIGINT and SIGHUP (a logout, `kill`, Control+C in a terminal) end the program
// as its Quit does, so that what is still to be saved is saved: the signal handler only
// writes a byte to a pipe of its own, and the event loop, reading it, quits. One
// instance, made once the application object exists; the handlers are the default ones
// again once it goes.
class QuitSignals final : public QObject {
    Q_OBJECT
public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

private:
    static void onSignal(int signalNumber);
    void quit();

    QSocketNotifier *m_notifier = nullptr;
};

} // namespace lettergate
