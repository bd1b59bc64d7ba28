#include "settings/ui/SettingsWindowController.h"

#include "settings/SettingsStore.h"
#include "settings/ui/SettingsView.h"
#include "settings/ui/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>

namespace lettergate {

SettingsWindowController::SettingsWindowController(const SettingsServices &services, QObject *parent)
    : QObject(parent)
    , m_services(services)
{
    connect(&m_services.settings, &SettingsStore::taskbarPresenceRequested, this,
            &SettingsWindowController::applyTaskbarPresence);
    // A window still open at quit hides without a Hide event.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &SettingsWindowController::rememberGeometry);
}

SettingsWindowController::~SettingsWindowController() = default;

void SettingsWindowController::show()
{
    if (!m_window) {
        m_window = std::make_unique<SettingsView>(m_services);
        m_window->setWindowTitle(windowTitle.toString());
        m_window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                                 | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
        applyTaskbarPresence(m_services.settings.showInDock());
        placeWindow();
        m_window->installEventFilter(this);
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void SettingsWindowController::placeWindow()
{
    QList<QRect> screens;
    if (const QScreen *primary = QGuiApplication::primaryScreen())
        screens.append(primary->availableGeometry());
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            screens.append(screen->availableGeometry());
    }
    const QRect placed = WindowPlacement::restored(m_services.settings.settingsWindowGeometry(),
                                                   SettingsView::contentSize, screens);
    m_window->resize(placed.size());
    m_window->move(placed.topLeft());
}

bool SettingsWindowController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window.get() && event->type() == QEvent::Hide)
        rememberGeometry();
    return false;
}

void SettingsWindowController::rememberGeometry()
{
    if (!m_window)
        return;
    const QRect geometry(m_window->pos(), m_window->size());
    if (m_services.settings.settingsWindowGeometry() != geometry)
        m_services.settings.setSettingsWindowGeometry(geometry);
}

void SettingsWindowController::applyTaskbarPresence(bool present)
{
    if (!m_window)
        return;
    // A tool window is left out of taskbars; a plain window is listed.
    const Qt::WindowType type = present ? Qt::Window : Qt::Tool;
    if (m_window->windowType() == type)
        return;
    const bool visible = m_window->isVisible();
    const QPoint position = m_window->pos();
    // Changing the type re-creates the native window, which hides it.
    m_window->setWindowFlags((m_window->windowFlags() & ~Qt::WindowType_Mask) | type);
    m_window->move(position);
    if (visible)
        m_window->show();
}

} // namespace lettergate
