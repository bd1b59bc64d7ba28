#pragma once

#include <QWidget>
#include <functional>

class QPushButton;

// One permission in the General tab: its title, and on the right either a green
// "Granted" or a "Grant Access…" button that asks for it. The row shows what it was
// last told; the tab re-reads the permission each time it is shown.
class PermissionRow : public QWidget {
    Q_OBJECT
public:
    PermissionRow(const QString &title, std::function<void()> request, QWidget *parent = nullptr);

    bool showsGranted() const { return m_granted; }
    void setGranted(bool granted);

private:
    bool m_granted = false;
    QWidget *m_grantedBadge;
    QPushButton *m_grantButton;
};
