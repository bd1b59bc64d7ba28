#pragma once

#include <QByteArray>
#include <QString>
#include <QTest>
#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace lettergate {

// A session bus of the test's own (dbus-daemon), named in DBUS_SESSION_BUS_ADDRESS for
// as long as the object lives. Started before the application, which may connect to the
// session bus while it starts.
class PrivateSessionBus {
public:
    PrivateSessionBus()
    {
        int output[2];
        if (pipe(output) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, output[0]);
        char *const argv[] = {const_cast<char *>("dbus-daemon"), const_cast<char *>("--session"),
                              const_cast<char *>("--print-address"), const_cast<char *>("--nofork"), nullptr};
        if (posix_spawnp(&m_pid, "dbus-daemon", &actions, nullptr, argv, environ) != 0)
            m_pid = 0;
        posix_spawn_file_actions_destroy(&actions);
        close(output[1]);
        // The address is the first line the daemon prints.
        QByteArray line;
        char c = 0;
        while (m_pid && read(output[0], &c, 1) == 1 && c != '\n')
            line += c;
        close(output[0]);
        m_address = line.trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address);
    }
    ~PrivateSessionBus()
    {
        if (m_pid) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }

    bool isValid() const { return m_pid && !m_address.isEmpty(); }
    QString address() const { return QString::fromUtf8(m_address); }

private:
    pid_t m_pid = 0;
    QByteArray m_address;
};

// The main of a test that needs a session bus of its own: the bus is up before the
// application, which may connect to it while it starts; the test is made with its address.
template <typename Application, typename Test>
int runOnPrivateSessionBus(int argc, char **argv)
{
    const PrivateSessionBus bus;
    if (!bus.isValid()) {
        std::fputs("no private session bus: dbus-daemon did not start\n", stderr);
        return 1;
    }
    Application app(argc, argv);
    Test test(bus.address());
    return QTest::qExec(&test, argc, argv);
}

} // namespace lettergate
