#include "platform/wayland/WaylandWindows.h"

#include "platform/BuildInfo.h"

#include <QCoreApplication>

namespace lettergate {

WaylandWindows::WaylandWindows(WaylandConnection &connection, wl_seat *seat, VisibleWindowFrames &frames)
    : m_toplevels(connection, seat, QString::fromUtf8(BuildInfo::appId), qint32(QCoreApplication::applicationPid()))
    , m_windowServer(m_toplevels, m_catalog, frames, qEnvironmentVariable("SWAYSOCK"))
    , m_apps(m_toplevels, m_catalog)
    , m_accessibility(m_toplevels)
{
}

} // namespace lettergate
