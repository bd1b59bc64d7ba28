#pragma once

#include "FuzzChecks.h"
#include "stores/DataFile.h"

namespace lettergate {

// A data file's bytes decoded as records of one kind; records that decode are encoded
// again and must decode to the same records, and encoding those must give the same bytes.
template <typename Record>
int fuzzDataFile(const uint8_t *data, size_t size)
{
    const std::optional<QList<Record>> records = DataFile::decodeRecords<Record>(FuzzChecks::bytesOf(data, size));
    if (!records)
        return 0;
    const QByteArray encoded = DataFile::encodeRecords(*records);
    const std::optional<QList<Record>> again = DataFile::decodeRecords<Record>(encoded);
    FuzzChecks::require(again.has_value(), "the encoded records decode");
    FuzzChecks::require(*again == *records, "the records read back equal");
    FuzzChecks::require(DataFile::encodeRecords(*again) == encoded, "encoding them again gives the same bytes");
    return 0;
}

} // namespace lettergate
