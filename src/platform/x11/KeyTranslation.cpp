#include "platform/x11/KeyTranslation.h"

#include "platform/KeyEncoding.h"

#include <X11/keysym.h>

namespace lettergate {

std::optional<xcb_keysym_t> KeyTranslation::keysymForVirtualKey(quint32 keyCode)
{
    const std::optional<Qt::Key> key = VirtualKeys::qtKeyForCode(keyCode);
    if (!key)
        return std::nullopt;
    // Letters are named by their lower-case keysym, the one on the key's first level.
    if (*key >= Qt::Key_A && *key <= Qt::Key_Z)
        return xcb_keysym_t(XK_a + (*key - Qt::Key_A));
    if (*key >= Qt::Key_0 && *key <= Qt::Key_9)
        return xcb_keysym_t(XK_0 + (*key - Qt::Key_0));
    if (*key >= Qt::Key_F1 && *key <= Qt::Key_F12)
        return xcb_keysym_t(XK_F1 + (*key - Qt::Key_F1));
    switch (*key) {
    case Qt::Key_Space:
        return XK_space;
    case Qt::Key_Return:
        return XK_Return;
    case Qt::Key_Escape:
        return XK_Escape;
    case Qt::Key_Tab:
        return XK_Tab;
    case Qt::Key_Backspace:
        return XK_BackSpace;
    case Qt::Key_Delete:
        return XK_Delete;
    case Qt::Key_Left:
        return XK_Left;
    case Qt::Key_Right:
        return XK_Right;
    case Qt::Key_Up:
        return XK_Up;
    case Qt::Key_Down:
        return XK_Down;
    case Qt::Key_Home:
        return XK_Home;
    case Qt::Key_End:
        return XK_End;
    case Qt::Key_PageUp:
        return XK_Prior;
    case Qt::Key_PageDown:
        return XK_Next;
    default:
        return std::nullopt;
    }
}

std::optional<uint16_t> KeyTranslation::modifierMask(quint32 carbonModifiers, const ModifierMasks &masks)
{
    const std::pair<quint32, uint16_t> roles[] = {
        {CarbonModifiers::command, masks.super},
        {CarbonModifiers::option, masks.alt},
        {CarbonModifiers::control, uint16_t(XCB_MOD_MASK_CONTROL)},
        {CarbonModifiers::shift, uint16_t(XCB_MOD_MASK_SHIFT)},
    };
    uint16_t mask = 0;
    for (const auto &[bit, modifier] : roles) {
        if (!(carbonModifiers & bit))
            continue;
        if (modifier == 0)
            return std::nullopt;
        mask |= modifier;
    }
    return mask;
}

QList<uint16_t> KeyTranslation::lockCombinations(const ModifierMasks &masks)
{
    QList<uint16_t> combinations{0};
    for (uint16_t lock : {uint16_t(XCB_MOD_MASK_LOCK), masks.numLock, masks.scrollLock}) {
        // A lock the keyboard lacks, or one sharing a bit with another, adds nothing.
        if (lock == 0 || combinations.contains(lock))
            continue;
        for (qsizetype i = 0, count = combinations.size(); i < count; ++i)
            combinations.append(combinations[i] | lock);
    }
    return combinations;
}

quint64 KeyTranslation::flagOfModifier(uint16_t modifierBit, const ModifierMasks &masks)
{
    if (modifierBit == 0)
        return 0;
    if (modifierBit == XCB_MOD_MASK_SHIFT)
        return ModifierFlags::shift;
    if (modifierBit == XCB_MOD_MASK_CONTROL)
        return ModifierFlags::control;
    if (modifierBit == XCB_MOD_MASK_LOCK)
        return ModifierFlags::capsLock;
    if (modifierBit == masks.alt)
        return ModifierFlags::option;
    if (modifierBit == masks.super)
        return ModifierFlags::command;
    return 0;
}

quint64 KeyTranslation::flagsOfState(uint16_t state, const ModifierMasks &masks)
{
    quint64 flags = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (state & (1u << bit))
            flags |= flagOfModifier(uint16_t(1u << bit), masks);
    }
    return flags;
}

} // namespace lettergate
