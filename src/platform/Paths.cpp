#include "platform/Paths.h"

#include "platform/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace lettergate {

namespace {

QString xdgBase(const char *variable, const QString &fallbackBelowHome)
{
    // Read the variables directly rather than through QStandardPaths' test mode or
    // caches, so a change of environment in a test takes effect at once.
    const QString fromEnvironment = qEnvironmentVariable(variable);
    if (!fromEnvironment.isEmpty() && QDir::isAbsolutePath(fromEnvironment))
        return fromEnvironment;
    return QDir::homePath() + u'/' + fallbackBelowHome;
}

// Why a folder cannot hold Lettergate's files; empty when it can. A new folder's
// parent only needs to be safe from others: its own user's or the system's, and
// writable by others only when sticky (as /tmp is), so nobody can swap what is made there.
enum class Use { holdsFiles, holdsNewFolder };

QString problemWith(const struct stat &info, Use use)
{
    const uid_t self = geteuid();
    if (info.st_uid != self && !(use == Use::holdsNewFolder && info.st_uid == 0))
        return QStringLiteral("it belongs to another user (uid %1)").arg(info.st_uid);
    const mode_t othersMayWrite = use == Use::holdsFiles ? (S_IWGRP | S_IWOTH) : S_IWOTH;
    if ((info.st_mode & othersMayWrite) != 0 && !(use == Use::holdsNewFolder && (info.st_mode & S_ISVTX) != 0))
        return QStringLiteral("other users may write in it (mode %1)")
            .arg(QString::number(info.st_mode & 07777, 8).rightJustified(4, u'0'));
    return {};
}

// The folders refused this run: each is logged once (every store asks about the same
// data folder), and stays refused, also as the parent of a folder to be made.
class RefusedFolders {
public:
    bool contains(const QString &path)
    {
        const QMutexLocker lock(&m_mutex);
        return m_paths.contains(path);
    }
    bool refuse(const QString &path, const QString &why)
    {
        const QMutexLocker lock(&m_mutex);
        if (!m_paths.contains(path)) {
            m_paths.insert(path);
            qCWarning(lcPlatform).noquote()
                << QStringLiteral("%1 is not safe to keep Lettergate's files in: %2; nothing is read from or "
                                  "saved there, and this session's changes are kept in memory only")
                       .arg(path, why);
        }
        return false;
    }

private:
    QMutex m_mutex;
    QSet<QString> m_paths;
};

RefusedFolders &refusedFolders()
{
    static RefusedFolders folders;
    return folders;
}

bool isUsable(const QString &path, Use use)
{
    if (refusedFolders().contains(path))
        return false;
    // Whatever is not a folder holds nothing: writes there fail, and say so.
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return true;
    const QString why = problemWith(info, use);
    return why.isEmpty() || refusedFolders().refuse(path, why);
}

} // namespace

QString Paths::dataDirectory()
{
    return xdgBase("XDG_DATA_HOME", QStringLiteral(".local/share")) + QStringLiteral("/Lettergate");
}

QString Paths::settingsFile()
{
    return xdgBase("XDG_CONFIG_HOME", QStringLiteral(".config")) + QStringLiteral("/Lettergate/Lettergate.ini");
}

QString Paths::stateDirectory()
{
    return xdgBase("XDG_STATE_HOME", QStringLiteral(".local/state")) + QStringLiteral("/Lettergate");
}

bool Paths::ensurePrivateDirectory(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    if (!QFileInfo::exists(path)) {
        // A parent made just now is this user's own, whatever the umask gave it.
        const QString parent = QFileInfo(path).absolutePath();
        const bool parentExisted = QFileInfo(parent).isDir();
        if (!QDir().mkpath(parent) || (parentExisted && !isUsable(parent, Use::holdsNewFolder)))
            return false;
        // Made private from the start: no moment when others could write in it.
        if (::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    // Checked after the mkdir too: another user may have made it first.
    if (!QFileInfo(path).isDir() || !isTrustedFolder(path))
        return false;
    return ::chmod(encoded.constData(), 0700) == 0;
}

bool Paths::isTrustedFolder(const QString &path)
{
    return isUsable(path, Use::holdsFiles);
}

bool Paths::restrictFileToOwner(const QString &path)
{
    constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                   | QFileDevice::ExeOwner | QFileDevice::ReadUser
                                                   | QFileDevice::WriteUser | QFileDevice::ExeUser;
    const QFileDevice::Permissions current = QFile::permissions(path);
    if (current == QFileDevice::Permissions())
        return false;
    return (current & ~ownerOnly) == QFileDevice::Permissions() || QFile::setPermissions(path, current & ownerOnly);
}

} // namespace lettergate
