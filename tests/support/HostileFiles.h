#pragma once

#include "stores/Snippet.h"

#include <QFile>
#include <QString>
#include <QTest>

namespace lettergate {

// Files built to hurt a reader, and the kernel's count of what this process read.
namespace HostileFiles {

// A file of `size` bytes that starts with `head` and takes no disk space after it.
inline void writeSparse(const QString &path, const QByteArray &head, qint64 size)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(head), head.size());
    QVERIFY(file.resize(size));
}

// The bytes this process has read through read() so far ("rchar" of /proc/self/io).
inline qint64 bytesRead()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n')) {
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

// A picture snippet whose stored file is `fileName`, for handing such files to readers.
inline Snippet pictureSnippet(const QString &fileName)
{
    Snippet snippet;
    snippet.kind = Snippet::Kind::image;
    snippet.imageFileName = fileName;
    return snippet;
}

} // namespace HostileFiles

} // namespace lettergate
