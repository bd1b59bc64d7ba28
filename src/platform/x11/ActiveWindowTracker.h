#pragma once

#include "platform/x11/X11EventPump.h"

#include <QList>
#include <functional>
#include <optional>

namespace lettergate {

class X11Display;

// Follows _NET_ACTIVE_WINDOW as the window manager changes it, so that "which
// application is in front" is answered without asking the server. It also keeps the
// order in which windows were last active, including the ones this program has just
// asked to activate and the window manager has not yet reported.
class ActiveWindowTracker final : public X11EventFilter {
public:
    // The root window must report property changes (X11Platform selects them).
    explicit ActiveWindowTracker(const X11Display &display);

    std::optional<qint32> activePid() const { return m_activePid; }
    // Called whenever the window manager reports the active window (XCB_WINDOW_NONE for
    // none), saying whether it belongs to another process than the one reported before.
    using ReportHandler = std::function<void(xcb_window_t window, bool anotherProcess)>;
    void setReportHandler(ReportHandler handler) { m_reportHandler = std::move(handler); }
    xcb_window_t activeWindow() const { return m_activeWindow; }

    void noteActivationRequest(xcb_window_t window, qint32 pid);
    // Whether this program's last activation request was for a window of the process
    // and the window manager has reported no change of the active window since: the
    // application is already on its way to the front.
    bool activationPendingFor(qint32 pid) const { return m_pendingActivationPid == pid; }
    // The most recently active of the candidates, if any of them ever was.
    std::optional<xcb_window_t> mostRecent(const QList<xcb_window_t> &candidates) const;

    void x11Event(const xcb_generic_event_t *event) override;

private:
    void refresh();
    void pushRecent(xcb_window_t window);

    const X11Display &m_display;
    xcb_window_t m_activeWindow = XCB_WINDOW_NONE;
    std::optional<qint32> m_activePid;
    std::optional<qint32> m_pendingActivationPid;
    QList<xcb_window_t> m_recent; // most recent first, bounded
    ReportHandler m_reportHandler;
};

} // namespace lettergate
