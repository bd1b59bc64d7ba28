#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <chrono>
#include <sys/types.h>

class QProcess;

namespace lettergate {

// The user's commands that are still running, each the leader of a process group of its
// own (a command runs through the shell, which may start others): what the tray menu
// lists, and what Stop and quitting end. Ending a command sends SIGTERM to its whole
// group, then SIGKILL to what is left of it a moment later.
class RunningCommands final : public QObject {
    Q_OBJECT
public:
    struct Entry {
        quint64 id = 0;
        QString name;
        // Stop was asked for; the command has not ended yet.
        bool stopping = false;
    };

    // How long a stopped command has to end before it is killed.
    static constexpr std::chrono::milliseconds killDelay{2000};
    // The same at quit, where nothing may wait long.
    static constexpr std::chrono::milliseconds quitGrace{300};

    using QObject::QObject;

    // Oldest first.
    const QList<Entry> &entries() const { return m_entries; }
    void stop(quint64 id);
    // Ends them all: SIGTERM to every group, SIGKILL to what is left after quitGrace at
    // most (less when they all end sooner).
    void stopAll();

    // The runner's side: a command started as the leader of its group; and its end,
    // answering whether it was stopped.
    quint64 add(const QString &name, QProcess &process);
    bool remove(quint64 id);

signals:
    void changed();

private:
    QList<Entry> m_entries;
    // Beside m_entries, index for index.
    struct Group {
        pid_t id;
        QPointer<QProcess> leader;
    };
    QList<Group> m_groups;
    quint64 m_lastId = 0;
};

} // namespace lettergate
