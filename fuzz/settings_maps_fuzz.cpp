// The settings file's maps (app letters and names): arbitrary bytes as the INI file.
// Each map that reads is written into a fresh settings file and must read back equal;
// every identifier, and the input taken as one, must survive the key escaping.
#include "FuzzChecks.h"
#include "settings/IniStringMap.h"
#include "settings/SettingsStore.h"
#include "stores/PrivateFiles.h"

#include <QFile>
#include <QSettings>

using namespace lettergate;

namespace {

// A new name for every settings file: QSettings caches files by name, and a rewrite
// within the same second and of the same size could be taken for the cached one.
QString freshSettingsPath()
{
    static quint64 serial = 0;
    return FuzzChecks::scratchDirectory() + QStringLiteral("/settings-%1.ini").arg(++serial);
}

void requireKeysRoundTrip(const IniStringMap::Map &map)
{
    for (auto entry = map.cbegin(); entry != map.cend(); ++entry)
        FuzzChecks::require(IniStringMap::decodeKey(IniStringMap::encodeKey(entry.key())) == entry.key(),
                            "an identifier survives the key escaping");
}

void requireMapRoundTrip(const IniStringMap::Map &map, QStringView group)
{
    const QString path = freshSettingsPath();
    {
        QSettings written(path, QSettings::IniFormat);
        IniStringMap::write(written, group, map);
        written.sync();
        FuzzChecks::require(written.status() == QSettings::NoError, "the map is written");
    }
    {
        QSettings reread(path, QSettings::IniFormat);
        FuzzChecks::require(IniStringMap::read(reread, group) == map, "the map reads back equal");
    }
    QFile::remove(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzChecks::bytesOf(data, size);
    const QString asText = QString::fromUtf8(bytes);
    FuzzChecks::require(IniStringMap::decodeKey(IniStringMap::encodeKey(asText)) == asText,
                        "any text survives the key escaping");

    const QString path = freshSettingsPath();
    FuzzChecks::require(PrivateFiles::writeAtomically(path, bytes), "the settings file is written");
    QList<std::pair<QStringView, IniStringMap::Map>> maps;
    {
        QSettings settings(path, QSettings::IniFormat);
        for (QStringView group : {SettingsStore::lettersKey, SettingsStore::namesKey})
            maps.append({group, IniStringMap::read(settings, group)});
    }
    QFile::remove(path);
    for (const auto &[group, map] : maps) {
        requireKeysRoundTrip(map);
        requireMapRoundTrip(map, group);
    }
    return 0;
}
