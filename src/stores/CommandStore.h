#pragma once

#include "stores/Command.h"
#include "stores/SavedList.h"

#include <QObject>

namespace lettergate {

// The user's shell commands, in their order, kept in "commands.json". Running one is
// CommandRunner's job.
class CommandStore final : public QObject {
    Q_OBJECT
public:
    // Loads dataDirectory + "/commands.json" (creating the directory, private).
    explicit CommandStore(const QString &dataDirectory, QObject *parent = nullptr);

    const QList<Command> &commands() const { return m_commands.records(); }

    // Drops the commands whose name and command line are both blank (spaces and tabs),
    // keeps the others untrimmed and in order, and writes the file. Answers whether it
    // was written; the save indicator ticks only then.
    bool replaceAll(QList<Command> commands);

signals:
    void commandsChanged();
    // The list the user saved reached the disk (a failed write is not a save).
    void listSaved();
    // Each write of the data file, as DataFile reports it.
    void fileWriteFinished(const QString &file, bool written, const QString &why);

private:
    SavedList<Command> m_commands;
};

} // namespace lettergate
