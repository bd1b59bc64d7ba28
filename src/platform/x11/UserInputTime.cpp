#include "platform/x11/UserInputTime.h"

#include "platform/x11/X11EventPump.h"

#include <QCoreApplication>
#include <xcb/xinput.h>

namespace lettergate {

UserInputTime::UserInputTime(uint8_t xinputOpcode)
    : m_xinputOpcode(xinputOpcode)
{
    if (QCoreApplication *application = QCoreApplication::instance())
        application->installNativeEventFilter(this);
}

UserInputTime::~UserInputTime()
{
    if (QCoreApplication *application = QCoreApplication::instance())
        application->removeNativeEventFilter(this);
}

std::optional<xcb_timestamp_t> UserInputTime::newestAfter(std::optional<xcb_timestamp_t> lastFocusChange) const
{
    if (!m_newest || !lastFocusChange || !isLaterServerTime(*m_newest, *lastFocusChange))
        return std::nullopt;
    return m_newest;
}

void UserInputTime::note(const xcb_generic_event_t *event)
{
    std::optional<xcb_timestamp_t> time;
    switch (x11EventType(event)) {
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE:
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE:
        // Key and button events share their layout.
        time = reinterpret_cast<const xcb_key_press_event_t *>(event)->time;
        break;
    case XCB_GE_GENERIC: {
        const auto *generic = reinterpret_cast<const xcb_ge_generic_event_t *>(event);
        if (m_xinputOpcode == 0 || generic->extension != m_xinputOpcode)
            break;
        if (generic->event_type == XCB_INPUT_BUTTON_PRESS || generic->event_type == XCB_INPUT_BUTTON_RELEASE
            || generic->event_type == XCB_INPUT_KEY_PRESS || generic->event_type == XCB_INPUT_KEY_RELEASE)
            time = reinterpret_cast<const xcb_input_button_press_event_t *>(event)->time;
        break;
    }
    default:
        break;
    }
    if (time && (!m_newest || isLaterServerTime(*time, *m_newest)))
        m_newest = time;
}

bool UserInputTime::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType == "xcb_generic_event_t")
        note(static_cast<const xcb_generic_event_t *>(message));
    return false; // only watching
}

} // namespace lettergate
