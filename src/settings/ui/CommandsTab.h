#pragma once

#include "settings/ui/CommandEditor.h"
#include "settings/ui/DraftEditors.h"
#include "settings/ui/SingleKeyTab.h"

namespace lettergate {

class CommandStore;
class SettingsStore;

// Shell commands and the command key.
class CommandsTab : public SingleKeyTab {
    Q_OBJECT
public:
    CommandsTab(CommandStore &commands, SettingsStore &settings, QWidget *parent = nullptr);

    // The "Add" button.
    void addCommand();

    QList<CommandEditor *> editors() const { return m_draft.editors(); }

private:
    QString storedKey() const override;
    KeyValidation storeKey(const QString &key) override;
    void loadDraft() override;
    void storeDraft() override;
    bool draftDiffersFromStore() const override;

    CommandStore &m_commands;
    SettingsStore &m_settings;
    DraftEditors<CommandEditor> m_draft;
};

} // namespace lettergate
