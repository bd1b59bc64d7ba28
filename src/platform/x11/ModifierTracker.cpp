#include "platform/x11/ModifierTracker.h"

#include "platform/KeyEncoding.h"

#include <algorithm>

namespace lettergate {

void ModifierTracker::reset(quint64 heldFlags, bool capsLockOn)
{
    m_held.clear();
    m_heldBefore = heldFlags & ~ModifierFlags::capsLock;
    m_capsLock = capsLockOn;
}

quint64 ModifierTracker::flags() const
{
    quint64 flags = m_heldBefore | (m_capsLock ? ModifierFlags::capsLock : 0);
    for (const Held &held : m_held)
        flags |= held.flag;
    return flags;
}

std::optional<ModifierTracker::Change> ModifierTracker::press(const Key &key)
{
    switch (key.role) {
    case Role::Ordinary:
        return Change{true, flags()};
    case Role::CapsLock:
        m_capsLock = !m_capsLock;
        return Change{false, flags()};
    case Role::Modifier:
        if (std::ranges::any_of(m_held, [&](const Held &held) { return held.keycode == key.keycode; }))
            return std::nullopt;
        m_held.append({key.keycode, key.flag});
        return Change{false, flags()};
    case Role::Ignored:
        break;
    }
    return std::nullopt;
}

std::optional<ModifierTracker::Change> ModifierTracker::release(const Key &key)
{
    if (key.role != Role::Modifier)
        return std::nullopt;
    const qsizetype removed = m_held.removeIf([&](const Held &held) { return held.keycode == key.keycode; });
    if (removed == 0) {
        if (!(m_heldBefore & key.flag))
            return std::nullopt;
        m_heldBefore &= ~key.flag;
    }
    return Change{false, flags()};
}

} // namespace lettergate
