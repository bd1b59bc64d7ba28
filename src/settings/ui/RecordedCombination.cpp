#include "settings/ui/RecordedCombination.h"

namespace lettergate {

quint64 modifierFlagsOf(Qt::KeyboardModifiers modifiers)
{
    quint64 flags = 0;
    if (modifiers & Qt::MetaModifier)
        flags |= ModifierFlags::command;
    if (modifiers & Qt::AltModifier)
        flags |= ModifierFlags::option;
    if (modifiers & Qt::ControlModifier)
        flags |= ModifierFlags::control;
    if (modifiers & Qt::ShiftModifier)
        flags |= ModifierFlags::shift;
    return flags;
}

std::optional<HotkeyConfig> recordedCombination(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const std::optional<quint32> keyCode = VirtualKeys::codeForQtKey(qtKey);
    if (!keyCode)
        return std::nullopt;
    return HotkeyConfig::combo(*keyCode, carbonModifiersFromFlags(modifierFlagsOf(modifiers)));
}

} // namespace lettergate
