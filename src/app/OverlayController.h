#pragma once

#include "app/OpeningCaptures.h"
#include "app/OverlayPanel.h"
#include "app/Paster.h"
#include "panel/AppIconCache.h"
#include "switcher/SwitcherViewModel.h"
#include "windows/ThumbnailService.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <optional>
class QKeyEvent;
class QScreen;

namespace lettergate {

class Platform;
class RunningCommands;
struct SwitcherActions;

// Owns the floating switcher panel: opens it on the trigger with fresh data, turns
// every key-down into a decision of the view model while it is open, carries the
// decision out (switch a window, paste, open a link, run a command, launch an app),
// and hides the panel. The applications' icons are got while the panel is closed; the
// window pictures are captured off the GUI thread, once the panel has drawn its first
// frame, and again after a hide for the windows that opening did not capture. GUI
// thread only.
class OverlayController : public QObject {
    Q_OBJECT
public:
    // How many entries the apps page shows in its clipboard and snippet columns, and in
    // its link and command bars.
    static constexpr int firstLayerCount = 4;
    static constexpr int linkFirstLayerCount = 6;
    // How long after a hide the next showing is prepared. Capturing every window keeps
    // the X server busy for tens of milliseconds; the window manager activating the
    // window just picked, and the application redrawing it, go first.
    static constexpr int prefetchDelayAfterHideMs = 150;
    // How long after a window's activation request the panel waits at most for the
    // window manager to report a window active before it hides anyway.
    static constexpr int switchReportWaitMs = 50;

    // The user's commands run listed in `running`.
    OverlayController(SwitcherSources sources, Platform &platform, RunningCommands &running, QObject *parent = nullptr);
    ~OverlayController() override;

    void toggle();
    void show();
    void hide(bool restorePrevious);
    // Every key-down while the panel is open comes here and goes no further.
    bool handleKey(const QKeyEvent &event);
    void pasteClip(const ClipboardHistory::Item &item);
    void pasteSnippet(const Snippet &snippet);
    void runCommand(const Command &command);
    // Builds the panel before it is first needed, so that the first opening costs no
    // more than any later one, and prepares that opening.
    void prepare();

    bool isPanelVisible() const;
    SwitcherViewModel &viewModel() { return m_viewModel; }
    // Null until prepared or first shown.
    OverlayPanel *panel() const { return m_panel; }

private:
    class KeyMonitor;

    void createPanel();
    // The screen the panel opens on now; null without any screen.
    QScreen *screenForPanel(const QList<WindowInfo> &windows) const;
    // The pixel density the panel's pictures and icons are drawn at.
    qreal panelPixelRatio() const;
    // For the next opening: renders the icons of the listed applications new since the
    // last time, and captures, off the GUI thread, the pictures of the windows the last
    // opening did not. Nothing while the panel is open.
    void prepareNextShowing();
    // The same over windows just listed.
    void prepareNextShowingOf(const QList<WindowInfo> &windows);
    // The largest size each window's picture is drawn at on the panel as it stands.
    ThumbnailService::DrawnSizes drawnSizesOf(const QList<WindowInfo> &windows) const;
    void prepareIconOfFrontmost(qint32 pid);
    SwitcherActions makeActions();
    void carryOut(const InputResult &result);
    // A key the panel has no use for: the bell, and a cue on the panel.
    void refuseKey();
    void fireWindow(const WindowInfo &window);
    // The window manager has reported the active window: a switch waiting for it ends.
    void finishSwitch();
    bool isSwitching() const { return m_hideAfterSwitch.isActive(); }
    void openLink(const QuickLink &link);
    void launchApp(const InputResult::LaunchApp &launch);
    void selectApp(const AppEntry &app);
    void logShowDone() const;

    SwitcherSources m_sources;
    Platform &m_platform;
    RunningCommands &m_running;
    SwitcherViewModel m_viewModel;
    Paster m_paster;
    AppIconCache m_icons;
    OpeningCaptures m_openingCaptures;
    QPointer<OverlayPanel> m_panel;
    std::unique_ptr<KeyMonitor> m_keyMonitor;
    QTimer m_prefetchAfterHide;
    // Watches the preparation's captures; going with the controller, it never calls
    // back into one destroyed while they still run.
    QFutureWatcher<void> m_preparation;
    // Runs while a switch waits for the window manager's report, the panel still shown.
    QTimer m_hideAfterSwitch;
    std::optional<qint32> m_previousApp;
    bool m_isHiding = false;
};

} // namespace lettergate
