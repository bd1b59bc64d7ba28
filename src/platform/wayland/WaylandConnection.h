#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <memory>
#include <optional>

struct wl_display;
struct wl_interface;
struct wl_registry;
class QSocketNotifier;

namespace lettergate {

// A connection of our own to the Wayland compositor, as the X11 backend has its own xcb
// connection: the protocols Lettergate speaks (window lists, the clipboard, the virtual
// keyboard) are not Qt's business, and Qt's connection is not ours to dispatch. It is
// read on the GUI thread from the event loop and flushed whenever the loop goes idle.
class WaylandConnection final : public QObject {
    Q_OBJECT
public:
    // Nothing when no compositor answers on $WAYLAND_DISPLAY (or `socket`).
    static std::unique_ptr<WaylandConnection> connect(const QByteArray &socket = {});
    ~WaylandConnection() override;

    WaylandConnection(const WaylandConnection &) = delete;
    WaylandConnection &operator=(const WaylandConnection &) = delete;

    wl_display *display() const { return m_display; }

    // The version the compositor offers of a global interface; nothing when it offers none.
    std::optional<quint32> offeredVersion(const char *interface) const;
    // Binds the global at the lower of the offered version and `newestKnown`; null when
    // the compositor does not offer it. The caller owns the proxy.
    void *bind(const wl_interface *interface, quint32 newestKnown) const;

    // Starts reading events from the event loop (needs the QCoreApplication).
    void startDispatching();
    // Sends what is queued and waits until the compositor has answered all of it;
    // false when the connection has failed.
    bool roundtrip();
    void flush();

private:
    explicit WaylandConnection(wl_display *display);
    void readEvents();
    void checkFailure();

    struct Global {
        quint32 name = 0;
        quint32 version = 0;
    };
    static void announce(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t version);
    static void withdraw(void *data, wl_registry *registry, uint32_t name);
    std::optional<Global> firstOffered(const QByteArray &interface) const;

    wl_display *m_display = nullptr;
    wl_registry *m_registry = nullptr;
    // Each interface's globals in the order announced.
    QHash<QByteArray, QList<Global>> m_globals;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_lost = false;
};

} // namespace lettergate
