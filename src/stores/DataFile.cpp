#include "stores/DataFile.h"

#include "platform/Log.h"
#include "stores/PrivateFiles.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

DataFile::DataFile(QString path)
    : m_path(std::move(path))
{
}

std::optional<QByteArray> DataFile::readBytes()
{
    const QFileInfo info(m_path);
    if (!info.exists() || info.isDir())
        return std::nullopt;

    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        keepUndecodableFile();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        keepUndecodableFile();
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
    return written;
}

void DataFile::keepUndecodableFile()
{
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
    Log::warning(QStringLiteral("%1 could not be read; kept it as %2").arg(m_path, copy));
    return true;
}
