#include "platform/x11/X11HotKeys.h"

#include "platform/Log.h"
#include "platform/x11/KeyTranslation.h"
#include "platform/x11/KeyboardMap.h"
#include "platform/x11/X11Display.h"

#include <vector>

namespace lettergate {

X11HotKeys::X11HotKeys(const X11Display &display, const KeyboardMap &keyboard, QObject *parent)
    : HotKeys(parent)
    , m_display(display)
    , m_keyboard(keyboard)
{
    connect(&keyboard, &KeyboardMap::changed, this, [this] {
        regrabAll();
        emit keyboardMappingChanged();
    });
}

X11HotKeys::~X11HotKeys()
{
    QList<Registration> registrations;
    registrations.swap(m_registrations);
    for (const Registration &registration : std::as_const(registrations))
        ungrab(registration.grabs);
    m_display.flush();
}

bool X11HotKeys::registerHotKey(HotKeyId id, quint32 keyCode, quint32 modifiers)
{
    Registration registration{id, keyCode, modifiers, 0, {}};
    if (!grabRegistration(registration))
        return false;
    m_registrations.append(registration);
    return true;
}

void X11HotKeys::unregisterHotKey(HotKeyId id)
{
    const auto it = std::ranges::find(m_registrations, id, &Registration::id);
    if (it == m_registrations.end())
        return;
    const QList<Grab> grabs = it->grabs;
    m_registrations.erase(it);
    ungrab(grabs);
    m_display.flush();
}

bool X11HotKeys::grabRegistration(Registration &registration)
{
    registration.grabs.clear();
    const auto keysym = KeyTranslation::keysymForVirtualKey(registration.keyCode);
    const auto modifiers = KeyTranslation::modifierMask(registration.carbonModifiers, m_keyboard.masks());
    if (!keysym || !modifiers)
        return false;
    const QList<xcb_keycode_t> keycodes = m_keyboard.keycodes(*keysym);
    if (keycodes.isEmpty())
        return false;
    registration.modifiers = *modifiers;
    for (xcb_keycode_t keycode : keycodes) {
        const auto grabs = grab(keycode, *modifiers);
        if (!grabs) {
            ungrab(registration.grabs);
            registration.grabs.clear();
            return false;
        }
        registration.grabs += *grabs;
    }
    return true;
}

std::optional<QList<X11HotKeys::Grab>> X11HotKeys::grab(xcb_keycode_t keycode, uint16_t modifiers)
{
    xcb_connection_t *c = m_display.connection();
    QList<Grab> grabs;
    std::vector<xcb_void_cookie_t> cookies;
    for (uint16_t locks : KeyTranslation::lockCombinations(m_keyboard.masks())) {
        const Grab wanted{keycode, uint16_t(modifiers | locks)};
        grabs.append(wanted);
        cookies.push_back(xcb_grab_key_checked(c, 1, m_display.root(), wanted.modifiers, keycode, XCB_GRAB_MODE_ASYNC,
                                               XCB_GRAB_MODE_ASYNC));
    }
    // Another client holding any variant refuses the whole combination (BadAccess):
    // half a combination would work only while some lock happens to be on.
    bool refused = false;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (XcbPtr<xcb_generic_error_t> error{xcb_request_check(c, cookie)})
            refused = true;
    }
    if (refused) {
        ungrab(grabs);
        m_display.flush();
        return std::nullopt;
    }
    return grabs;
}

void X11HotKeys::ungrab(const QList<Grab> &grabs)
{
    for (const Grab &grab : grabs) {
        // The server holds one grab per combination for this client: a combination
        // registered twice stays grabbed until its last registration goes.
        const bool stillUsed = std::ranges::any_of(m_registrations,
                                                   [&](const Registration &r) { return r.grabs.contains(grab); });
        if (!stillUsed)
            xcb_ungrab_key(m_display.connection(), grab.keycode, m_display.root(), grab.modifiers);
    }
}

void X11HotKeys::regrabAll()
{
    QList<Registration> previous;
    previous.swap(m_registrations);
    for (const Registration &registration : std::as_const(previous))
        ungrab(registration.grabs);
    for (Registration registration : std::as_const(previous)) {
        if (grabRegistration(registration))
            m_registrations.append(registration);
        else
            qCWarning(lcX11).noquote() << QStringLiteral(
                "a hot key could not be grabbed again after the keyboard mapping changed");
    }
    m_display.flush();
}

void X11HotKeys::x11Event(const xcb_generic_event_t *event)
{
    const uint8_t type = x11EventType(event);
    if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE)
        handleKey(reinterpret_cast<const xcb_key_press_event_t *>(event), type == XCB_KEY_PRESS);
}

void X11HotKeys::handleKey(const xcb_key_press_event_t *event, bool isPress)
{
    if (!isPress) {
        m_lastReleasedKey = event->detail;
        m_lastReleaseTime = event->time;
        return;
    }
    if (event->detail == m_lastReleasedKey && event->time == m_lastReleaseTime)
        return;
    // Only the modifier keys decide; lock states and pointer buttons do not.
    const uint16_t modifiers = event->state & 0xff & ~m_keyboard.masks().locks();
    const QList<Registration> current = m_registrations;
    for (const Registration &registration : current) {
        const bool matches = std::ranges::any_of(registration.grabs,
                                                 [&](const Grab &grab) { return grab.keycode == event->detail; });
        if (matches && registration.modifiers == modifiers)
            emit pressed(registration.id);
    }
}

} // namespace lettergate
