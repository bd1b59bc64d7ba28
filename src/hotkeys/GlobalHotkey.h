#pragma once

#include "platform/HotKeys.h"

#include <functional>
#include <memory>

namespace lettergate {

// One system-wide key combination, registered for as long as the object lives.
// Presses are matched on the id alone; destroying the object unregisters it.
class GlobalHotkey {
public:
    using Callback = std::function<void()>;

    // "LGAT", the four ASCII bytes packed big-endian: the signature every hot key of
    // this process is registered under.
    static constexpr quint32 signature = (quint32('L') << 24) | (quint32('G') << 16) | (quint32('A') << 8)
                                         | quint32('T');

    // Nothing when the system refuses the combination; nothing is left registered then.
    // Every call takes a fresh id, failed ones included, so an id is never reused.
    static std::unique_ptr<GlobalHotkey> create(HotKeys &hotKeys, quint32 keyCode, quint32 carbonModifiers,
                                                Callback callback);
    ~GlobalHotkey();

    GlobalHotkey(const GlobalHotkey &) = delete;
    GlobalHotkey &operator=(const GlobalHotkey &) = delete;

    HotKeyId identifier() const { return {signature, m_id}; }

private:
    GlobalHotkey(HotKeys &hotKeys, quint32 id, Callback callback);
    void handlePress(HotKeyId pressed) const;

    HotKeys &m_hotKeys;
    const quint32 m_id;
    const Callback m_callback;
    QMetaObject::Connection m_pressConnection;
};

} // namespace lettergate
