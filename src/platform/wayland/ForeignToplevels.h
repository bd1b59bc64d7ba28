#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>
struct wl_output;
struct wl_seat;
struct zwlr_foreign_toplevel_handle_v1;
struct zwlr_foreign_toplevel_manager_v1;

namespace lettergate {

class WaylandConnection;
class WaylandOutputs;

// One window as the compositor lists it.
struct Toplevel {
    quint32 number = 0; // ours: from 1 up, never reused
    qint32 app = 0;     // the application's number, see ForeignToplevels
    QString title;
    QString appId; // empty when the client set none
    bool activated = false;
    bool minimized = false;
    QList<wl_output *> outputs;
};

// The compositor's windows through wlr foreign-toplevel management, on the backend's
// own connection: each with what the compositor says about it, in the order they were
// last activated (the protocol has no stacking order). The protocol names no processes,
// so each application identity (app_id; a window without one is an application of its
// own) gets a number of its own, from firstAppNumber up, beyond every process id, and
// kept for the program's life; the one whose app_id is ownAppId gets ownAppNumber (our
// process id), so that our own windows are known as ours.
class ForeignToplevels final : public QObject {
    Q_OBJECT
public:
    static constexpr qint32 firstAppNumber = 0x40000000;

    // Binds the manager and learns the windows listed now (two round trips).
    ForeignToplevels(WaylandConnection &connection, wl_seat *seat, const QString &ownAppId, qint32 ownAppNumber);
    ~ForeignToplevels() override;

    ForeignToplevels(const ForeignToplevels &) = delete;
    ForeignToplevels &operator=(const ForeignToplevels &) = delete;

    // False when the compositor does not list its windows.
    bool isAvailable() const { return m_manager != nullptr; }
    const WaylandOutputs &outputs() const { return *m_outputs; }

    // Every window the compositor has described, most recently activated first.
    QList<Toplevel> frontMostFirst() const;
    std::optional<Toplevel> find(quint32 number) const;
    std::optional<quint32> activeWindow() const;
    std::optional<qint32> activeApp() const;
    bool hasApp(qint32 app) const;

    // Restores the window when it is minimised, then asks for it to be activated; false
    // when it is gone or no seat exists to activate it for.
    bool activate(quint32 number);
    void setMinimized(quint32 number, bool minimized);
    // Whether a window of the application was asked to be activated since the
    // compositor last reported an activation.
    bool activationPendingFor(qint32 app) const;

signals:
    // A window was opened, closed, or changed (title, app_id, state or outputs).
    void windowsChanged();
    // The compositor has activated a window (0: none is active any more).
    void activeWindowReported(quint32 number);
    // A window of another application than before has become the active one.
    void frontmostAppChanged(qint32 app);

private:
    struct Handle;
    static void announce(void *data, zwlr_foreign_toplevel_manager_v1 *manager, zwlr_foreign_toplevel_handle_v1 *proxy);
    static void finished(void *data, zwlr_foreign_toplevel_manager_v1 *manager);
    void apply(Handle &handle);
    void forget(Handle &handle);
    void moveToFront(quint32 number);
    qint32 appNumberFor(Handle &handle);
    void reportIfNoneActive();
    Handle *handle(quint32 number) const;

    WaylandConnection &m_connection;
    wl_seat *m_seat = nullptr;
    std::unique_ptr<WaylandOutputs> m_outputs;
    zwlr_foreign_toplevel_manager_v1 *m_manager = nullptr;
    QHash<quint32, std::shared_ptr<Handle>> m_handles;
    QList<quint32> m_order; // described windows, most recently activated first
    QHash<QString, qint32> m_appNumbers;
    const QString m_ownAppId;
    const qint32 m_ownAppNumber;
    quint32 m_nextNumber = 1;
    qint32 m_nextApp = firstAppNumber;
    std::optional<qint32> m_frontApp;
    std::optional<qint32> m_pendingApp;
    bool m_noneActiveCheckQueued = false;
};

} // namespace lettergate
