#pragma once

#include "settings/ui/SettingsTab.h"

#include <QList>
#include <optional>

namespace lettergate {

class Apps;
class AppShortcutRow;
class ErrorLine;
class RowList;
class SettingsStore;

// The letter and paste keystroke of every application the switcher has met, one row
// each, sorted by name. Edits stay in the rows until Save (or Ctrl+S) hands them all to
// the settings store at once; a rejected Save shows why, keeps what was typed and stores
// neither.
class AppShortcutsTab : public SettingsTab {
    Q_OBJECT
public:
    AppShortcutsTab(SettingsStore &store, Apps &apps, QWidget *parent = nullptr);

    // Rebuilds the rows from the store, discarding unsaved edits.
    void reload() override;
    bool hasUnsavedEdits() const override;
    void save() override;

    QList<AppShortcutRow *> rows() const;
    bool showsEmptyState() const;
    std::optional<QString> errorText() const;

private:
    SettingsStore &m_store;
    Apps &m_apps;
    RowList *m_list;
    ErrorLine *m_error;
};

} // namespace lettergate
