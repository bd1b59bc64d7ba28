#include "stores/DataFile.h"

#include "platform/ByteSize.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/UnreadableCopies.h"
#include "stores/PrivateFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <algorithm>

namespace lettergate {

namespace {

QString tooLarge(qint64 bytes)
{
    return QStringLiteral("is %1, larger than the %2 a data file may hold, and was not read")
        .arg(ByteSize::text(bytes), ByteSize::text(DataFile::maximumFileBytes));
}

const QString symbolicLink = QStringLiteral("is a symbolic link, which Lettergate never follows");

} // namespace

DataFile::DataFile(QString path, WriteReport report)
    : m_path(std::move(path))
    , m_report(std::move(report))
    , m_folderRefused(!Paths::isTrustedFolder(QFileInfo(m_path).absolutePath()))
{
    m_writer.setMaxThreadCount(1);
    m_quietTimer.setSingleShot(true);
    m_quietTimer.setInterval(quietPeriod);
    m_longestDelayTimer.setSingleShot(true);
    QObject::connect(&m_quietTimer, &QTimer::timeout, &m_reports, [this] { startWrite(false); });
    QObject::connect(&m_longestDelayTimer, &QTimer::timeout, &m_reports, [this] { startWrite(false); });
}

DataFile::~DataFile()
{
    // Whoever asked to be told when a save is written is being destroyed.
    if (m_pending)
        m_pending->written = {};
    startWrite(true);
    m_writer.waitForDone();
}

std::optional<QByteArray> DataFile::readBytes()
{
    if (m_folderRefused)
        return std::nullopt;
    if (const int removed = PrivateFiles::removeInterruptedWrites(m_path))
        qCInfo(lcStores).noquote() << QStringLiteral("removed %1 unfinished write(s) of %2").arg(removed).arg(m_path);
    const QFileInfo info(m_path);
    if (info.isSymLink()) {
        keepUndecodableFile(symbolicLink);
        return std::nullopt;
    }
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

void DataFile::keepPending(PendingSave save)
{
    // Nothing is saved in a folder others control; the log said so once.
    if (m_folderRefused)
        return;
    m_pending = std::move(save);
    m_quietTimer.start();
    if (!m_longestDelayTimer.isActive())
        m_longestDelayTimer.start(delayDuringBurst());
}

std::chrono::milliseconds DataFile::delayDuringBurst() const
{
    const std::chrono::milliseconds proportional{m_lastWrittenBytes * 1000 / burstWriteRate};
    return std::clamp(proportional, longestDelay, longestDelayForLargeFiles);
}

bool DataFile::flushPendingSave(std::chrono::milliseconds timeout)
{
    startWrite(true);
    const bool finished = m_writer.waitForDone(int(timeout.count()));
    // The reports of the writes just finished, delivered now rather than by the event loop.
    QCoreApplication::sendPostedEvents(&m_reports, QEvent::MetaCall);
    return finished && !m_lastWriteFailed && !m_folderRefused;
}

void DataFile::startWrite(bool evenWhileWriting)
{
    if (!m_pending)
        return;
    if (m_writesInProgress > 0 && !evenWhileWriting) {
        m_writeWhenIdle = true;
        return;
    }
    m_quietTimer.stop();
    m_longestDelayTimer.stop();
    m_writeWhenIdle = false;
    PendingSave save = std::move(*std::exchange(m_pending, std::nullopt));

    // Never written through, whoever made it.
    if (QFileInfo(m_path).isSymLink())
        keepUndecodableFile(symbolicLink);
    if (m_undecodableFileInPlace && !moveUndecodableFileAside()) {
        onWriteFinished(false, QStringLiteral("the unreadable file there could not be kept aside"), {});
        return;
    }
    ++m_writesInProgress;
    m_writer.start([this, path = m_path, save = std::move(save)] {
        QString why;
        const QByteArray bytes = save.encode();
        const bool written = PrivateFiles::writeAtomically(path, bytes, &why);
        QMetaObject::invokeMethod(
            &m_reports,
            [this, written, why, then = save.written, size = bytes.size()] {
                --m_writesInProgress;
                if (written)
                    m_lastWrittenBytes = size;
                onWriteFinished(written, why, then);
            },
            Qt::QueuedConnection);
    });
}

void DataFile::onWriteFinished(bool written, const QString &why, const std::function<void()> &then)
{
    if (!written && !m_lastWriteFailed)
        qCWarning(lcStores).noquote() << QStringLiteral("could not write %1: %2").arg(m_path, why);
    m_lastWriteFailed = !written;
    if (m_report)
        m_report(m_path, written, why);
    if (written && then)
        then();
    if (m_writeWhenIdle && m_writesInProgress == 0)
        startWrite(false);
}

void DataFile::keepUndecodableFile(const QString &why)
{
    m_whyUndecodable = why;
    m_undecodableFileInPlace = true;
    moveUndecodableFileAside();
}

bool DataFile::moveUndecodableFileAside()
{
    const std::optional<QString> copy = UnreadableCopies::moveAside(m_path);
    if (!copy)
        return false;
    m_undecodableFileInPlace = false;
    qCWarning(lcStores).noquote() << QStringLiteral("%1 %2; kept it as %3").arg(m_path, m_whyUndecodable, *copy);
    return true;
}

} // namespace lettergate
