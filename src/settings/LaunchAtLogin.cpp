#include "settings/LaunchAtLogin.h"

#include "platform/BuildInfo.h"
#include "platform/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>

namespace lettergate {

namespace {

// The Exec value for one program path: quoted when it holds a character the desktop
// entry format reserves, with the format's escapes for quoting and for string values.
QString execValue(const QString &executable)
{
    static const QString reserved = QStringLiteral(" \t\"'\\><~|&;$*?#()`");
    QString value = executable;
    value.replace(u'%', QStringLiteral("%%")); // a field code otherwise
    if (std::any_of(value.cbegin(), value.cend(), [](QChar c) { return reserved.contains(c); })) {
        QString quoted;
        for (const QChar c : value) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                quoted += u'\\';
            quoted += c;
        }
        value = u'"' + quoted + u'"';
    }
    // The value is a string, where a backslash is written twice.
    return value.replace(u'\\', QStringLiteral("\\\\"));
}

// The path with its symbolic links resolved, as far as it exists.
QString resolved(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

bool isUnder(const QString &path, const QString &folder)
{
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    return path.startsWith(prefix);
}

} // namespace

std::optional<QString> LaunchAtLogin::lastingProgram(const ProgramPaths &paths, const QStringList &temporaryFolders)
{
    const auto lasts = [&temporaryFolders](const QString &path) {
        const auto holdsPath = [&path](const QString &folder) {
            return isUnder(path, folder) || isUnder(resolved(path), resolved(folder));
        };
        return !path.isEmpty() && std::none_of(temporaryFolders.cbegin(), temporaryFolders.cend(), holdsPath);
    };
    for (const QString &path : {paths.onPath, paths.installed, paths.started}) {
        if (lasts(path))
            return path;
    }
    return std::nullopt;
}

LaunchAtLogin::ProgramPaths LaunchAtLogin::programPaths()
{
    const QString installed = QString::fromUtf8(BuildInfo::installedProgram);
    return {QStandardPaths::findExecutable(QStringLiteral("lettergate")),
            QFileInfo(installed).isExecutable() ? installed : QString(), QCoreApplication::applicationFilePath()};
}

QStringList LaunchAtLogin::temporaryFolders()
{
    QStringList folders{QStringLiteral("/tmp"), QStringLiteral("/var/tmp"), QStringLiteral("/dev/shm")};
    // A TMPDIR of "/" would hold every program.
    const QString tmpdir = QDir::cleanPath(qEnvironmentVariable("TMPDIR"));
    if (tmpdir.size() > 1 && tmpdir.startsWith(u'/'))
        folders.append(tmpdir);
    return folders;
}

std::optional<QString> LaunchAtLogin::program()
{
    return lastingProgram(programPaths(), temporaryFolders());
}

QString LaunchAtLogin::entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart/")
           + QString::fromUtf8(BuildInfo::appId) + QStringLiteral(".desktop");
}

bool LaunchAtLogin::isEnabled() const
{
    return QFileInfo::exists(entryPath());
}

std::optional<QString> LaunchAtLogin::entryText(const QString &executable)
{
    if (executable.isEmpty() || std::any_of(executable.cbegin(), executable.cend(), [](QChar c) {
            return c == u'\n' || c == u'\r' || c.category() == QChar::Other_Control;
        }))
        return std::nullopt;
    QStringList lines = QString::fromUtf8(BuildInfo::desktopEntry).split(u'\n');
    for (QString &line : lines) {
        if (line.startsWith(QStringLiteral("Exec=")))
            line = QStringLiteral("Exec=") + execValue(executable);
    }
    return lines.join(u'\n');
}

bool LaunchAtLogin::setEnabled(bool enabled)
{
    const QString path = entryPath();
    if (!enabled) {
        if (!QFileInfo::exists(path) || QFile::remove(path))
            return true;
        qCWarning(lcSettings).noquote() << QStringLiteral("cannot remove the autostart entry %1").arg(path);
        return false;
    }
    const std::optional<QString> executable = program();
    if (!executable) {
        qCWarning(lcSettings).noquote() << QStringLiteral(
            "cannot write an autostart entry: Lettergate is not installed and runs from a "
            "temporary folder");
        return false;
    }
    const std::optional<QString> text = entryText(*executable);
    if (!text) {
        qCWarning(lcSettings).noquote() << QStringLiteral(
            "cannot write an autostart entry for a program path with line breaks");
        return false;
    }
    QSaveFile file(path);
    if (!QDir().mkpath(QFileInfo(path).path()) || !file.open(QIODevice::WriteOnly) || file.write(text->toUtf8()) < 0
        || !file.commit()) {
        qCWarning(lcSettings).noquote()
            << QStringLiteral("cannot write the autostart entry %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace lettergate
