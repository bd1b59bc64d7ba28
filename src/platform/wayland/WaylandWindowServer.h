#pragma once

#include "platform/WindowServer.h"

#include "platform/wayland/SwayIpc.h"

#include <QHash>
#include <QRect>
#include <QString>
#include <QTimer>
#include <memory>

namespace lettergate {

class ForeignToplevels;
class SwayLayout;
struct Toplevel;
class VisibleWindowFrames;
class WaylandAppCatalog;

// The compositor's windows, most recently activated first, minimised ones left out.
// The window list carries no geometry: on sway ($SWAYSOCK) each window's place comes
// from sway's layout tree, read off the GUI thread at each listing, at each activation
// and soon after any other change of the windows (opened, closed, retitled). A listing
// uses the latest tree read without waiting, and each tree read hands the visible
// windows to the window pictures. A window sway has not described yet, or any window
// elsewhere, gets the bounds of the output it is on, which is all that is known of it.
class WaylandWindowServer final : public WindowServer {
public:
    WaylandWindowServer(const ForeignToplevels &toplevels, WaylandAppCatalog &catalog, VisibleWindowFrames &frames,
                        const QString &swaySocket);
    ~WaylandWindowServer() override;

    std::optional<QList<WindowRecord>> onScreenWindows() override;

private:
    QList<Toplevel> shownToplevels() const;
    QHash<quint32, SwayIpc::View> placesOf(const QList<Toplevel> &toplevels) const;
    void handVisibleToPictures(const QList<Toplevel> &toplevels, const QHash<quint32, SwayIpc::View> &places);
    std::optional<QRect> outputRectOf(const Toplevel &toplevel) const;

    const ForeignToplevels &m_toplevels;
    WaylandAppCatalog &m_catalog;
    VisibleWindowFrames &m_frames;
    std::unique_ptr<SwayLayout> m_layout; // null without sway
    // Gathers the changes of a moment (a switch changes two windows) into one read.
    QTimer m_changesSettle;
};

} // namespace lettergate
