#include "hotkeys/GlobalHotkey.h"

namespace lettergate {

namespace {

// Process-wide and only ever counted up, so a press meant for a released hot key can
// never reach a later one. Everything touching it runs on the main thread.
quint32 nextId = 1;

} // namespace

std::unique_ptr<GlobalHotkey> GlobalHotkey::create(HotKeys &hotKeys, quint32 keyCode, quint32 carbonModifiers,
                                                   Callback callback)
{
    const quint32 id = nextId++;
    if (!hotKeys.registerHotKey({signature, id}, keyCode, carbonModifiers))
        return nullptr;
    return std::unique_ptr<GlobalHotkey>(new GlobalHotkey(hotKeys, id, std::move(callback)));
}

GlobalHotkey::GlobalHotkey(HotKeys &hotKeys, quint32 id, Callback callback)
    : m_hotKeys(hotKeys)
    , m_id(id)
    , m_callback(std::move(callback))
{
    m_pressConnection = QObject::connect(&hotKeys, &HotKeys::pressed,
                                         [this](HotKeyId pressed) { handlePress(pressed); });
}

GlobalHotkey::~GlobalHotkey()
{
    m_hotKeys.unregisterHotKey(identifier());
    QObject::disconnect(m_pressConnection);
}

void GlobalHotkey::handlePress(HotKeyId pressed) const
{
    if (pressed.id != m_id || !m_callback)
        return;
    // The callback may re-arm the trigger and so destroy this object; run a copy that
    // outlives it.
    const Callback callback = m_callback;
    callback();
}

} // namespace lettergate
