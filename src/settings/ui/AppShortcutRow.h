#pragma once

#include "settings/SettingsStore.h"

#include <QWidget>

class QLineEdit;

// One application of the App Shortcuts tab: its icon, its name and the letter as typed.
class AppShortcutRow : public QWidget {
    Q_OBJECT
public:
    AppShortcutRow(const SettingsStore::AppShortcut &app, const QIcon &icon, QWidget *parent = nullptr);

    const QString &bundleID() const { return m_bundleID; }
    // Exactly what is typed: nothing is filtered, cut or changed in case.
    QString text() const;
    QLineEdit *field() const { return m_field; }

private:
    QString m_bundleID;
    QLineEdit *m_field;
};
