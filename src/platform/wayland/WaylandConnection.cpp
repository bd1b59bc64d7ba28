#include "platform/wayland/WaylandConnection.h"

#include "platform/Log.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <wayland-client.h>

namespace lettergate {

std::unique_ptr<WaylandConnection> WaylandConnection::connect(const QByteArray &socket)
{
    wl_display *display = wl_display_connect(socket.isEmpty() ? nullptr : socket.constData());
    if (!display)
        return nullptr;
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection(display));
    // The first round trip brings the globals.
    if (!connection->roundtrip())
        return nullptr;
    return connection;
}

WaylandConnection::WaylandConnection(wl_display *display)
    : m_display(display)
{
    static const wl_registry_listener listener = {&WaylandConnection::announce, &WaylandConnection::withdraw};
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &listener, this);
}

WaylandConnection::~WaylandConnection()
{
    m_notifier.reset();
    wl_registry_destroy(m_registry);
    wl_display_flush(m_display);
    wl_display_disconnect(m_display);
}

void WaylandConnection::announce(void *data, wl_registry *, uint32_t name, const char *interface, uint32_t version)
{
    // An interface may be offered more than once (a seat per group of input devices):
    // the first one announced is the one used, as compositors announce their default
    // seat first; a later one takes over only when the first is withdrawn.
    static_cast<WaylandConnection *>(data)->m_globals[QByteArray(interface)].append(Global{name, version});
}

void WaylandConnection::withdraw(void *data, wl_registry *, uint32_t name)
{
    auto &globals = static_cast<WaylandConnection *>(data)->m_globals;
    for (QList<Global> &offered : globals)
        offered.removeIf([name](const Global &global) { return global.name == name; });
    globals.removeIf([](const auto &entry) { return entry.value().isEmpty(); });
}

std::optional<WaylandConnection::Global> WaylandConnection::firstOffered(const QByteArray &interface) const
{
    const auto found = m_globals.constFind(interface);
    if (found == m_globals.constEnd())
        return std::nullopt;
    return found->constFirst();
}

std::optional<quint32> WaylandConnection::offeredVersion(const char *interface) const
{
    const std::optional<Global> global = firstOffered(QByteArray(interface));
    return global ? std::optional<quint32>(global->version) : std::nullopt;
}

void *WaylandConnection::bind(const wl_interface *interface, quint32 newestKnown) const
{
    const std::optional<Global> global = firstOffered(QByteArray(interface->name));
    if (!global)
        return nullptr;
    return wl_registry_bind(m_registry, global->name, interface, std::min(global->version, newestKnown));
}

void WaylandConnection::startDispatching()
{
    m_notifier = std::make_unique<QSocketNotifier>(wl_display_get_fd(m_display), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, this, &WaylandConnection::readEvents);
    // Requests are sent when the loop is about to wait, so that those made in one pass of
    // the loop leave together.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
                     &WaylandConnection::flush);
    flush();
}

void WaylandConnection::readEvents()
{
    if (m_lost)
        return;
    // Events queued by a round trip are dispatched first: the socket then may hold none.
    if (wl_display_dispatch_pending(m_display) < 0 || wl_display_prepare_read(m_display) != 0) {
        checkFailure();
        return;
    }
    if (wl_display_read_events(m_display) < 0) {
        checkFailure();
        return;
    }
    wl_display_dispatch_pending(m_display);
    checkFailure();
}

bool WaylandConnection::roundtrip()
{
    if (m_lost)
        return false;
    if (wl_display_roundtrip(m_display) < 0) {
        checkFailure();
        return false;
    }
    return true;
}

void WaylandConnection::flush()
{
    if (m_lost)
        return;
    // EAGAIN only means the socket is full for now; the rest leaves at the next flush.
    if (wl_display_flush(m_display) < 0 && errno != EAGAIN)
        checkFailure();
}

void WaylandConnection::checkFailure()
{
    const int error = wl_display_get_error(m_display);
    if (m_lost || error == 0)
        return;
    m_lost = true;
    if (m_notifier)
        m_notifier->setEnabled(false);
    qCWarning(lcWayland).noquote() << QStringLiteral(
                                          "the Wayland compositor closed our connection (%1): windows, the clipboard "
                                          "and pasting stop working until Lettergate is started again")
                                          .arg(QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace lettergate
