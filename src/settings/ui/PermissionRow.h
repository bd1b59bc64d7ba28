#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

namespace lettergate {

// The state of one thing the desktop grants Lettergate, beside its title in the General
// tab: a green check or a warning mark, a few words, and a button (object name
// "permissionAction") when the user can do something about a missing grant. The row
// shows what it was last told.
class PermissionRow : public QWidget {
    Q_OBJECT
public:
    // Without an action the row only informs.
    explicit PermissionRow(const QString &actionLabel = {}, std::function<void()> action = {},
                           QWidget *parent = nullptr);

    // The button shows only while the grant is missing.
    void setState(bool granted, const QString &text);

    bool showsGranted() const { return m_granted; }
    QString stateText() const;
    bool offersAction() const;

private:
    bool m_granted = false;
    QLabel *m_mark;
    QLabel *m_text;
    QPushButton *m_action = nullptr;
};

} // namespace lettergate
