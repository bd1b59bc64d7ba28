#include "platform/UnreadableCopies.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace lettergate {

namespace {

QString marker(const QString &file)
{
    return QFileInfo(file).fileName() + QStringLiteral(".unreadable-");
}

// A link's own presence, whether or not what it points to exists.
bool isTaken(const QString &path)
{
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

// Date and time, then the number within that second ("-2" after the first).
std::pair<QString, int> age(const QString &name, qsizetype markerLength)
{
    const QString stamp = name.mid(markerLength);
    const QString dateTime = stamp.left(15);
    const int number = stamp.size() > 16 ? stamp.mid(16).toInt() : 1;
    return {dateTime, number};
}

// Numbered past every copy of the same second, also those pruned since: a reused name
// would read as older than it is.
QString freshName(const QString &file)
{
    const QString dateTime = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base = file + QStringLiteral(".unreadable-") + dateTime;
    int number = 0;
    for (const QString &copy : UnreadableCopies::of(file)) {
        const auto [copyTime, copyNumber] = age(QFileInfo(copy).fileName(), marker(file).size());
        if (copyTime == dateTime)
            number = std::max(number, copyNumber);
    }
    QString copy = number == 0 ? base : base + u'-' + QString::number(number + 1);
    for (int attempt = number + 2; isTaken(copy); ++attempt)
        copy = base + u'-' + QString::number(attempt);
    return copy;
}

void pruneOlderCopies(const QString &file)
{
    const QStringList copies = UnreadableCopies::of(file);
    for (qsizetype i = 0; i < copies.size() - UnreadableCopies::kept; ++i)
        QFile::remove(copies[i]);
}

} // namespace

std::optional<QString> UnreadableCopies::moveAside(const QString &file)
{
    const QString copy = freshName(file);
    // Not QFile::rename, which refuses a link whose target is gone: such a link, left
    // in a data file's place, must be moved aside as well.
    if (::rename(QFile::encodeName(file).constData(), QFile::encodeName(copy).constData()) != 0)
        return std::nullopt;
    pruneOlderCopies(file);
    return copy;
}

std::optional<QString> UnreadableCopies::copyAside(const QString &file)
{
    const QString copy = freshName(file);
    if (!QFile::copy(file, copy))
        return std::nullopt;
    pruneOlderCopies(file);
    return copy;
}

QStringList UnreadableCopies::of(const QString &file)
{
    const QFileInfo info(file);
    const QString prefix = marker(file);
    QStringList names = QDir(info.absolutePath()).entryList({prefix + u'*'}, QDir::Files | QDir::System | QDir::Hidden);
    std::sort(names.begin(), names.end(),
              [&prefix](const QString &a, const QString &b) { return age(a, prefix.size()) < age(b, prefix.size()); });
    for (QString &name : names)
        name = info.absolutePath() + u'/' + name;
    return names;
}

int UnreadableCopies::removeAll(const QString &file)
{
    int removed = 0;
    for (const QString &copy : of(file))
        removed += QFile::remove(copy) ? 1 : 0;
    return removed;
}

} // namespace lettergate
