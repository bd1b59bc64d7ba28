#include "app/InstanceFolder.h"

#include "platform/Log.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>

namespace lettergate {

namespace {

// The folder's path with its parent's symbolic links resolved; nothing when the parent
// does not exist.
std::optional<QString> withParentResolved(const QString &folder)
{
    const QFileInfo info(QDir::cleanPath(folder));
    const QString parent = info.dir().canonicalPath();
    if (parent.isEmpty() || info.fileName().isEmpty())
        return std::nullopt;
    return QDir(parent).filePath(info.fileName());
}

// Why the parents of the folder would let someone else replace it, or nothing.
std::optional<QString> problemWithParents(const QString &folder, uid_t owner)
{
    for (QString parent = QFileInfo(folder).path();; parent = QFileInfo(parent).path()) {
        struct stat status {};
        if (::stat(QFile::encodeName(parent).constData(), &status) != 0)
            return QStringLiteral("lies in %1, which cannot be read: %2").arg(parent, qt_error_string(errno));
        if (status.st_uid != owner && status.st_uid != 0)
            return QStringLiteral("lies in %1, which belongs to user %2").arg(parent).arg(status.st_uid);
        if ((status.st_mode & S_IWOTH) && !(status.st_mode & S_ISVTX))
            return QStringLiteral("lies in %1, which anyone may change").arg(parent);
        if (parent == u"/")
            return std::nullopt;
    }
}

// Why the folder is not private, or nothing when it is.
std::optional<QString> problemWith(const QString &folder, uid_t owner)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(folder).constData(), &status) != 0)
        return QStringLiteral("cannot be read: %1").arg(qt_error_string(errno));
    if (S_ISLNK(status.st_mode))
        return QStringLiteral("is a symbolic link");
    if (!S_ISDIR(status.st_mode))
        return QStringLiteral("is not a folder");
    if (status.st_uid != owner)
        return QStringLiteral("belongs to user %1").arg(status.st_uid);
    if (status.st_mode & (S_IRWXG | S_IRWXO))
        return QStringLiteral("is open to other users (mode %1)").arg(status.st_mode & 07777, 4, 8, QChar(u'0'));
    return problemWithParents(folder, owner);
}

bool exists(const QString &path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

// Makes the folder and its missing parents, each for the owner alone; false (with
// errno set) when the folder is not there afterwards.
bool makeFolders(const QString &folder)
{
    QString path;
    bool made = false;
    for (const QString &part : QDir::cleanPath(folder).split(u'/', Qt::SkipEmptyParts)) {
        path += u'/' + part;
        made = ::mkdir(QFile::encodeName(path).constData(), 0700) == 0 || errno == EEXIST;
    }
    return made;
}

void refuse(const QString &folder, const QString &problem)
{
    qCWarning(lcApp).noquote() << QStringLiteral("not using %1 for the instance socket: it %2").arg(folder, problem);
}

} // namespace

std::optional<QString> InstanceFolder::locate(uid_t owner)
{
    // A relative runtime directory is to be ignored, as one that is not set.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime)) {
        const std::optional<QString> folder = withParentResolved(runtime);
        if (folder && exists(*folder)) {
            const std::optional<QString> problem = problemWith(*folder, owner);
            if (!problem)
                return folder;
            refuse(*folder, *problem);
        }
    }
    const QString state = Paths::stateDirectory();
    if (!makeFolders(state)) {
        refuse(state, QStringLiteral("cannot be made: %1").arg(qt_error_string(errno)));
        return std::nullopt;
    }
    const std::optional<QString> folder = withParentResolved(state);
    if (!folder) {
        refuse(state, QStringLiteral("cannot be found"));
        return std::nullopt;
    }
    if (const std::optional<QString> problem = problemWith(*folder, owner)) {
        refuse(*folder, *problem);
        return std::nullopt;
    }
    return folder;
}

} // namespace lettergate
