#include "stores/DataFile.h"

#include "platform/Log.h"
#include "settings/SaveIndicator.h"
#include "stores/PrivateFiles.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

namespace {

QString tooLarge(qint64 bytes)
{
    return QStringLiteral("is %1 MiB, larger than the %2 MiB a data file may hold, and was not read")
        .arg(double(bytes) / (1 << 20), 0, 'f', 1)
        .arg(DataFile::maximumFileBytes >> 20);
}

} // namespace

DataFile::DataFile(QString path)
    : m_path(std::move(path))
{
}

std::optional<QByteArray> DataFile::readBytes()
{
    if (const int removed = PrivateFiles::removeInterruptedWrites(m_path))
        Log::info(QStringLiteral("removed %1 unfinished write(s) of %2").arg(removed).arg(m_path));
    const QFileInfo info(m_path);
    if (!info.exists() || info.isDir())
        return std::nullopt;
    if (!info.isFile()) {
        keepUndecodableFile(QStringLiteral("is not a regular file"));
        return std::nullopt;
    }
    if (info.size() > maximumFileBytes) {
        keepUndecodableFile(tooLarge(info.size()));
        return std::nullopt;
    }

    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        keepUndecodableFile();
        return std::nullopt;
    }
    // One byte past the limit tells a file that grew since it was measured.
    const QByteArray bytes = file.read(maximumFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        keepUndecodableFile();
        return std::nullopt;
    }
    if (bytes.size() > maximumFileBytes) {
        keepUndecodableFile(tooLarge(bytes.size()));
        return std::nullopt;
    }
    if (bytes.isEmpty())
        return std::nullopt;
    return bytes;
}

std::optional<QJsonArray> DataFile::decodeArray(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    return document.array();
}

QByteArray DataFile::encodeArray(const QJsonArray &array)
{
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

bool DataFile::writeBytes(const QByteArray &bytes)
{
    QString why;
    bool written = false;
    if (m_undecodableFileInPlace && !moveUndecodableFileAside())
        why = QStringLiteral("the unreadable file there could not be kept aside");
    else
        written = PrivateFiles::writeAtomically(m_path, bytes, &why);

    if (!written && !m_lastWriteFailed)
        Log::warning(QStringLiteral("could not write %1: %2").arg(m_path, why));
    m_lastWriteFailed = !written;
    if (written)
        SaveIndicator::shared().noteWritten(m_path);
    else
        SaveIndicator::shared().noteFailed(m_path, why);
    return written;
}

void DataFile::keepUndecodableFile(const QString &why)
{
    m_whyUndecodable = why;
    m_undecodableFileInPlace = true;
    moveUndecodableFileAside();
}

bool DataFile::moveUndecodableFileAside()
{
    const QString base = m_path + QStringLiteral(".unreadable-")
                         + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString copy = base;
    for (int attempt = 2; QFileInfo::exists(copy); ++attempt)
        copy = base + u'-' + QString::number(attempt);

    if (!QFile::rename(m_path, copy))
        return false;
    m_undecodableFileInPlace = false;
    Log::warning(QStringLiteral("%1 %2; kept it as %3").arg(m_path, m_whyUndecodable, copy));
    return true;
}
