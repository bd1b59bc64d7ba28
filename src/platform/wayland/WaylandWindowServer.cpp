#include "platform/wayland/WaylandWindowServer.h"

#include "platform/Log.h"
#include "platform/wayland/ForeignToplevels.h"
#include "platform/wayland/SwayIpc.h"
#include "platform/wayland/VisibleWindowFrames.h"
#include "platform/wayland/WaylandAppCatalog.h"
#include "platform/wayland/WaylandOutputs.h"

#include <QHash>

namespace {

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
                                         VisibleWindowFrames &frames, QString swaySocket)
    : m_toplevels(toplevels)
    , m_catalog(catalog)
    , m_frames(frames)
    , m_swaySocket(std::move(swaySocket))
{
}

std::optional<QList<WindowRecord>> WaylandWindowServer::onScreenWindows()
{
    if (!m_toplevels.isAvailable())
        return std::nullopt;
    QList<Toplevel> toplevels = m_toplevels.frontMostFirst();
    toplevels.removeIf([](const Toplevel &toplevel) { return toplevel.minimized; });

    QHash<quint32, SwayIpc::View> places;
    if (!m_swaySocket.isEmpty()) {
        const std::optional<QByteArray> tree = SwayIpc::request(m_swaySocket, SwayIpc::getTreeType);
        const std::optional<QList<SwayIpc::View>> views = tree ? SwayIpc::views(*tree) : std::nullopt;
        if (views) {
            places = pairViews(toplevels, *views);
        } else if (!m_swayFailureLogged) {
            m_swayFailureLogged = true;
            Log::warning(QStringLiteral("sway did not describe its windows through $SWAYSOCK: each window is taken "
                                        "to fill its output, and window pictures show icons instead"));
        }
    }

    QList<WindowRecord> records;
    QList<ShareableWindow> visible;
    for (const Toplevel &toplevel : std::as_const(toplevels)) {
        WindowRecord record;
        record.layer = 0;
        record.number = toplevel.number;
        record.ownerPid = toplevel.app;
        record.ownerName = m_catalog.name(toplevel.appId);
        record.title = toplevel.title;
        if (const auto place = places.constFind(toplevel.number); place != places.constEnd()) {
            record.bounds = QRectF(place->rect);
            if (place->visible)
                visible.append({toplevel.number, QRectF(place->rect)});
        } else if (const std::optional<QRect> output = outputRectOf(toplevel)) {
            record.bounds = QRectF(*output);
        }
        records.append(record);
    }
    m_frames.replace(visible);
    return records;
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
