#pragma once

#include "settings/ui/SettingsServices.h"

#include <QObject>
#include <memory>

class SettingsView;

// Owns the settings window: made at the first show(), reused from then on at its last
// position; closing it only hides it. The window has a taskbar entry exactly while the
// settings store's showInDock is on, and follows a change of it at once.
class SettingsWindowController : public QObject {
    Q_OBJECT
public:
    static constexpr QStringView windowTitle = u"Lettergate Settings";

    // The application's one controller, over the shared services. Never destroyed.
    static SettingsWindowController &shared();

    explicit SettingsWindowController(const SettingsServices &services, QObject *parent = nullptr);
    ~SettingsWindowController() override;

    // Creates the window if needed, shows it, brings it to the front and focuses it.
    void show();

    // Nothing until the first show().
    SettingsView *window() const { return m_window.get(); }

private:
    void applyTaskbarPresence(bool present);

    SettingsServices m_services;
    std::unique_ptr<SettingsView> m_window;
};
