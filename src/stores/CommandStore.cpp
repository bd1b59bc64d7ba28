#include "stores/CommandStore.h"

#include "platform/Paths.h"
#include "stores/PrivateFiles.h"
#include "stores/Whitespace.h"

CommandStore &CommandStore::shared()
{
    static CommandStore *const instance = new CommandStore(Paths::dataDirectory());
    return *instance;
}

CommandStore::CommandStore(const QString &dataDirectory, QObject *parent)
    : QObject(parent)
    , m_commands(PrivateFiles::fileInPrivateDirectory(dataDirectory, QStringLiteral("commands.json")))
{
}

bool CommandStore::replaceAll(QList<Command> commands)
{
    commands.removeIf([](const Command &command) {
        return Whitespace::isBlank(command.name) && Whitespace::isBlank(command.command);
    });
    const bool written = m_commands.replace(std::move(commands));
    emit commandsChanged();
    return written;
}
