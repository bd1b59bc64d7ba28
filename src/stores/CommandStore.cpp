#include "stores/CommandStore.h"

#include "stores/PrivateFiles.h"
#include "stores/Whitespace.h"

namespace lettergate {

CommandStore::CommandStore(const QString &dataDirectory, QObject *parent)
    : QObject(parent)
    , m_commands(PrivateFiles::fileInPrivateDirectory(dataDirectory, QStringLiteral("commands.json")),
                 DataFile::reportThrough(this))
{
}

bool CommandStore::replaceAll(QList<Command> commands)
{
    commands.removeIf([](const Command &command) {
        return Whitespace::isBlank(command.name) && Whitespace::isBlank(command.command);
    });
    const bool written = m_commands.replace(std::move(commands));
    if (written)
        emit listSaved();
    emit commandsChanged();
    return written;
}

} // namespace lettergate
