#pragma once

#include "settings/SettingsStore.h"

#include <QWidget>

class QComboBox;
class QLineEdit;

namespace lettergate {

// One application of the App Shortcuts tab: its icon, its name, the letter as typed and
// the keystroke chosen to paste into it.
class AppShortcutRow : public QWidget {
    Q_OBJECT
public:
    AppShortcutRow(const SettingsStore::AppShortcut &app, const QIcon &icon, QWidget *parent = nullptr);

    const QString &bundleID() const { return m_bundleID; }
    // Exactly what is typed: nothing is filtered, cut or changed in case.
    QString text() const;
    QLineEdit *field() const { return m_field; }
    // Nothing while "Automatic" is chosen.
    std::optional<PasteKeystroke> pasteKeystroke() const;
    QComboBox *pasteKeystrokeChoice() const { return m_pasteKeystrokeChoice; }
    // Whether the letter or the keystroke differs from what the row was made with.
    bool isEdited() const;

private:
    QString m_bundleID;
    QString m_shownText;
    std::optional<PasteKeystroke> m_shownPasteKeystroke;
    QLineEdit *m_field;
    QComboBox *m_pasteKeystrokeChoice;
};

} // namespace lettergate
