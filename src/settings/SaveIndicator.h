#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <utility>

// The outcome of every save of this run (the settings file and the data files): counts
// the successful saves the settings window flashes its "Saved" badge on, and keeps the
// saves that are failing, so a failure shows in the window and reaches the user once
// as a desktop notification even with the window closed.
class SaveIndicator : public QObject {
    Q_OBJECT
    Q_PROPERTY(int tick READ tick NOTIFY tickChanged)
    Q_PROPERTY(QString failure READ failure NOTIFY failureChanged)
public:
    static SaveIndicator &shared();

    int tick() const { return m_tick; }
    void increment();

    // What the latest save still failing could not do ("links.json: Permission
    // denied"); empty while every file was written at its last save.
    QString failure() const;

    // The outcome of one write of the file. A failure stands until the file is written;
    // its first since then is notified through the installed platform (none installed:
    // not notified), so a save failing again and again notifies once.
    void noteWritten(const QString &file);
    void noteFailed(const QString &file, const QString &reason);

signals:
    void tickChanged(int tick);
    void failureChanged(const QString &failure);

private:
    void setFailing(QList<std::pair<QString, QString>> failing);

    int m_tick = 0;
    // File and reason, the latest failure last.
    QList<std::pair<QString, QString>> m_failing;
};
