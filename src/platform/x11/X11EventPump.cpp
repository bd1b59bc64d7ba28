#include "platform/x11/X11EventPump.h"

#include "platform/DisplayLoss.h"
#include "platform/Log.h"
#include "platform/x11/X11Display.h"

#include <QAbstractEventDispatcher>
#include <QThread>
#include <atomic>
#include <mutex>

namespace lettergate {

namespace {

// Qt's xcb plugin reads the same server over a connection of its own. When the server
// goes away, whichever notices first says so, and the program says it once: Qt's own
// report (after which it ends the process) is folded into this backend's.
std::atomic_flag serverLossReported;
QtMessageHandler messageHandlerBefore = nullptr;

const QString serverLossReport = QStringLiteral(
    "the connection to the X server was lost: windows, hot keys and pictures stop working");

void reportServerLoss()
{
    if (!serverLossReported.test_and_set())
        qCWarning(lcX11).noquote() << serverLossReport;
}

void foldQtServerLossReport(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(u"The X11 connection broke")) {
        // Logging from inside a message handler would bypass the handlers, so the report
        // goes down the chain directly.
        if (!serverLossReported.test_and_set())
            messageHandlerBefore(QtWarningMsg, context, serverLossReport);
        // Qt calls exit() as soon as this returns.
        DisplayLoss::runLastWrites();
        return;
    }
    messageHandlerBefore(type, context, message);
}

void installServerLossReporting()
{
    static std::once_flag installed;
    std::call_once(installed, [] { messageHandlerBefore = qInstallMessageHandler(foldQtServerLossReport); });
}

} // namespace

X11EventPump::X11EventPump(X11Display &display, QObject *parent)
    : QObject(parent)
    , m_display(display)
    , m_notifier(xcb_get_file_descriptor(display.connection()), QSocketNotifier::Read)
    , m_timeWindow(xcb_generate_id(display.connection()))
{
    // An unmapped input-only window whose property changes tell the server time.
    const uint32_t values[] = {1, XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_create_window(display.connection(), XCB_COPY_FROM_PARENT, m_timeWindow, display.root(), -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK,
                      values);
    display.flush();

    installServerLossReporting();
    connect(&m_notifier, &QSocketNotifier::activated, this, &X11EventPump::drain);
    if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance(thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &X11EventPump::drain);
}

X11EventPump::~X11EventPump()
{
    xcb_destroy_window(m_display.connection(), m_timeWindow);
    m_display.flush();
}

void X11EventPump::addFilter(X11EventFilter *filter)
{
    if (!m_filters.contains(filter))
        m_filters.append(filter);
}

void X11EventPump::removeFilter(X11EventFilter *filter)
{
    m_filters.removeAll(filter);
}

void X11EventPump::drain()
{
    while (const XcbPtr<xcb_generic_event_t> event = nextEvent())
        dispatch(event.get());
    if (m_display.hasFailed())
        reportLostConnection();
}

XcbPtr<xcb_generic_event_t> X11EventPump::nextEvent()
{
    // Events put aside while waiting for the server time (perhaps by a filter in the
    // middle of this very drain) arrived before anything still to be read.
    if (!m_deferred.empty()) {
        XcbPtr<xcb_generic_event_t> event = std::move(m_deferred.front());
        m_deferred.pop_front();
        return event;
    }
    return XcbPtr<xcb_generic_event_t>(xcb_poll_for_event(m_display.connection()));
}

void X11EventPump::dispatch(const xcb_generic_event_t *event)
{
    // Errors of requests whose outcome nobody waits for (a window that closed before a
    // property could be read) change nothing; the requests that decide something check
    // their own errors.
    if (event->response_type == 0)
        return;
    // A filter may remove itself or another one while it handles the event.
    const QList<X11EventFilter *> filters = m_filters;
    for (X11EventFilter *filter : filters) {
        if (m_filters.contains(filter))
            filter->x11Event(event);
    }
}

xcb_timestamp_t X11EventPump::serverTime()
{
    xcb_connection_t *connection = m_display.connection();
    const xcb_atom_t probe = m_display.atoms().timestampProbe;
    // Appending nothing changes nothing but still produces a PropertyNotify, stamped
    // with the server's time.
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, m_timeWindow, probe, XCB_ATOM_INTEGER, 32, 0, nullptr);
    xcb_flush(connection);
    while (XcbPtr<xcb_generic_event_t> event{xcb_wait_for_event(connection)}) {
        if (x11EventType(event.get()) == XCB_PROPERTY_NOTIFY) {
            const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event.get());
            if (notify->window == m_timeWindow && notify->atom == probe) {
                if (!m_deferred.empty())
                    QMetaObject::invokeMethod(this, &X11EventPump::drain, Qt::QueuedConnection);
                return notify->time;
            }
        }
        m_deferred.push_back(std::move(event));
    }
    reportLostConnection();
    return XCB_CURRENT_TIME;
}

void X11EventPump::reportLostConnection()
{
    if (m_lost)
        return;
    m_lost = true;
    m_notifier.setEnabled(false);
    reportServerLoss();
}

} // namespace lettergate
