#pragma once

#include <QString>
#include <optional>

namespace lettergate {

// Whether Lettergate starts with the user's session: a per-user autostart entry,
// $XDG_CONFIG_HOME/autostart/<app id>.desktop, made from the installed desktop entry
// with its Exec pointing at a program that will still be there at the next login (see
// lastingProgram). The file is the state: nothing else records the choice, so removing
// the file by hand turns it off too.
class LaunchAtLogin {
public:
    // The places the program may be found.
    struct ProgramPaths {
        QString onPath;    // `lettergate` as $PATH finds it; empty when it does not
        QString installed; // where the build installs it, when a program is there
        QString started;   // the running program's own file
    };

    static QString entryPath();
    bool isEnabled() const;
    // Writes or removes the entry; false (with a warning) when that failed, and the
    // state is then what isEnabled reports.
    bool setEnabled(bool enabled);

    // The program the entry starts, found afresh at each call: see lastingProgram.
    static std::optional<QString> program();
    // The installed program (the one on $PATH, else the one where the build installs
    // it), else the program as started; but none under a temporary folder, which may be
    // gone by the next login. Nothing when no place lasts.
    static std::optional<QString> lastingProgram(const ProgramPaths &paths, const QStringList &temporaryFolders);
    // This process's places and temporary folders (/tmp, $TMPDIR, /var/tmp, /dev/shm).
    static ProgramPaths programPaths();
    static QStringList temporaryFolders();

    // The entry's text: the installed desktop entry, Exec quoted as desktop entries
    // require. Nothing when the path cannot be written on one line.
    static std::optional<QString> entryText(const QString &executable);
};

} // namespace lettergate
