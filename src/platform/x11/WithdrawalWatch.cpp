#include "platform/x11/WithdrawalWatch.h"

#include "platform/Log.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11Property.h"

namespace {

constexpr uint32_t withdrawnState = 0;  // ICCCM WM_STATE value
// A window manager takes a few milliseconds to withdraw a window; one that never says
// it did must not keep the window hidden for longer than a user would notice.
constexpr int gracePeriodMs = 250;

} // namespace

WithdrawalWatch::WithdrawalWatch(X11Display &display)
    : m_display(display)
    , m_wmState(display.atoms().wmState)
{
    m_gracePeriod.setSingleShot(true);
    m_gracePeriod.setInterval(gracePeriodMs);
    QObject::connect(&m_gracePeriod, &QTimer::timeout, [this] { runAllLate(); });
}

void WithdrawalWatch::whenWithdrawn(xcb_window_t window, std::function<void()> then)
{
    // Watched before asking, so that a withdrawal ending after the answer is seen. A
    // window the server does not know yet (its creation still in the toolkit's queue) is
    // held by nobody.
    if (!m_watched.contains(window) && watch(window))
        m_watched.append(window);
    if (!m_watched.contains(window) || !isHeldByWindowManager(window)) {
        m_waiting.remove(window);
        then();
        return;
    }
    m_waiting.insert(window, std::move(then));
    if (!m_gracePeriod.isActive())
        m_gracePeriod.start();
}

void WithdrawalWatch::x11Event(const xcb_generic_event_t *event)
{
    if (m_waiting.isEmpty() || x11EventType(event) != XCB_PROPERTY_NOTIFY)
        return;
    const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
    if (notify->atom != m_wmState || !m_waiting.contains(notify->window))
        return;
    // Asked again rather than judged by the event, which may be left over from an
    // earlier withdrawal that nobody waited for.
    if (!isHeldByWindowManager(notify->window))
        run(notify->window);
}

bool WithdrawalWatch::watch(xcb_window_t window)
{
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_connection_t *connection = m_display.connection();
    const XcbPtr<xcb_generic_error_t> error(xcb_request_check(
        connection, xcb_change_window_attributes_checked(connection, window, XCB_CW_EVENT_MASK, &mask)));
    return !error;
}

bool WithdrawalWatch::isHeldByWindowManager(xcb_window_t window) const
{
    if (m_wmState == XCB_ATOM_NONE)
        return false;
    xcb_connection_t *connection = m_display.connection();
    const XcbPtr<xcb_get_property_reply_t> reply =
        X11Property::reply(connection, X11Property::request(connection, window, m_wmState, 2));
    const std::optional<uint32_t> state = reply ? X11Property::firstCardinal(reply.get()) : std::nullopt;
    return state && *state != withdrawnState;
}

void WithdrawalWatch::run(xcb_window_t window)
{
    const std::function<void()> then = m_waiting.take(window);
    if (m_waiting.isEmpty())
        m_gracePeriod.stop();
    then();
}

void WithdrawalWatch::runAllLate()
{
    Log::info(QStringLiteral("the window manager did not let go of a hidden window within %1 ms; showing it anyway")
                  .arg(gracePeriodMs));
    while (!m_waiting.isEmpty())
        run(m_waiting.begin().key());
}
