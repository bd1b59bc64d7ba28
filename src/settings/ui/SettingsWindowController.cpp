#include "settings/ui/SettingsWindowController.h"

#include "settings/SettingsStore.h"
#include "settings/ui/SettingsView.h"

#include <QGuiApplication>
#include <QScreen>

SettingsWindowController &SettingsWindowController::shared()
{
    static SettingsWindowController *const instance = new SettingsWindowController(SettingsServices::shared());
    return *instance;
}

SettingsWindowController::SettingsWindowController(const SettingsServices &services, QObject *parent)
    : QObject(parent)
    , m_services(services)
{
    connect(&m_services.settings, &SettingsStore::taskbarPresenceRequested, this,
            &SettingsWindowController::applyTaskbarPresence);
}

SettingsWindowController::~SettingsWindowController() = default;

void SettingsWindowController::show()
{
    if (!m_window) {
        m_window = std::make_unique<SettingsView>(m_services);
        m_window->setWindowTitle(windowTitle.toString());
        m_window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                                 | Qt::WindowMinimizeButtonHint);
        m_window->setFixedSize(SettingsView::contentSize);
        applyTaskbarPresence(m_services.settings.showInDock());
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            m_window->move(screen->availableGeometry().center() - m_window->rect().center());
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
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
