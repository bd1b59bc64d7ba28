#include "platform/wayland/WaylandWindowServer.h"

#include "platform/wayland/ForeignToplevels.h"
#include "platform/wayland/SwayLayout.h"
#include "platform/wayland/VisibleWindowFrames.h"
#include "platform/wayland/WaylandAppCatalog.h"
#include "platform/wayland/WaylandOutputs.h"

#include <QHash>

namespace lettergate {

namespace {

constexpr int changesSettleMs = 50;

// Pairs sway's views with the windows: by app_id and title, and among equals by age (both
// lists are oldest first); a window whose title changed in between is paired by app_id.
QHash<quint32, SwayIpc::View> pairViews(QList<Toplevel> toplevels, QList<SwayIpc::View> views)
{
    std::ranges::sort(toplevels, {}, &Toplevel::number);
    QHash<quint32, SwayIpc::View> paired;
    const auto pairWhere = [&](auto matches) {
        for (const Toplevel &toplevel : toplevels) {
            if (paired.contains(toplevel.number))
                continue;
            const auto view = std::ranges::find_if(views, [&](const SwayIpc::View &v) { return matches(toplevel, v); });
            if (view != views.end()) {
                paired.insert(toplevel.number, *view);
                views.erase(view);
            }
        }
    };
    pairWhere([](const Toplevel &t, const SwayIpc::View &v) { return t.appId == v.appId && t.title == v.title; });
    pairWhere([](const Toplevel &t, const SwayIpc::View &v) { return t.appId == v.appId; });
    return paired;
}

} // namespace

WaylandWindowServer::WaylandWindowServer(const ForeignToplevels &toplevels, WaylandAppCatalog &catalog,
                                         VisibleWindowFrames &frames, const QString &swaySocket)
    : m_toplevels(toplevels)
    , m_catalog(catalog)
    , m_frames(frames)
{
    if (swaySocket.isEmpty())
        return;
    m_layout = std::make_unique<SwayLayout>(swaySocket);
    m_changesSettle.setSingleShot(true);
    m_changesSettle.setInterval(changesSettleMs);
    QObject::connect(&m_changesSettle, &QTimer::timeout, m_layout.get(), &SwayLayout::refresh);
    // Started only when idle, so that a window retitling itself all the time still gets
    // its place read.
    QObject::connect(&m_toplevels, &ForeignToplevels::windowsChanged, m_layout.get(), [this] {
        if (!m_changesSettle.isActive())
            m_changesSettle.start();
    });
    // A switch is read at once: the pictures taken after a hide are of the windows it
    // left visible (another workspace, say).
    QObject::connect(&m_toplevels, &ForeignToplevels::activeWindowReported, m_layout.get(), &SwayLayout::refresh);
    QObject::connect(m_layout.get(), &SwayLayout::viewsRead, m_layout.get(), [this] {
        const QList<Toplevel> toplevels = shownToplevels();
        handVisibleToPictures(toplevels, placesOf(toplevels));
    });
    m_layout->refresh();
}

WaylandWindowServer::~WaylandWindowServer() = default;

std::optional<QList<WindowRecord>> WaylandWindowServer::onScreenWindows()
{
    if (!m_toplevels.isAvailable())
        return std::nullopt;
    if (m_layout)
        m_layout->refresh();
    const QList<Toplevel> toplevels = shownToplevels();
    const QHash<quint32, SwayIpc::View> places = placesOf(toplevels);

    QList<WindowRecord> records;
    for (const Toplevel &toplevel : toplevels) {
        WindowRecord record;
        record.layer = 0;
        record.number = toplevel.number;
        record.ownerPid = toplevel.app;
        record.ownerName = m_catalog.name(toplevel.appId);
        record.title = toplevel.title;
        if (const auto place = places.constFind(toplevel.number); place != places.constEnd()) {
            record.bounds = QRectF(place->rect);
        } else if (const std::optional<QRect> output = outputRectOf(toplevel)) {
            record.bounds = QRectF(*output);
        }
        records.append(record);
    }
    handVisibleToPictures(toplevels, places);
    return records;
}

QList<Toplevel> WaylandWindowServer::shownToplevels() const
{
    QList<Toplevel> toplevels = m_toplevels.frontMostFirst();
    toplevels.removeIf([](const Toplevel &toplevel) { return toplevel.minimized; });
    return toplevels;
}

QHash<quint32, SwayIpc::View> WaylandWindowServer::placesOf(const QList<Toplevel> &toplevels) const
{
    return m_layout ? pairViews(toplevels, m_layout->views()) : QHash<quint32, SwayIpc::View>{};
}

void WaylandWindowServer::handVisibleToPictures(const QList<Toplevel> &toplevels,
                                                const QHash<quint32, SwayIpc::View> &places)
{
    QList<ShareableWindow> visible;
    for (const Toplevel &toplevel : toplevels) {
        if (const auto place = places.constFind(toplevel.number); place != places.constEnd() && place->visible)
            visible.append({toplevel.number, QRectF(place->rect)});
    }
    m_frames.replace(visible);
}

std::optional<QRect> WaylandWindowServer::outputRectOf(const Toplevel &toplevel) const
{
    const WaylandOutputs &outputs = m_toplevels.outputs();
    for (const wl_output *output : toplevel.outputs) {
        if (const std::optional<QRect> rect = outputs.rectOf(output))
            return rect;
    }
    // A window on no output now (a workspace out of sight) is somewhere on the desktop.
    return outputs.anyRect();
}

} // namespace lettergate
