#include "settings/ui/CommandsTab.h"

#include "settings/SettingsStore.h"
#include "settings/ui/ValidationMessages.h"
#include "stores/CommandStore.h"

#include <QPushButton>

namespace lettergate {

namespace {

QString helpText(const QString &example)
{
    return QStringLiteral("Shell commands run via `/bin/bash -c`. Supports any script (~/bin/xxx.sh, "
                          "python3 xxx.py, etc.). From the panel, press ")
           + example
           + QStringLiteral(" + number to run directly, or double-tap for the full list. The key must be a letter, "
                            "distinct from clipboard, snippet, and link keys.");
}

} // namespace

CommandsTab::CommandsTab(CommandStore &commands, SettingsStore &settings, QWidget *parent)
    : SingleKeyTab({QStringLiteral("Custom Commands"), QStringLiteral("No commands yet"),
                    QStringLiteral("Add a shell command and Save. Run it by number from the panel.")},
                   {QStringLiteral("Commands key"), QStringLiteral("commandKey"), QStringLiteral("M"), helpText,
                    ValidationMessages::commands},
                   parent)
    , m_commands(commands)
    , m_settings(settings)
    , m_draft(rowList(), [](const Command &command) { return new CommandEditor(command); })
{
    connect(addHeaderButton(QStringLiteral("Add"), u"plus"), &QPushButton::clicked, this, &CommandsTab::addCommand);
}

void CommandsTab::addCommand()
{
    Command command;
    command.name = QStringLiteral("New command");
    m_draft.appendNew(command);
}

QString CommandsTab::storedKey() const
{
    return m_settings.commandKey();
}

KeyValidation CommandsTab::storeKey(const QString &key)
{
    return m_settings.setCommandKey(key);
}

void CommandsTab::loadDraft()
{
    m_draft.load(m_commands.commands());
}

bool CommandsTab::draftDiffersFromStore() const
{
    return m_draft.records() != m_commands.commands();
}

void CommandsTab::storeDraft()
{
    m_commands.replaceAll(m_draft.records());
}

} // namespace lettergate
