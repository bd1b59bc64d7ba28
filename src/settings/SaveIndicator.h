#pragma once

#include <QObject>

// Counts the successful saves of this run (settings and the content stores), so the
// settings window can flash its "Saved" badge on each one.
class SaveIndicator : public QObject {
    Q_OBJECT
    Q_PROPERTY(int tick READ tick NOTIFY tickChanged)
public:
    static SaveIndicator &shared();

    int tick() const { return m_tick; }
    void increment();

signals:
    void tickChanged(int tick);

private:
    int m_tick = 0;
};
