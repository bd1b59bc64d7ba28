#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <utility>

namespace lettergate {

class Notifications;

// The outcome of every save of this run (the settings file and the data files): counts
// the successful saves the settings window flashes its "Saved" badge on, and keeps the
// saves that are failing, so a failure shows in the window and reaches the user once
// as a desktop notification even with the window closed.
class SaveIndicator : public QObject {
    Q_OBJECT
    Q_PROPERTY(int tick READ tick NOTIFY tickChanged)
    Q_PROPERTY(QString failure READ failure NOTIFY failureChanged)
public:
    // A failure's first occurrence is notified through `notifications` (none: not
    // notified), which must outlive the indicator.
    explicit SaveIndicator(Notifications *notifications = nullptr, QObject *parent = nullptr);

    // Hears the outcome of every write of the store's data file (its fileWriteFinished
    // signal) and, for a store of lists the user saves, each saved list (listSaved).
    template <typename Store>
    void follow(Store &store)
    {
        connect(&store, &Store::fileWriteFinished, this, [this](const QString &file, bool written, const QString &why) {
            if (written)
                noteWritten(file);
            else
                noteFailed(file, why);
        });
        if constexpr (requires { &Store::listSaved; })
            connect(&store, &Store::listSaved, this, &SaveIndicator::increment);
    }

    int tick() const { return m_tick; }
    void increment();

    // What the latest save still failing could not do ("links.json: Permission
    // denied"); empty while every file was written at its last save.
    QString failure() const;

    // The outcome of one write of the file. A failure stands until the file is written;
    // its first since then is notified, so a save failing again and again notifies once.
    void noteWritten(const QString &file);
    void noteFailed(const QString &file, const QString &reason);

signals:
    void tickChanged(int tick);
    void failureChanged(const QString &failure);

private:
    void setFailing(QList<std::pair<QString, QString>> failing);

    Notifications *m_notifications;
    int m_tick = 0;
    // File and reason, the latest failure last.
    QList<std::pair<QString, QString>> m_failing;
};

} // namespace lettergate
