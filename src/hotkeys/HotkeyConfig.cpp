#include "hotkeys/HotkeyConfig.h"

#include "platform/KeyEncoding.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <limits>

namespace lettergate {

using ModifierKey = HotkeyConfig::ModifierKey;

namespace {

struct ModifierFacts {
    ModifierKey key;
    const char16_t *rawValue;
    const char16_t *readableName;
    const char16_t *logSymbol;
    quint64 flag;
    quint32 carbonBit;
};

constexpr ModifierFacts modifierTable[] = {
    {ModifierKey::Command, u"command", u"Super", u"⌘", ModifierFlags::command, CarbonModifiers::command},
    {ModifierKey::Option, u"option", u"Alt", u"⌥", ModifierFlags::option, CarbonModifiers::option},
    {ModifierKey::Control, u"control", u"Ctrl", u"⌃", ModifierFlags::control, CarbonModifiers::control},
    {ModifierKey::Shift, u"shift", u"Shift", u"⇧", ModifierFlags::shift, CarbonModifiers::shift},
};

const ModifierFacts &factsOf(ModifierKey key)
{
    return modifierTable[static_cast<int>(key)];
}

// The order modifiers are named in, whatever order the keys were pressed in: the
// order Linux desktops write them in, and the log's.
constexpr ModifierKey displayOrder[] = {ModifierKey::Control, ModifierKey::Option, ModifierKey::Shift,
                                        ModifierKey::Command};

const QString invalidKeyCount = QStringLiteral("Invalid number of keys found, expected one.");

std::optional<quint32> unsignedMember(const QJsonObject &object, const QString &name)
{
    const QJsonValue value = object.value(name);
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number < 0 || number > std::numeric_limits<quint32>::max()
        || number != static_cast<double>(static_cast<quint64>(number)))
        return std::nullopt;
    return static_cast<quint32>(number);
}

std::optional<HotkeyConfig> fail(QString *error, const QString &description)
{
    if (error)
        *error = description;
    return std::nullopt;
}

} // namespace

HotkeyConfig HotkeyConfig::combo(quint32 keyCode, quint32 carbonModifiers)
{
    HotkeyConfig config;
    config.m_kind = Kind::Combo;
    config.m_keyCode = keyCode;
    config.m_carbonModifiers = carbonModifiers;
    return config;
}

HotkeyConfig HotkeyConfig::doubleModifier(ModifierKey modifier)
{
    HotkeyConfig config;
    config.m_kind = Kind::DoubleModifier;
    config.m_modifier = modifier;
    return config;
}

HotkeyConfig HotkeyConfig::defaultTrigger()
{
    return combo(13, CarbonModifiers::control | CarbonModifiers::option);
}

QString HotkeyConfig::readableName() const
{
    if (m_kind == Kind::DoubleModifier)
        return QStringLiteral("Double-tap ") + ModifierKeys::readableName(m_modifier);
    QStringList parts;
    for (ModifierKey key : displayOrder) {
        if (m_carbonModifiers & ModifierKeys::carbonBit(key))
            parts.append(ModifierKeys::readableName(key));
    }
    parts.append(VirtualKeys::name(m_keyCode));
    return parts.join(u'+');
}

QString HotkeyConfig::logName() const
{
    if (m_kind == Kind::DoubleModifier)
        return QStringLiteral("Double-tap ") + ModifierKeys::logSymbol(m_modifier);
    QString text;
    for (ModifierKey key : displayOrder) {
        if (m_carbonModifiers & ModifierKeys::carbonBit(key))
            text += ModifierKeys::logSymbol(key);
    }
    return text + VirtualKeys::logName(m_keyCode);
}

bool HotkeyConfig::canSwallowTyping() const
{
    constexpr quint32 typingFree = CarbonModifiers::control | CarbonModifiers::option | CarbonModifiers::command;
    return m_kind == Kind::Combo && (m_carbonModifiers & typingFree) == 0;
}

QByteArray HotkeyConfig::toJson() const
{
    QJsonObject root;
    if (m_kind == Kind::Combo) {
        root.insert(QStringLiteral("combo"),
                    QJsonObject{{QStringLiteral("keyCode"), qint64(m_keyCode)},
                                {QStringLiteral("carbonModifiers"), qint64(m_carbonModifiers)}});
    } else {
        root.insert(QStringLiteral("doubleModifier"),
                    QJsonObject{{QStringLiteral("_0"), ModifierKeys::rawValue(m_modifier)}});
    }
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

std::optional<HotkeyConfig> HotkeyConfig::fromJson(const QByteArray &json, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(error, QStringLiteral("The data isn't valid JSON: %1.").arg(parseError.errorString()));
    if (!document.isObject())
        return fail(error, QStringLiteral("Expected to decode an object but found something else."));

    const QJsonObject root = document.object();
    const bool hasCombo = root.contains(QStringLiteral("combo"));
    const bool hasDouble = root.contains(QStringLiteral("doubleModifier"));
    if (hasCombo == hasDouble)
        return fail(error, invalidKeyCount);

    if (hasCombo) {
        const QJsonValue value = root.value(QStringLiteral("combo"));
        if (!value.isObject())
            return fail(error, QStringLiteral("Expected \"combo\" to hold an object."));
        const QJsonObject payload = value.toObject();
        const auto keyCode = unsignedMember(payload, QStringLiteral("keyCode"));
        const auto modifiers = unsignedMember(payload, QStringLiteral("carbonModifiers"));
        if (!keyCode || !modifiers)
            return fail(error, QStringLiteral(
                                   "Expected \"keyCode\" and \"carbonModifiers\" to hold unsigned 32-bit numbers."));
        return combo(*keyCode, *modifiers);
    }

    const QJsonValue value = root.value(QStringLiteral("doubleModifier"));
    if (!value.isObject())
        return fail(error, QStringLiteral("Expected \"doubleModifier\" to hold an object."));
    const QJsonValue raw = value.toObject().value(QStringLiteral("_0"));
    const auto modifier = raw.isString() ? ModifierKeys::fromRawValue(raw.toString()) : std::nullopt;
    if (!modifier)
        return fail(error, QStringLiteral("Cannot initialize ModifierKey from invalid value \"%1\".")
                               .arg(raw.isString() ? raw.toString() : QStringLiteral("(not a string)")));
    return doubleModifier(*modifier);
}

bool operator==(const HotkeyConfig &a, const HotkeyConfig &b)
{
    if (a.m_kind != b.m_kind)
        return false;
    if (a.m_kind == HotkeyConfig::Kind::Combo)
        return a.m_keyCode == b.m_keyCode && a.m_carbonModifiers == b.m_carbonModifiers;
    return a.m_modifier == b.m_modifier;
}

QString ModifierKeys::rawValue(ModifierKey key)
{
    return QString::fromUtf16(factsOf(key).rawValue);
}

std::optional<ModifierKey> ModifierKeys::fromRawValue(const QString &text)
{
    for (const ModifierFacts &facts : modifierTable) {
        if (text == QString::fromUtf16(facts.rawValue))
            return facts.key;
    }
    return std::nullopt;
}

QString ModifierKeys::readableName(ModifierKey key)
{
    return QString::fromUtf16(factsOf(key).readableName);
}

QString ModifierKeys::commandLineName(ModifierKey key)
{
    return readableName(key).toLower();
}

std::optional<ModifierKey> ModifierKeys::fromCommandLineName(const QString &text)
{
    for (const ModifierKey key : all) {
        if (text.compare(readableName(key), Qt::CaseInsensitive) == 0)
            return key;
    }
    return std::nullopt;
}

QString ModifierKeys::logSymbol(ModifierKey key)
{
    return QString::fromUtf16(factsOf(key).logSymbol);
}

quint64 ModifierKeys::flag(ModifierKey key)
{
    return factsOf(key).flag;
}

quint32 ModifierKeys::carbonBit(ModifierKey key)
{
    return factsOf(key).carbonBit;
}

quint32 carbonModifiersFromFlags(quint64 flags)
{
    quint32 bits = 0;
    for (const ModifierFacts &facts : modifierTable) {
        if (flags & facts.flag)
            bits |= facts.carbonBit;
    }
    return bits;
}

} // namespace lettergate
