#include "platform/wayland/ForeignToplevels.h"

#include "platform/Log.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandOutputs.h"

#include <algorithm>
#include <wayland-client.h>

#include "wayland/wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace lettergate {

namespace {
// Version 3 adds the parent, which is not needed, and nothing else; 2 the fullscreen state.
constexpr quint32 newestKnownVersion = 3;
} // namespace

// A handle's events arrive one property at a time and take effect together at "done".
struct ForeignToplevels::Handle {
    ForeignToplevels *owner = nullptr;
    zwlr_foreign_toplevel_handle_v1 *proxy = nullptr;
    Toplevel current;
    Toplevel pending;
    bool described = false;
    qint32 appWithoutId = 0; // the application of its own a window without app_id is

    ~Handle() { zwlr_foreign_toplevel_handle_v1_destroy(proxy); }

    static Handle &of(void *data) { return *static_cast<Handle *>(data); }
    static void title(void *data, zwlr_foreign_toplevel_handle_v1 *, const char *title)
    {
        of(data).pending.title = QString::fromUtf8(title);
    }
    static void appId(void *data, zwlr_foreign_toplevel_handle_v1 *, const char *appId)
    {
        of(data).pending.appId = QString::fromUtf8(appId);
    }
    static void outputEnter(void *data, zwlr_foreign_toplevel_handle_v1 *, wl_output *output)
    {
        QList<wl_output *> &outputs = of(data).pending.outputs;
        if (!outputs.contains(output))
            outputs.append(output);
    }
    static void outputLeave(void *data, zwlr_foreign_toplevel_handle_v1 *, wl_output *output)
    {
        of(data).pending.outputs.removeAll(output);
    }
    static void state(void *data, zwlr_foreign_toplevel_handle_v1 *, wl_array *states)
    {
        Toplevel &pending = of(data).pending;
        pending.activated = pending.minimized = false;
        const auto *state = static_cast<const uint32_t *>(states->data);
        for (size_t i = 0; i < states->size / sizeof(uint32_t); ++i) {
            switch (state[i]) {
            case ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED:
                pending.activated = true;
                break;
            case ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MINIMIZED:
                pending.minimized = true;
                break;
            default:
                break;
            }
        }
    }
    static void done(void *data, zwlr_foreign_toplevel_handle_v1 *)
    {
        Handle &handle = of(data);
        handle.owner->apply(handle);
    }
    static void closed(void *data, zwlr_foreign_toplevel_handle_v1 *)
    {
        Handle &handle = of(data);
        handle.owner->forget(handle);
    }
    static void parent(void *, zwlr_foreign_toplevel_handle_v1 *, zwlr_foreign_toplevel_handle_v1 *) {}
};

ForeignToplevels::ForeignToplevels(WaylandConnection &connection, wl_seat *seat, const QString &ownAppId,
                                   qint32 ownAppNumber)
    : m_connection(connection)
    , m_seat(seat)
    , m_outputs(std::make_unique<WaylandOutputs>(connection))
    , m_ownAppId(ownAppId)
    , m_ownAppNumber(ownAppNumber)
{
    // The outputs are bound first: the compositor says which outputs a window is on only
    // in terms of outputs the client has bound.
    m_connection.roundtrip();
    m_manager = static_cast<zwlr_foreign_toplevel_manager_v1 *>(
        m_connection.bind(&zwlr_foreign_toplevel_manager_v1_interface, newestKnownVersion));
    if (!m_manager)
        return;
    static const zwlr_foreign_toplevel_manager_v1_listener listener = {&ForeignToplevels::announce,
                                                                       &ForeignToplevels::finished};
    zwlr_foreign_toplevel_manager_v1_add_listener(m_manager, &listener, this);
    m_connection.roundtrip();
    if (!m_seat)
        qCWarning(lcWayland).noquote() << QStringLiteral(
            "the Wayland compositor offers no seat: windows are listed but cannot be "
            "brought to the front");
}

ForeignToplevels::~ForeignToplevels()
{
    m_handles.clear();
    if (!m_manager)
        return;
    // The compositor may announce windows until it has seen the stop, and announcing one
    // to a manager we have forgotten would break the connection: the manager lives on,
    // without us, until the compositor says it is finished.
    wl_proxy_set_user_data(reinterpret_cast<wl_proxy *>(m_manager), nullptr);
    zwlr_foreign_toplevel_manager_v1_stop(m_manager);
    m_connection.flush();
}

void ForeignToplevels::announce(void *data, zwlr_foreign_toplevel_manager_v1 *, zwlr_foreign_toplevel_handle_v1 *proxy)
{
    static const zwlr_foreign_toplevel_handle_v1_listener listener = {&Handle::title,       &Handle::appId,
                                                                      &Handle::outputEnter, &Handle::outputLeave,
                                                                      &Handle::state,       &Handle::done,
                                                                      &Handle::closed,      &Handle::parent};
    auto *self = static_cast<ForeignToplevels *>(data);
    if (!self) {
        zwlr_foreign_toplevel_handle_v1_destroy(proxy);
        return;
    }
    auto handle = std::make_shared<Handle>();
    handle->owner = self;
    handle->proxy = proxy;
    handle->pending.number = self->m_nextNumber++;
    zwlr_foreign_toplevel_handle_v1_add_listener(proxy, &listener, handle.get());
    self->m_handles.insert(handle->pending.number, std::move(handle));
}

void ForeignToplevels::finished(void *data, zwlr_foreign_toplevel_manager_v1 *manager)
{
    // The compositor lists no more windows; those listed still report until closed.
    zwlr_foreign_toplevel_manager_v1_destroy(manager);
    if (auto *self = static_cast<ForeignToplevels *>(data)) {
        self->m_manager = nullptr;
        qCWarning(lcWayland).noquote() << QStringLiteral(
            "the Wayland compositor has stopped listing its windows: the panel shows no "
            "windows until Lettergate is started again");
    }
}

void ForeignToplevels::apply(Handle &handle)
{
    const Toplevel before = handle.current;
    const bool wasDescribed = handle.described;
    handle.current = handle.pending;
    handle.current.app = appNumberFor(handle);
    handle.described = true;
    const Toplevel &now = handle.current;
    if (!wasDescribed)
        m_order.append(now.number);

    if (now.activated && (!before.activated || !wasDescribed)) {
        moveToFront(now.number);
        m_pendingApp.reset();
        emit activeWindowReported(now.number);
        if (m_frontApp != now.app) {
            m_frontApp = now.app;
            emit frontmostAppChanged(now.app);
        }
    } else if (before.activated && !now.activated) {
        reportIfNoneActive();
    }
    emit windowsChanged();
}

void ForeignToplevels::forget(Handle &handle)
{
    const quint32 number = handle.pending.number;
    const bool wasActive = handle.current.activated;
    m_order.removeAll(number);
    // Destroys the handle and its proxy, as the compositor asks after "closed".
    m_handles.remove(number);
    if (wasActive)
        reportIfNoneActive();
    emit windowsChanged();
}

void ForeignToplevels::reportIfNoneActive()
{
    // A window loses the activation just before another gains it, in the same batch of
    // events: "none" is said only if no window has gained it once the batch is read.
    if (m_noneActiveCheckQueued)
        return;
    m_noneActiveCheckQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_noneActiveCheckQueued = false;
            if (!activeWindow())
                emit activeWindowReported(0);
        },
        Qt::QueuedConnection);
}

qint32 ForeignToplevels::appNumberFor(Handle &handle)
{
    const QString &appId = handle.current.appId;
    if (appId.isEmpty()) {
        if (!handle.appWithoutId)
            handle.appWithoutId = m_nextApp++;
        return handle.appWithoutId;
    }
    if (appId == m_ownAppId)
        return m_ownAppNumber;
    auto found = m_appNumbers.constFind(appId);
    if (found == m_appNumbers.constEnd())
        found = m_appNumbers.insert(appId, m_nextApp++);
    return *found;
}

void ForeignToplevels::moveToFront(quint32 number)
{
    if (m_order.removeAll(number))
        m_order.prepend(number);
}

ForeignToplevels::Handle *ForeignToplevels::handle(quint32 number) const
{
    const auto found = m_handles.constFind(number);
    return found == m_handles.constEnd() || !(*found)->described ? nullptr : found->get();
}

QList<Toplevel> ForeignToplevels::frontMostFirst() const
{
    QList<Toplevel> toplevels;
    for (quint32 number : m_order)
        toplevels.append(handle(number)->current);
    return toplevels;
}

std::optional<Toplevel> ForeignToplevels::find(quint32 number) const
{
    const Handle *found = handle(number);
    return found ? std::optional<Toplevel>(found->current) : std::nullopt;
}

std::optional<quint32> ForeignToplevels::activeWindow() const
{
    for (quint32 number : m_order) {
        if (handle(number)->current.activated)
            return number;
    }
    return std::nullopt;
}

std::optional<qint32> ForeignToplevels::activeApp() const
{
    const std::optional<quint32> active = activeWindow();
    return active ? std::optional<qint32>(handle(*active)->current.app) : std::nullopt;
}

bool ForeignToplevels::hasApp(qint32 app) const
{
    return std::ranges::any_of(m_order, [&](quint32 number) { return handle(number)->current.app == app; });
}

bool ForeignToplevels::activate(quint32 number)
{
    Handle *target = handle(number);
    if (!target || !m_seat)
        return false;
    if (target->current.minimized)
        zwlr_foreign_toplevel_handle_v1_unset_minimized(target->proxy);
    zwlr_foreign_toplevel_handle_v1_activate(target->proxy, m_seat);
    // Until the compositor reports it, the window asked for counts as the most recent
    // of its application, so that asking for the application brings the same one.
    moveToFront(number);
    m_pendingApp = target->current.app;
    m_connection.flush();
    return true;
}

void ForeignToplevels::setMinimized(quint32 number, bool minimized)
{
    Handle *target = handle(number);
    if (!target)
        return;
    if (minimized)
        zwlr_foreign_toplevel_handle_v1_set_minimized(target->proxy);
    else
        zwlr_foreign_toplevel_handle_v1_unset_minimized(target->proxy);
    m_connection.flush();
}

bool ForeignToplevels::activationPendingFor(qint32 app) const
{
    return m_pendingApp == app;
}

} // namespace lettergate
