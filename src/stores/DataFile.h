#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>

namespace lettergate {

// One store's data file: a compact JSON array of records, read as a whole when the
// store starts and written in full (atomically, owner-only) after a change.
//
// Writes run on a thread of the file's own, one at a time and in the order asked, so a
// later list is never overwritten by an earlier one. The GUI thread only takes the
// records (implicitly shared, so no text is copied); encoding and writing happen on the
// writer thread, and each outcome is reported back on the GUI thread.
//
// A file that exists but cannot be read or decoded is never overwritten: it is first
// renamed beside itself with a dated suffix ("links.json.unreadable-20250131-142501";
// see UnreadableCopies), the store then starts empty, and nothing the user had is
// destroyed. If that rename fails, writing is refused until it succeeds. An empty file
// holds nothing to keep and a directory in the file's place is left alone (every write
// then fails).
//
// A file larger than maximumFileBytes, anything but a regular file (a pipe or a device
// could block or never end) and a symbolic link (never followed, so never written
// through) are kept aside the same way without being read. A folder that is not the
// user's alone (Paths::isTrustedFolder) is neither read nor written: the store keeps its
// records in memory only.
//
// Records provide `QJsonObject toJson() const` and
// `static std::optional<Record> fromJson(const QJsonObject &)`.
class DataFile {
public:
    // Far above anything the program writes itself: the largest is a full clipboard
    // history, 50 texts of at most 1 Mi characters, about 150 MiB were every character
    // three bytes of UTF-8. A file is read into memory whole and decoded on the GUI
    // thread at start-up, so one of gigabytes (damaged, planted, or another program's)
    // must not be read at all.
    static constexpr qint64 maximumFileBytes = qint64(256) << 20;
    // A save asked for with saveRecordsSoon waits until changes stop for quietPeriod,
    // and no longer than longestDelay after the first change not yet written. A file so
    // large that rewriting it every longestDelay would write more than burstWriteRate
    // waits longer, in proportion to its last size, up to longestDelayForLargeFiles: a
    // burst of big copies into a full history then rewrites tens of megabytes every ten
    // seconds, not every three.
    static constexpr std::chrono::milliseconds quietPeriod{500};
    static constexpr std::chrono::milliseconds longestDelay{3000};
    static constexpr std::chrono::milliseconds longestDelayForLargeFiles{10000};
    static constexpr qint64 burstWriteRate = qint64(4) << 20; // bytes a second
    // The longest a flush waits for the writer.
    static constexpr std::chrono::milliseconds flushTimeout{5000};

    // Where each write's outcome goes, on the GUI thread: the file, whether it reached
    // the disk, and if not why.
    using WriteReport = std::function<void(const QString &file, bool written, const QString &why)>;
    // Reports through the store's fileWriteFinished signal.
    template <typename Store>
    static WriteReport reportThrough(Store *store)
    {
        return [store](const QString &file, bool written, const QString &why) {
            emit store->fileWriteFinished(file, written, why);
        };
    }

    explicit DataFile(QString path, WriteReport report = {});
    // Writes what is pending and waits for every write; outcomes are no longer reported.
    ~DataFile();
    DataFile(const DataFile &) = delete;
    DataFile &operator=(const DataFile &) = delete;

    const QString &path() const { return m_path; }

    // Nothing when there is no file or any element fails to decode.
    template <typename Record>
    std::optional<QList<Record>> loadRecords();

    // Writes the records now and waits for the write (replacing any pending save):
    // whether they reached the disk. A failure leaves the previous file whole, is logged
    // once until a write succeeds again; every outcome goes to the WriteReport.
    template <typename Record>
    bool saveRecords(const QList<Record> &records);

    // Keeps the records to be written after quietPeriod (see above), reported as
    // saveRecords reports; a later call replaces them before they are written. `written`
    // runs on the GUI thread once they are on disk, unless later records replaced them
    // first.
    template <typename Record>
    void saveRecordsSoon(const QList<Record> &records, std::function<void()> written = {});

    // Writes what is pending and waits, at most timeout, for every write of the file to
    // finish and be reported: whether the last one reached the disk.
    bool flushPendingSave(std::chrono::milliseconds timeout = flushTimeout);

    // The records that the bytes of a data file hold: nothing unless they are one JSON
    // array whose every element decodes. encodeRecords is the file's compact form.
    template <typename Record>
    static std::optional<QList<Record>> decodeRecords(const QByteArray &bytes);
    template <typename Record>
    static QByteArray encodeRecords(const QList<Record> &records);

private:
    struct PendingSave {
        std::function<QByteArray()> encode;
        std::function<void()> written;
    };

    // The file's bytes; nothing when there is no file or it is empty.
    std::optional<QByteArray> readBytes();
    static std::optional<QJsonArray> decodeArray(const QByteArray &bytes);
    static QByteArray encodeArray(const QJsonArray &array);
    void keepPending(PendingSave save);
    // Hands the pending save to the writer; one asked for by a timer waits while a
    // write is in progress, so a slow disk never queues up lists.
    void startWrite(bool evenWhileWriting);
    void onWriteFinished(bool written, const QString &why, const std::function<void()> &then);
    // How long a burst of changes may go unwritten, given the size of the last write.
    std::chrono::milliseconds delayDuringBurst() const;
    // Renames the undecodable file aside, saying why in the one log line that names
    // the copy; remembers to try again before any write.
    void keepUndecodableFile(const QString &why = QStringLiteral("could not be read"));
    bool moveUndecodableFileAside();

    QString m_path;
    WriteReport m_report;
    bool m_folderRefused = false;
    QString m_whyUndecodable;
    bool m_undecodableFileInPlace = false;
    bool m_lastWriteFailed = false;
    qint64 m_lastWrittenBytes = 0;
    std::optional<PendingSave> m_pending;
    int m_writesInProgress = 0;
    bool m_writeWhenIdle = false;
    QTimer m_quietTimer;
    QTimer m_longestDelayTimer;
    // Where the writer's reports are delivered: posted reports die with it.
    QObject m_reports;
    // Last, so that it is destroyed (waiting for its job) before what the job reports to.
    QThreadPool m_writer;
};

template <typename Record>
std::optional<QList<Record>> DataFile::loadRecords()
{
    const std::optional<QByteArray> bytes = readBytes();
    if (!bytes)
        return std::nullopt;
    std::optional<QList<Record>> records = decodeRecords<Record>(*bytes);
    if (!records)
        keepUndecodableFile();
    return records;
}

template <typename Record>
bool DataFile::saveRecords(const QList<Record> &records)
{
    if (m_folderRefused)
        return false;
    saveRecordsSoon(records);
    return flushPendingSave();
}

template <typename Record>
void DataFile::saveRecordsSoon(const QList<Record> &records, std::function<void()> written)
{
    keepPending({[records] { return encodeRecords(records); }, std::move(written)});
}

template <typename Record>
std::optional<QList<Record>> DataFile::decodeRecords(const QByteArray &bytes)
{
    const std::optional<QJsonArray> array = decodeArray(bytes);
    if (!array)
        return std::nullopt;
    QList<Record> records;
    records.reserve(array->size());
    for (const QJsonValue &element : *array) {
        std::optional<Record> record = element.isObject() ? Record::fromJson(element.toObject()) : std::nullopt;
        if (!record)
            return std::nullopt;
        records.append(std::move(*record));
    }
    return records;
}

template <typename Record>
QByteArray DataFile::encodeRecords(const QList<Record> &records)
{
    QJsonArray array;
    for (const Record &record : records)
        array.append(record.toJson());
    return encodeArray(array);
}

} // namespace lettergate
