#pragma once

#include "settings/ui/SettingsServices.h"

#include <QObject>
#include <memory>

namespace lettergate {

class SettingsView;

// Owns the settings window: made at the first show(), reused from then on at its last
// position; closing it only hides it. The window is resizable; its place and size are
// stored whenever it hides (and at quit), and the next run opens it there (see
// WindowPlacement). The window has a taskbar entry exactly while the settings store's
// showInDock is on, and follows a change of it at once.
class SettingsWindowController : public QObject {
    Q_OBJECT
public:
    static constexpr QStringView windowTitle = u"Lettergate Settings";

    explicit SettingsWindowController(const SettingsServices &services, QObject *parent = nullptr);
    ~SettingsWindowController() override;

    // Creates the window if needed, shows it, brings it to the front and focuses it.
    void show();

    // Nothing until the first show().
    SettingsView *window() const { return m_window.get(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyTaskbarPresence(bool present);
    void placeWindow();
    void rememberGeometry();

    SettingsServices m_services;
    std::unique_ptr<SettingsView> m_window;
};

} // namespace lettergate
