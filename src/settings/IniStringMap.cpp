#include "settings/IniStringMap.h"

#include <QScopeGuard>
#include <QSettings>

namespace lettergate {

namespace {

constexpr QChar escapeSign = u'%';
constexpr QStringView emptyIdentifierKey = u"%";
constexpr QStringView escapedPercent = u"%25";
constexpr QStringView escapedSlash = u"%2F";

} // namespace

QString IniStringMap::encodeKey(const QString &identifier)
{
    if (identifier.isEmpty())
        return emptyIdentifierKey.toString();
    QString key;
    key.reserve(identifier.size());
    for (const QChar c : identifier) {
        if (c == escapeSign)
            key += escapedPercent;
        else if (c == u'/')
            key += escapedSlash;
        else
            key += c;
    }
    return key;
}

QString IniStringMap::decodeKey(const QString &key)
{
    if (key == emptyIdentifierKey)
        return {};
    QString identifier;
    identifier.reserve(key.size());
    for (qsizetype i = 0; i < key.size(); ++i) {
        const QStringView rest = QStringView(key).mid(i);
        if (rest.startsWith(escapedPercent, Qt::CaseInsensitive)) {
            identifier += escapeSign;
            i += escapedPercent.size() - 1;
        } else if (rest.startsWith(escapedSlash, Qt::CaseInsensitive)) {
            identifier += u'/';
            i += escapedSlash.size() - 1;
        } else {
            identifier += key.at(i);
        }
    }
    return identifier;
}

IniStringMap::Map IniStringMap::read(QSettings &settings, QAnyStringView group)
{
    const Entries entries = readEach(settings, group);
    return entries.others.isEmpty() ? entries.plain : Map();
}

IniStringMap::Entries IniStringMap::readEach(QSettings &settings, QAnyStringView group)
{
    settings.beginGroup(group);
    const auto leaveGroup = qScopeGuard([&settings] { settings.endGroup(); });

    Entries entries;
    // allKeys() includes the keys of nested groups ("app/bad"): encodeKey never writes a
    // slash, so every such key is one written by hand.
    const QStringList keys = settings.allKeys();
    for (const QString &key : keys) {
        const QVariant value = settings.value(key);
        if (value.typeId() == QMetaType::QString && !key.contains(u'/'))
            entries.plain.insert(decodeKey(key), value.toString());
        else
            entries.others.append(decodeKey(key));
    }
    return entries;
}

void IniStringMap::write(QSettings &settings, QAnyStringView group, const Map &map)
{
    settings.remove(group);
    settings.beginGroup(group);
    for (auto entry = map.cbegin(); entry != map.cend(); ++entry)
        settings.setValue(encodeKey(entry.key()), entry.value());
    settings.endGroup();
}

} // namespace lettergate
