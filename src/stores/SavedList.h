#pragma once

#include "stores/DataFile.h"

#include <QList>

namespace lettergate {

// The saved list of a curated store (snippets, links, commands): loaded once from its
// data file when the store is made, replaced as a whole by the settings window's Save,
// which waits for the write (on the file's writer thread): such saves are rare, and
// the settings window reports each one.
template <typename Record>
class SavedList {
public:
    SavedList(const QString &filePath, DataFile::WriteReport report)
        : m_file(filePath, std::move(report))
    {
        if (std::optional<QList<Record>> loaded = m_file.template loadRecords<Record>())
            m_records = std::move(*loaded);
    }

    const QList<Record> &records() const { return m_records; }

    // The new list takes effect at once; answers whether it reached the disk.
    bool replace(QList<Record> records)
    {
        m_records = std::move(records);
        return m_file.saveRecords(m_records);
    }

private:
    DataFile m_file;
    QList<Record> m_records;
};

} // namespace lettergate
