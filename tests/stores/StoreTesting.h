#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lettergate {

// Helpers shared by the store tests: reading what a store wrote, and making a
// directory read-only for real.
namespace StoreTesting {

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QJsonArray jsonArray(const QString &path)
{
    return QJsonDocument::fromJson(fileBytes(path)).array();
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// The permission bits, as in `ls -l` (0600, 0700).
inline int mode(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

// The dated copies an undecodable data file was kept as (pipes and links included).
inline QStringList keptCopies(const QString &dataFile)
{
    const QFileInfo info(dataFile);
    return QDir(info.absolutePath())
        .entryList({info.fileName() + QStringLiteral(".unreadable-*")}, QDir::Files | QDir::System, QDir::Name);
}

// Makes a directory read-only for this process while it lives. The superuser ignores
// permission bits, so under root the process also takes the identity of "nobody" for
// the duration, after handing it the whole test tree, which it takes back afterwards
// (the stores refuse a folder that another user owns).
class ReadOnlyDirectory {
public:
    ReadOnlyDirectory(const QString &directory, const QString &testTree)
        : m_directory(directory)
        , m_testTree(testTree)
    {
        if (geteuid() == 0) {
            const passwd *nobody = getpwnam("nobody");
            Q_ASSERT(nobody);
            handOver(testTree, nobody->pw_uid, nobody->pw_gid);
            m_wasRoot = seteuid(nobody->pw_uid) == 0;
            Q_ASSERT(m_wasRoot);
        }
        QFile::setPermissions(m_directory, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    ~ReadOnlyDirectory()
    {
        QFile::setPermissions(m_directory, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (m_wasRoot && seteuid(0) == 0)
            handOver(m_testTree, 0, 0);
    }
    ReadOnlyDirectory(const ReadOnlyDirectory &) = delete;
    ReadOnlyDirectory &operator=(const ReadOnlyDirectory &) = delete;

private:
    static void handOver(const QString &tree, uid_t uid, gid_t gid)
    {
        (void)lchown(QFile::encodeName(tree).constData(), uid, gid);
        QDirIterator entries(tree, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
        while (entries.hasNext())
            (void)lchown(QFile::encodeName(entries.next()).constData(), uid, gid);
    }

    QString m_directory;
    QString m_testTree;
    bool m_wasRoot = false;
};

} // namespace StoreTesting

} // namespace lettergate
