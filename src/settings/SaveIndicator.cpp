#include "settings/SaveIndicator.h"

#include "platform/Notifications.h"

#include <QFileInfo>

namespace lettergate {

namespace {

QString describe(const std::pair<QString, QString> &failing)
{
    return QFileInfo(failing.first).fileName() + QStringLiteral(": ") + failing.second;
}

} // namespace

SaveIndicator::SaveIndicator(Notifications *notifications, QObject *parent)
    : QObject(parent)
    , m_notifications(notifications)
{
}

void SaveIndicator::increment()
{
    ++m_tick;
    emit tickChanged(m_tick);
}

QString SaveIndicator::failure() const
{
    return m_failing.isEmpty() ? QString() : describe(m_failing.last());
}

void SaveIndicator::noteWritten(const QString &file)
{
    QList<std::pair<QString, QString>> failing = m_failing;
    failing.removeIf([&file](const auto &entry) { return entry.first == file; });
    setFailing(std::move(failing));
}

void SaveIndicator::noteFailed(const QString &file, const QString &reason)
{
    QList<std::pair<QString, QString>> failing = m_failing;
    const bool firstFailure = failing.removeIf([&file](const auto &entry) { return entry.first == file; }) == 0;
    failing.append({file, reason});
    setFailing(std::move(failing));
    if (firstFailure && m_notifications) {
        m_notifications->notify(
            QStringLiteral("Lettergate could not save %1").arg(QFileInfo(file).fileName()),
            reason + QStringLiteral("\nLettergate keeps your changes and tries again at the next one."));
    }
}

void SaveIndicator::setFailing(QList<std::pair<QString, QString>> failing)
{
    const QString before = failure();
    m_failing = std::move(failing);
    if (failure() != before)
        emit failureChanged(failure());
}

} // namespace lettergate
