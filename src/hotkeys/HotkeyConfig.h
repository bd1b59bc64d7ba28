#pragma once

#include "platform/KeyEncoding.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace lettergate {

// How the user summons the panel: a key combination, or a double tap of one modifier.
class HotkeyConfig {
public:
    // In picker order.
    enum class ModifierKey { Command, Option, Control, Shift };
    enum class Kind { Combo, DoubleModifier };

    static HotkeyConfig combo(quint32 keyCode, quint32 carbonModifiers);
    static HotkeyConfig doubleModifier(ModifierKey modifier);
    // Ctrl+Alt+W: the trigger of a first launch.
    static HotkeyConfig defaultTrigger();

    Kind kind() const { return m_kind; }
    quint32 keyCode() const { return m_keyCode; }
    quint32 carbonModifiers() const { return m_carbonModifiers; }
    ModifierKey modifier() const { return m_modifier; }

    // What a person reads: "Ctrl+Alt+W", "Shift+Super+Space", "Double-tap Super".
    QString readableName() const;
    // What log lines write, unchanged since the first releases because scripts match
    // it: "⌃⌥W", "⇧⌘Space", "Double-tap ⌘".
    QString logName() const;

    // A combination without Ctrl, Alt or Super: grabbed, it would take that key from
    // everything the user types. A double tap never can.
    bool canSwallowTyping() const;

    // The stored form: {"combo":{"keyCode":13,"carbonModifiers":6144}} or
    // {"doubleModifier":{"_0":"command"}}, compact.
    QByteArray toJson() const;
    // Nothing when the text is not exactly one of the two forms; error then says why.
    static std::optional<HotkeyConfig> fromJson(const QByteArray &json, QString *error = nullptr);

    friend bool operator==(const HotkeyConfig &a, const HotkeyConfig &b);

private:
    HotkeyConfig() = default;

    Kind m_kind = Kind::Combo;
    quint32 m_keyCode = 0;
    quint32 m_carbonModifiers = 0;
    ModifierKey m_modifier = ModifierKey::Command;
};

namespace ModifierKeys {

inline constexpr HotkeyConfig::ModifierKey all[] = {HotkeyConfig::ModifierKey::Command,
                                                    HotkeyConfig::ModifierKey::Option,
                                                    HotkeyConfig::ModifierKey::Control,
                                                    HotkeyConfig::ModifierKey::Shift};

// "command", "option", "control", "shift": the stored text.
QString rawValue(HotkeyConfig::ModifierKey key);
std::optional<HotkeyConfig::ModifierKey> fromRawValue(const QString &text);
// "Super", "Alt", "Ctrl", "Shift": the Linux name a person reads.
QString readableName(HotkeyConfig::ModifierKey key);
// "super", "alt", "ctrl", "shift": what `lettergate tap` takes (in any case).
QString commandLineName(HotkeyConfig::ModifierKey key);
std::optional<HotkeyConfig::ModifierKey> fromCommandLineName(const QString &text);
// "⌘", "⌥", "⌃", "⇧": the symbol log lines write.
QString logSymbol(HotkeyConfig::ModifierKey key);
quint64 flag(HotkeyConfig::ModifierKey key);
quint32 carbonBit(HotkeyConfig::ModifierKey key);

} // namespace ModifierKeys

// The hot-key modifier bits of key-event modifier flags; every other flag is ignored.
quint32 carbonModifiersFromFlags(quint64 flags);

} // namespace lettergate
