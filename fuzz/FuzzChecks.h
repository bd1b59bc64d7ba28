#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace lettergate {

// What every fuzz program shares: the input as Qt bytes, the check that turns a broken
// round trip into a finding, and a private directory for decoders that read files.
namespace FuzzChecks {

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// libFuzzer records an abort as a crash and keeps the input that caused it.
inline void require(bool holds, const char *what)
{
    if (holds)
        return;
    std::fprintf(stderr, "round trip broken: %s\n", what);
    std::abort();
}

// One directory for the whole run, removed at exit; made on first use. In memory when
// the system offers it: every atomic write syncs, and on a disk that would slow the
// fuzzing a hundredfold.
inline QString scratchDirectory()
{
    static QTemporaryDir directory(QDir(QStringLiteral("/dev/shm")).exists()
                                       ? QStringLiteral("/dev/shm/lettergate-fuzz-XXXXXX")
                                       : QDir::tempPath() + QStringLiteral("/lettergate-fuzz-XXXXXX"));
    require(directory.isValid(), "a scratch directory can be made");
    return directory.path();
}

} // namespace FuzzChecks

} // namespace lettergate
