#pragma once

#include <QAnyStringView>
#include <QMap>
#include <QString>
#include <QStringList>

class QSettings;

namespace lettergate {

// A map of texts (bundle identifier → letter or name) kept in the INI settings file as
// one group named after its key, one readable line per entry:
//
//     [Lettergate.appLetters]
//     org.gnome.Terminal.desktop=t
//
// QSettings escapes whatever an INI key cannot hold (spaces, "=", ";", non-ASCII) and
// unescapes it on reading. The two things it cannot represent are encoded here first:
// "/" (its group separator) becomes "%2F", "%" becomes "%25" so that encoding stays
// reversible, and the empty identifier is written as a lone "%". Every identifier
// therefore reads back exactly as it was written.
//
// read() takes the map as all or nothing: when any entry is not a plain string (a
// comma-separated list, an @ByteArray or @Variant value, @Invalid(), or a nested group
// such as a key with a slash), the whole map reads as empty. readEach() keeps the plain
// entries and names the others. Either way the map is replaced in full at its next save,
// like every other write of the map.
namespace IniStringMap {

using Map = QMap<QString, QString>;

struct Entries {
    Map plain;
    // The identifiers whose entries are not plain strings.
    QStringList others;
};

// The map stored under `group`; empty when absent or when any entry is not a plain string.
Map read(QSettings &settings, QAnyStringView group);
// Every entry stored under `group`, sorted into plain strings and the rest.
Entries readEach(QSettings &settings, QAnyStringView group);

// Replaces the whole group by `map` (an empty map removes the group). Does not sync.
void write(QSettings &settings, QAnyStringView group, const Map &map);

// How an identifier is named inside the group, before QSettings' own escaping.
QString encodeKey(const QString &identifier);
QString decodeKey(const QString &key);

} // namespace IniStringMap

} // namespace lettergate
