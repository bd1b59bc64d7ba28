#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

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
    if (!QDir().mkpath(path))
        return false;
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

bool Paths::restrictFileToOwner(const QString &path)
{
    constexpr QFileDevice::Permissions ownerOnly =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadUser
        | QFileDevice::WriteUser | QFileDevice::ExeUser;
    const QFileDevice::Permissions current = QFile::permissions(path);
    if (current == QFileDevice::Permissions())
        return false;
    return (current & ~ownerOnly) == QFileDevice::Permissions() || QFile::setPermissions(path, current & ownerOnly);
}
