#include "app/OverlayController.h"

#include "app/OverlayPanel.h"
#include "app/PanelPlacement.h"
#include "panel/CardPictureSizes.h"
#include "panel/SwitcherView.h"
#include "platform/Apps.h"
#include "platform/Feedback.h"
#include "platform/FreeMemory.h"
#include "platform/Log.h"
#include "platform/Notifications.h"
#include "platform/OwnWindows.h"
#include "platform/Platform.h"
#include "platform/ScreenCapture.h"
#include "settings/SettingsStore.h"
#include "stores/CommandRunner.h"
#include "stores/FailureNotice.h"
#include "stores/LinkStore.h"
#include "stores/SnippetStore.h"
#include "switcher/RunningApps.h"
#include "windows/ThumbnailService.h"
#include "windows/WindowActivation.h"
#include "windows/WindowList.h"

#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace lettergate {

namespace {

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

qint32 ownPid()
{
    return static_cast<qint32>(QCoreApplication::applicationPid());
}

// The keys that move the keyboard highlight or pick its item (Shift+Tab arrives as
// Backtab; the keypad's Enter as Enter).
std::optional<Navigation> navigationFor(int key)
{
    switch (key) {
    case Qt::Key_Left:
        return Navigation::left;
    case Qt::Key_Right:
        return Navigation::right;
    case Qt::Key_Up:
        return Navigation::up;
    case Qt::Key_Down:
        return Navigation::down;
    case Qt::Key_Tab:
        return Navigation::nextBox;
    case Qt::Key_Backtab:
        return Navigation::previousBox;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Navigation::pick;
    default:
        return std::nullopt;
    }
}

} // namespace

// Swallows every key-down of the application while the panel is open and hands it to
// the controller, so no key reaches the panel's widgets or any shortcut.
class OverlayController::KeyMonitor : public QObject {
public:
    explicit KeyMonitor(OverlayController &controller)
        : m_controller(controller)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~KeyMonitor() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            event->accept(); // no shortcut fires while the panel is open
            return true;
        case QEvent::KeyPress:
            return m_controller.handleKey(*static_cast<QKeyEvent *>(event));
        default:
            return false;
        }
    }

private:
    OverlayController &m_controller;
};

OverlayController::OverlayController(SwitcherSources sources, Platform &platform, RunningCommands &running,
                                     QObject *parent)
    : QObject(parent)
    , m_sources(sources)
    , m_platform(platform)
    , m_running(running)
    , m_viewModel(sources)
    , m_paster(platform.pasteboard(), platform.apps(), platform.keystrokes(), platform.feedback(),
               platform.notifications(), sources.snippets, sources.settings)
    , m_icons(platform.apps())
    , m_openingCaptures(sources.thumbnails, m_viewModel,
                        platform.screenCapture().picturesShowOverlays() ? OpeningCaptures::afterClosing
                                                                        : OpeningCaptures::whileOpen)
{
    m_prefetchAfterHide.setSingleShot(true);
    m_prefetchAfterHide.setInterval(prefetchDelayAfterHideMs);
    connect(&m_prefetchAfterHide, &QTimer::timeout, this, &OverlayController::prepareNextShowing);
    connect(&m_preparation, &QFutureWatcher<void>::finished, this, [this] {
        if (m_preparation.isCanceled() || isPanelVisible())
            return;
        m_viewModel.refreshThumbnails();
        returnFreeMemoryToSystem();
    });
    m_hideAfterSwitch.setSingleShot(true);
    m_hideAfterSwitch.setInterval(switchReportWaitMs);
    connect(&m_hideAfterSwitch, &QTimer::timeout, this, [this] { hide(false); });
    connect(&platform.apps(), &Apps::activeWindowReported, this, &OverlayController::finishSwitch);
    connect(&platform.apps(), &Apps::frontmostAppChanged, this, &OverlayController::prepareIconOfFrontmost);
}

OverlayController::~OverlayController()
{
    delete m_panel;
}

bool OverlayController::isPanelVisible() const
{
    return m_panel && m_panel->isVisible();
}

void OverlayController::toggle()
{
    // A panel that only waits for its switch to finish is as good as closed.
    const bool visible = isPanelVisible() && !isSwitching();
    qCInfo(lcApp).noquote() << QStringLiteral("toggle: isVisible=") + boolText(visible);
    if (visible)
        hide(true);
    else
        show();
}

void OverlayController::show()
{
    QElapsedTimer opened;
    opened.start();
    if (isSwitching())
        hide(false);
    // Showing an already open panel keeps the application it was opened over, and its
    // place.
    const bool wasOpen = isPanelVisible();
    if (!wasOpen)
        m_previousApp = m_platform.apps().frontmostApp();

    const QList<WindowInfo> windows = listWindows(m_platform, ownPid());
    const QList<AppEntry> apps = buildApps(windows, m_sources.settings.listKeys(), m_sources.settings);
    // A copy made since the last poll is asked for, not waited for: the clipboard list
    // shows it once its content has arrived.
    m_sources.clipboard.checkPasteboard();
    m_icons.keepListed(apps);
    m_viewModel.reset(apps);

    if (!m_panel)
        createPanel();
    m_openingCaptures.arm(
        *m_panel, windows, apps, [this, windows] { return drawnSizesOf(windows); }, opened);
    if (!wasOpen)
        m_panel->placeOn(screenForPanel(windows));
    m_panel->present();
    m_keyMonitor = std::make_unique<KeyMonitor>(*this);
    logShowDone();
}

void OverlayController::logShowDone() const
{
    const bool active = QGuiApplication::applicationState() == Qt::ApplicationActive;
    // The raw activation policy: 0 with a taskbar entry, 1 without.
    const int policy = m_sources.settings.showInDock() ? 0 : 1;
    qCDebug(lcApp).noquote() << QStringLiteral("show done: isActive=%1 panelVisible=%2 panelKey=%3 policy=%4")
                                    .arg(boolText(active), boolText(isPanelVisible()),
                                         boolText(m_panel && m_panel->isActiveWindow()))
                                    .arg(policy);
}

void OverlayController::createPanel()
{
    ScreenCapture &capture = m_platform.screenCapture();
    auto *view = new SwitcherView(m_viewModel, m_sources.snippets, m_icons, makeActions(), firstLayerCount,
                                  linkFirstLayerCount, [&capture] { capture.request(); });
    m_panel = new OverlayPanel(view, m_platform.ownWindows().hasCompositor());
    m_panel->becomeOverlay(m_platform.ownWindows());
    connect(m_panel, &OverlayPanel::focusLost, this, [this] {
        if (isPanelVisible())
            hide(false);
    });
}

void OverlayController::hide(bool restorePrevious)
{
    // Hiding makes the panel lose the focus, which asks for a hide again: ignore it.
    if (m_isHiding)
        return;
    m_isHiding = true;
    m_hideAfterSwitch.stop();
    m_openingCaptures.stop();
    const std::optional<qint32> previous = m_previousApp;
    m_keyMonitor.reset();
    if (m_panel)
        m_panel->hide();
    Apps &apps = m_platform.apps();
    if (restorePrevious && previous && *previous >= 1 && !apps.isTerminated(*previous))
        apps.activateApp(*previous);
    m_prefetchAfterHide.start();
    m_isHiding = false;
}

void OverlayController::prepare()
{
    if (isPanelVisible())
        return;
    const QList<WindowInfo> windows = listWindows(m_platform, ownPid());
    if (!m_panel) {
        createPanel();
        // Sized before it is first shown: the window pictures are captured for its cards.
        m_panel->placeOn(screenForPanel(windows));
        m_panel->prepareWindow();
    }
    prepareNextShowingOf(windows);
}

QScreen *OverlayController::screenForPanel(const QList<WindowInfo> &windows) const
{
    QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.size() <= 1)
        return screens.value(0);
    QScreen *primary = QGuiApplication::primaryScreen();
    screens.removeOne(primary);
    screens.prepend(primary);
    QList<PanelPlacement::Screen> areas;
    for (const QScreen *screen : std::as_const(screens))
        areas.append({screen->geometry(), screen->devicePixelRatio()});
    std::optional<QRectF> activeFrame;
    if (const std::optional<quint32> active = m_platform.apps().activeWindow()) {
        const auto window = std::ranges::find(windows, *active, &WindowInfo::id);
        if (window != windows.end())
            activeFrame = window->bounds;
    }
    return screens.value(PanelPlacement::screenFor(areas, activeFrame, QCursor::pos()));
}

qreal OverlayController::panelPixelRatio() const
{
    // Pictures are drawn at the density of the screen the panel last opened on, where it
    // most likely opens next.
    const QScreen *screen = m_panel ? m_panel->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1;
}

void OverlayController::prepareNextShowing()
{
    if (!isPanelVisible())
        prepareNextShowingOf(listWindows(m_platform, ownPid()));
}

void OverlayController::prepareNextShowingOf(const QList<WindowInfo> &windows)
{
    m_icons.prepare(windows, panelPixelRatio());
    if (!m_platform.screenCapture().preflight())
        return;
    // Capturing and scaling windows leaves megabytes freed but still held by the heap;
    // they go back to the system once the pictures are in, unless the panel has opened
    // meanwhile (nothing slow runs on the GUI thread while it is open; the next hide
    // comes here). The closed panel's cards let go of the pictures replaced, too.
    m_preparation.setFuture(m_openingCaptures.prefetchForNextOpening(windows, drawnSizesOf(windows)));
}

ThumbnailService::DrawnSizes OverlayController::drawnSizesOf(const QList<WindowInfo> &windows) const
{
    if (!m_panel)
        return {};
    // The view fills the panel, which is sized before it is first shown and laid out.
    return cardPictureSizes(groupByApplication(windows), SwitcherView::pageSizeWithin(m_panel->size()),
                            panelPixelRatio());
}

void OverlayController::prepareIconOfFrontmost(qint32 pid)
{
    // A process started since the last listing usually comes to the front at once: its
    // icon is ready before the panel first lists it. While the panel is open the
    // look-up waits for the preparation after the hide.
    if (!isPanelVisible() && pid != ownPid())
        m_icons.prepare(pid, panelPixelRatio());
}

bool OverlayController::handleKey(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        m_viewModel.back();
        return true;
    case Qt::Key_Escape:
        hide(true);
        return true;
    default:
        break;
    }
    // Control, Alt and Super turn a key into a shortcut, which means nothing here.
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return true;
    if (const std::optional<Navigation> navigation = navigationFor(event.key())) {
        // The highlight moves over the page as laid out: a page changed by the key just
        // before (Enter on an app) is built now rather than after this key.
        if (m_panel)
            m_panel->content()->rebuildIfPending();
        carryOut(m_viewModel.navigate(*navigation));
        return true;
    }
    const QString characters = event.text();
    if (characters.isEmpty() || !characters.front().isLetterOrNumber())
        return true;
    carryOut(m_viewModel.handle(characters.left(1)));
    return true;
}

void OverlayController::carryOut(const InputResult &result)
{
    if (const auto *fire = result.as<InputResult::Fire>())
        fireWindow(fire->window);
    else if (const auto *clip = result.as<InputResult::PasteClip>())
        pasteClip(clip->item);
    else if (const auto *snippet = result.as<InputResult::PasteSnippet>())
        pasteSnippet(snippet->snippet);
    else if (const auto *link = result.as<InputResult::OpenLink>())
        openLink(link->link);
    else if (const auto *command = result.as<InputResult::RunCommand>())
        runCommand(command->command);
    else if (const auto *launch = result.as<InputResult::LaunchApp>())
        launchApp(*launch);
    else if (result.is<InputResult::Rejected>())
        refuseKey();
    // Awaiting, Drilled and Highlighted: the panel stays open and redraws.
}

void OverlayController::refuseKey()
{
    m_platform.feedback().beep();
    // Seen as well as heard: many desktops mute the bell.
    if (m_panel)
        m_panel->content()->cueRejectedKey();
}

void OverlayController::fireWindow(const WindowInfo &window)
{
    // The request goes out first: hidden first, the panel would hand the focus to
    // whatever the window manager picks, only to take it away again. The panel then
    // stays until the window manager reports the window active: hidden at once, it
    // would uncover the windows beneath, and the X server would serve their redrawing
    // while the window manager brings the window forward (at 50 windows that doubled
    // the window manager's time). Keys typed meanwhile are not the panel's any more,
    // and window pictures still to be taken would only keep the X server from the switch.
    m_openingCaptures.stop();
    if (m_platform.ownWindows().overlayHoldsActivationBack()) {
        // Where the desktop holds the activation back while the panel has the keyboard,
        // the panel goes first. The switch is still waited for, as below: the next
        // opening is prepared after the report (hide again then), so that its list and
        // pictures show the window brought forward.
        hide(false);
        m_prefetchAfterHide.stop();
        if (activateWindow(m_platform, window))
            m_hideAfterSwitch.start();
        else
            m_prefetchAfterHide.start();
        return;
    }
    const bool alreadyActive = m_platform.apps().activeWindow() == window.id;
    if (!activateWindow(m_platform, window) || alreadyActive) {
        hide(false);
        return;
    }
    m_keyMonitor.reset();
    m_hideAfterSwitch.start();
}

void OverlayController::finishSwitch()
{
    if (isSwitching())
        hide(false);
}

void OverlayController::pasteClip(const ClipboardHistory::Item &item)
{
    const std::optional<qint32> previous = m_previousApp;
    hide(false);
    if (!item.isImage()) {
        m_sources.clipboard.notePasted(item.id);
        m_paster.pasteText(item.text, previous);
        return;
    }
    // A picture whose file has gone since is checked before the clipboard is touched.
    const QImage picture = m_sources.clipboard.pictureToPaste(item);
    if (picture.isNull()) {
        m_paster.refuse(QStringLiteral("the picture"),
                        QStringLiteral("Its file in the clipboard history is gone or cannot be read."));
        return;
    }
    m_sources.clipboard.notePasted(item.id, picture);
    m_paster.pasteImage(picture, previous);
}

void OverlayController::pasteSnippet(const Snippet &snippet)
{
    const std::optional<qint32> previous = m_previousApp;
    hide(false);
    m_paster.pasteSnippet(snippet, previous);
}

void OverlayController::openLink(const QuickLink &link)
{
    hide(false);
    m_sources.links.open(link.url);
}

void OverlayController::runCommand(const Command &command)
{
    // The previous application has the focus back before the command runs.
    hide(true);
    const QString line = command.command.trimmed();
    Feedback &feedback = m_platform.feedback();
    Notifications &notifications = m_platform.notifications();
    if (line.isEmpty()) {
        QTimer::singleShot(0, this, [&feedback, &notifications, name = FailureNotice::nameOf(command)] {
            feedback.beep();
            FailureNotice{QStringLiteral("%1 has no command line").arg(name),
                          QStringLiteral("Write one in Settings → Commands.")}
                .showOn(notifications);
        });
        return;
    }
    // Its output is shown only when it fails: the last lines, in one notification.
    const QString name = FailureNotice::nameOf(command);
    CommandRunner::runCommand(m_running, name, line,
                              [&feedback, &notifications, name](const CommandRunner::Result &result) {
                                  // A command the user stopped ended as asked.
                                  if (result.succeeded() || result.stopped)
                                      return;
                                  feedback.beep();
                                  FailureNotice::ofProcess(name, result).showOn(notifications);
                              });
}

void OverlayController::launchApp(const InputResult::LaunchApp &launch)
{
    // The app's windows may all be minimised or on other desktops: it is brought
    // forward then, launched when it has no window, and a letter that leads nowhere
    // beeps and says so.
    hide(false);
    if (m_platform.apps().openApplication(launch.bundleID))
        return;
    m_platform.feedback().beep();
    FailureNotice{QStringLiteral("Could not open %1").arg(FailureNotice::shortened(launch.appName, 60)),
                  QStringLiteral("It has no window to bring forward and no desktop entry to start it.")}
        .showOn(m_platform.notifications());
}

void OverlayController::selectApp(const AppEntry &app)
{
    if (opensWindowPage(app))
        m_viewModel.showWindows(app.pid);
    else
        fireWindow(app.windows.front());
}

SwitcherActions OverlayController::makeActions()
{
    // The panel lives no longer than the controller, so the callbacks may hold it.
    SwitcherActions actions;
    actions.selectApp = [this](const AppEntry &app) { selectApp(app); };
    actions.selectWindow = [this](const WindowInfo &window) { fireWindow(window); };
    actions.pasteClip = [this](const ClipboardHistory::Item &item) { pasteClip(item); };
    actions.pasteSnippet = [this](const Snippet &snippet) { pasteSnippet(snippet); };
    actions.openLink = [this](const QuickLink &link) { openLink(link); };
    actions.runCommand = [this](const Command &command) { runCommand(command); };
    actions.enterClipboard = [this] { m_viewModel.enter(Prefix::clipboard); };
    actions.enterSnippets = [this] { m_viewModel.enter(Prefix::snippet); };
    actions.enterLinks = [this] { m_viewModel.enter(Prefix::link); };
    actions.enterCommands = [this] { m_viewModel.enter(Prefix::command); };
    return actions;
}

} // namespace lettergate
