#pragma once

#include <QString>
#include <Qt>
#include <optional>
#include <span>

namespace lettergate {

// The key vocabulary of the stored trigger, shared by the trigger logic and the
// platform backends that translate it: modifier bits in their two encodings, and the
// table of virtual key codes.

// The device-independent modifier bits of key events, the encoding in which the key
// tap reports modifier changes. Bits below 16 are device-dependent and never matter.
namespace ModifierFlags {
inline constexpr quint64 capsLock = 0x10000;
inline constexpr quint64 shift = 0x20000;
inline constexpr quint64 control = 0x40000;
inline constexpr quint64 option = 0x80000;
inline constexpr quint64 command = 0x100000;
inline constexpr quint64 numericPad = 0x200000;
inline constexpr quint64 function = 0x800000;
// Every bit from position 16 up: the range a "clean" modifier press may not touch
// beyond its own bit.
inline constexpr quint64 deviceIndependentAndAbove = ~quint64(0xFFFF);
} // namespace ModifierFlags

// The hot-key modifier bits a stored combination carries.
namespace CarbonModifiers {
inline constexpr quint32 command = 0x100;
inline constexpr quint32 shift = 0x200;
inline constexpr quint32 option = 0x800;
inline constexpr quint32 control = 0x1000;
} // namespace CarbonModifiers

// The stored trigger names keys by hardware-independent virtual key codes (13 is W).
// This is the one table of the keys Lettergate can name: the code, the name a person
// reads ("W", "Return", "Page Up"), the Qt key it corresponds to, through which
// backends and the key recorder translate, and for some keys the symbol the log has
// always written for them ("↩"), which scripts reading the log may match.
struct VirtualKey {
    quint32 code;
    const char16_t *name;
    Qt::Key qtKey;
    const char16_t *logSymbol = nullptr;
};

namespace VirtualKeys {

std::span<const VirtualKey> all();

// The name a person reads for a key code: the table's name, else "Key" and the decimal code.
QString name(quint32 code);
// The name log lines give a key code: its log symbol where it has one, else its name.
QString logName(quint32 code);

std::optional<quint32> codeForQtKey(int qtKey);
std::optional<Qt::Key> qtKeyForCode(quint32 code);

} // namespace VirtualKeys

} // namespace lettergate
