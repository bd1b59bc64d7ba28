#pragma once

#include <QString>
#include <Qt>
#include <optional>
#include <span>

// The stored trigger names keys by hardware-independent virtual key codes (13 is W).
// This is the one table of the keys Lettergate can name: the code, the text shown
// for it, and the Qt key it corresponds to, through which backends and the key
// recorder translate.
struct VirtualKey {
    quint32 code;
    const char16_t *name;
    Qt::Key qtKey;
};

namespace VirtualKeys {

std::span<const VirtualKey> all();

// The text shown for a key code: the table's name, else "Key" and the decimal code.
QString name(quint32 code);

std::optional<quint32> codeForQtKey(int qtKey);
std::optional<Qt::Key> qtKeyForCode(quint32 code);

} // namespace VirtualKeys
