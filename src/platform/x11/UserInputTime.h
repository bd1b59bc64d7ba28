#pragma once

#include <QAbstractNativeEventFilter>
#include <optional>
#include <xcb/xcb.h>

namespace lettergate {

// The X server time of the newest key or mouse button that reached this program's own
// windows, read from the events on Qt's connection as they arrive. A request that moves
// the focus should carry the time of the user action behind it (ICCCM); this one costs
// no round trip, where asking the server for its time costs one.
class UserInputTime final : public QAbstractNativeEventFilter {
public:
    // Watches Qt's connection through the application, when there is one; xinputOpcode
    // recognises the mouse buttons Qt reads through XInput 2 (0 when it has none).
    explicit UserInputTime(uint8_t xinputOpcode);
    ~UserInputTime() override;
    UserInputTime(const UserInputTime &) = delete;
    UserInputTime &operator=(const UserInputTime &) = delete;

    // The newest input's time when it came after lastFocusChange: a focus request
    // stamped earlier than the last change of focus is ignored by the server, so
    // without a known later input there is nothing to offer.
    std::optional<xcb_timestamp_t> newestAfter(std::optional<xcb_timestamp_t> lastFocusChange) const;

    // Notes the time of one event of Qt's connection if it is the user's input.
    void note(const xcb_generic_event_t *event);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    uint8_t m_xinputOpcode;
    std::optional<xcb_timestamp_t> m_newest;
};

// Whether X server time a is later than b; the 32-bit millisecond clock wraps.
inline bool isLaterServerTime(xcb_timestamp_t a, xcb_timestamp_t b)
{
    return static_cast<int32_t>(a - b) > 0;
}

} // namespace lettergate
