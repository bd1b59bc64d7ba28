#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <optional>

// One store's data file: a compact JSON array of records, read as a whole when the
// store starts and written in full (atomically, owner-only) after every change.
//
// A file that exists but cannot be read or decoded is never overwritten: it is first
// renamed beside itself with a dated suffix ("links.json.unreadable-20250131-142501"),
// the store then starts empty, and nothing the user had is destroyed. If that rename
// fails, writing is refused until it succeeds. An empty file holds nothing to keep and
// a directory in the file's place is left alone (every write then fails).
//
// A file larger than maximumFileBytes, or anything but a regular file (a pipe or a
// device could block or never end), is kept aside the same way without being read.
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

    explicit DataFile(QString path);

    const QString &path() const { return m_path; }

    // Nothing when there is no file or any element fails to decode.
    template <typename Record>
    std::optional<QList<Record>> loadRecords();

    // Whether the records reached the disk. A failure leaves the previous file whole,
    // is logged once until a write succeeds again, and goes to the process's
    // SaveIndicator, as does the success that ends it.
    template <typename Record>
    bool saveRecords(const QList<Record> &records);

    // The records that the bytes of a data file hold: nothing unless they are one JSON
    // array whose every element decodes. encodeRecords is the file's compact form.
    template <typename Record>
    static std::optional<QList<Record>> decodeRecords(const QByteArray &bytes);
    template <typename Record>
    static QByteArray encodeRecords(const QList<Record> &records);

private:
    // The file's bytes; nothing when there is no file or it is empty.
    std::optional<QByteArray> readBytes();
    static std::optional<QJsonArray> decodeArray(const QByteArray &bytes);
    static QByteArray encodeArray(const QJsonArray &array);
    bool writeBytes(const QByteArray &bytes);
    // Renames the undecodable file aside, saying why in the one log line that names
    // the copy; remembers to try again before any write.
    void keepUndecodableFile(const QString &why = QStringLiteral("could not be read"));
    bool moveUndecodableFileAside();

    QString m_path;
    QString m_whyUndecodable;
    bool m_undecodableFileInPlace = false;
    bool m_lastWriteFailed = false;
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
    return writeBytes(encodeRecords(records));
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
