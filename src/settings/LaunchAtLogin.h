#pragma once

#include <QString>
#include <optional>

// Whether Lettergate starts with the user's session: a per-user autostart entry,
// $XDG_CONFIG_HOME/autostart/<app id>.desktop, made from the installed desktop entry
// with its Exec pointing at the given binary. The file is the state: nothing else
// records the choice, so removing the file by hand turns it off too.
class LaunchAtLogin {
public:
    // `executable` is the binary the entry starts: the running program's own path.
    explicit LaunchAtLogin(QString executable);

    static QString entryPath();
    bool isEnabled() const;
    // Writes or removes the entry; false (with a warning) when that failed, and the
    // state is then what isEnabled reports.
    bool setEnabled(bool enabled);

    // The entry's text: the installed desktop entry, Exec quoted as desktop entries
    // require. Nothing when the path cannot be written on one line.
    static std::optional<QString> entryText(const QString &executable);

private:
    QString m_executable;
};
