#include "stores/RunningCommands.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTimer>
#include <csignal>

namespace lettergate {

namespace {

void signalGroup(pid_t group, int signal)
{
    if (group > 1)
        ::kill(-group, signal);
}

} // namespace

quint64 RunningCommands::add(const QString &name, QProcess &process)
{
    m_entries.append({++m_lastId, name, false});
    m_groups.append({pid_t(process.processId()), &process});
    emit changed();
    return m_lastId;
}

bool RunningCommands::remove(quint64 id)
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].id != id)
            continue;
        const bool stopped = m_entries[i].stopping;
        m_entries.removeAt(i);
        m_groups.removeAt(i);
        emit changed();
        return stopped;
    }
    return false;
}

void RunningCommands::stop(quint64 id)
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].id != id || m_entries[i].stopping)
            continue;
        m_entries[i].stopping = true;
        const pid_t group = m_groups[i].id;
        signalGroup(group, SIGTERM);
        // Whatever of the group ignores SIGTERM, also once its leader has gone. The group
        // id stays reserved while any process of the group lives.
        QTimer::singleShot(killDelay, this, [group] {
            if (::kill(-group, 0) == 0)
                signalGroup(group, SIGKILL);
        });
        emit changed();
        return;
    }
}

void RunningCommands::stopAll()
{
    for (qsizetype i = 0; i < m_entries.size(); ++i)
        m_entries[i].stopping = true;
    const QList<Group> groups = m_groups;
    for (const Group &group : groups)
        signalGroup(group.id, SIGTERM);
    // Waiting for a leader also reaps it, so that what is left of its group shows.
    const QDeadlineTimer deadline(quitGrace);
    for (const Group &group : groups) {
        if (group.leader)
            group.leader->waitForFinished(int(std::max<qint64>(deadline.remainingTime(), 0)));
    }
    for (const Group &group : groups) {
        if (::kill(-group.id, 0) == 0)
            signalGroup(group.id, SIGKILL);
    }
}

} // namespace lettergate
