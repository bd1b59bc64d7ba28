#include "platform/x11/X11WindowServer.h"

#include "platform/x11/AppCatalog.h"
#include "platform/x11/ClientWindowQuery.h"

namespace lettergate {

using Field = ClientWindowQuery::Field;

X11WindowServer::X11WindowServer(const X11Display &display, AppCatalog &catalog)
    : m_display(display)
    , m_catalog(catalog)
{
}

std::optional<QList<WindowRecord>> X11WindowServer::onScreenWindows()
{
    const auto snapshot = ClientWindowQuery::snapshot(m_display,
                                                      Field::Pid | Field::Placement | Field::Title | Field::Hints);
    if (!snapshot)
        return std::nullopt;
    // Every client is remembered, minimised ones too, so that the questions about
    // applications that follow a listing need not ask the server again.
    m_catalog.rememberAll(snapshot->windows);

    QList<WindowRecord> records;
    for (const ClientWindow &window : snapshot->windows) {
        if (!isOnScreen(window, snapshot->currentDesktop))
            continue;
        WindowRecord record;
        record.layer = layerOf(window);
        record.number = window.id;
        record.ownerPid = window.pid;
        record.ownerName = m_catalog.identify(window.hints).name;
        record.title = window.title;
        if (window.frame)
            record.bounds = QRectF(*window.frame);
        records.append(record);
    }
    return records;
}

} // namespace lettergate
