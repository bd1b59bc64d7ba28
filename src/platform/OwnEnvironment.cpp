#include "platform/OwnEnvironment.h"

#include <QMutex>

namespace lettergate {

namespace {

QMutex ownNamesLock;
QStringList ownNames;

} // namespace

void OwnEnvironment::setUnlessSet(const char *name, const QByteArray &value)
{
    if (!qEnvironmentVariableIsEmpty(name))
        return;
    qputenv(name, value);
    const QMutexLocker locked(&ownNamesLock);
    if (!ownNames.contains(QLatin1String(name)))
        ownNames.append(QString::fromLatin1(name));
}

QStringList OwnEnvironment::names()
{
    const QMutexLocker locked(&ownNamesLock);
    return ownNames;
}

QProcessEnvironment OwnEnvironment::forChildren()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : names())
        environment.remove(name);
    return environment;
}

} // namespace lettergate
