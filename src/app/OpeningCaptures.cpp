#include "app/OpeningCaptures.h"

#include "panel/AppsPage.h"
#include "platform/Log.h"
#include "switcher/SwitcherViewModel.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>

namespace lettergate {

namespace {

// Stops a prefetch that is still running. A finished one is left alone: Qt 6.4's
// cancel follows a pointer to the continuation that then() attached, which is freed
// once the continuation has run.
void cancelIfRunning(QFuture<void> &future)
{
    if (!future.isFinished())
        future.cancel();
}

} // namespace

OpeningCaptures::OpeningCaptures(ThumbnailService &thumbnails, SwitcherViewModel &viewModel, When when, QObject *parent)
    : QObject(parent)
    , m_thumbnails(thumbnails)
    , m_viewModel(viewModel)
    , m_when(when)
{
    m_toBegin.setSingleShot(true);
    connect(&m_toBegin, &QTimer::timeout, this, &OpeningCaptures::begin);
    m_batch.setSingleShot(true);
    m_batch.setInterval(batchMs);
    connect(&m_batch, &QTimer::timeout, this, &OpeningCaptures::publish);
}

OpeningCaptures::~OpeningCaptures()
{
    stop();
    cancelIfRunning(m_prefetch);
}

QList<WindowInfo> OpeningCaptures::captureOrder(const QList<WindowInfo> &windows, const QList<AppEntry> &apps,
                                                const QSet<quint32> &pictured)
{
    QSet<quint32> onAppsPage;
    for (const AppEntry &app : apps)
        onAppsPage.insert(AppsPage::pictureWindow(app).id);
    const auto rank = [&](const WindowInfo &window) {
        return (pictured.contains(window.id) ? 2 : 0) + (onAppsPage.contains(window.id) ? 0 : 1);
    };
    QList<WindowInfo> ordered = windows;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [&rank](const WindowInfo &a, const WindowInfo &b) { return rank(a) < rank(b); });
    return ordered;
}

void OpeningCaptures::arm(QWidget &panel, const QList<WindowInfo> &windows, const QList<AppEntry> &apps,
                          DrawnSizesOf drawnSizes, QElapsedTimer opened)
{
    stop();
    // The preparation after the last hide would capture the same windows again.
    cancelIfRunning(m_prefetch);
    m_windows = windows;
    m_apps = apps;
    m_drawnSizes = std::move(drawnSizes);
    m_opened = opened;
    m_captured.clear();
    m_cardsWaiting.clear();
    m_paintedMs = -1;
    m_beganMs = -1;
    m_cardsCompleteMs = -1;
    if (m_when == afterClosing)
        return;
    if (panel.isVisible()) {
        m_toBegin.start(0);
        return;
    }
    m_panel = &panel;
    panel.installEventFilter(this);
}

void OpeningCaptures::stop()
{
    stopWatchingPanel();
    m_toBegin.stop();
    m_batch.stop();
    cancelIfRunning(m_run);
}

void OpeningCaptures::stopWatchingPanel()
{
    if (m_panel)
        m_panel->removeEventFilter(this);
    m_panel = nullptr;
}

bool OpeningCaptures::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_panel)
        return false;
    // A hidden panel painted (a grab) has shown nothing yet.
    if (event->type() == QEvent::Paint && m_panel->isVisible() && m_paintedMs < 0) {
        m_paintedMs = elapsedMs();
        // The panel has the keyboard already when it is painted again while open.
        m_toBegin.start(m_panel->isActiveWindow() ? 0 : focusWaitMs);
    } else if (event->type() == QEvent::WindowActivate && m_paintedMs >= 0) {
        // Zero: the paint is on the screen, and the focus is the panel's, by the time it
        // fires.
        stopWatchingPanel();
        m_toBegin.start(0);
    }
    return false;
}

QFuture<void> OpeningCaptures::prefetchForNextOpening(const QList<WindowInfo> &windows,
                                                      ThumbnailService::DrawnSizes drawnSizes)
{
    m_prefetch = m_thumbnails.prefetch(windows, {}, std::move(drawnSizes), m_captured);
    return m_prefetch;
}

double OpeningCaptures::elapsedMs() const
{
    return m_opened.nsecsElapsed() / 1e6;
}

void OpeningCaptures::begin()
{
    stopWatchingPanel();
    m_beganMs = elapsedMs();
    const SwitcherViewModel::ThumbnailMap &shown = m_viewModel.thumbnails();
    const QSet<quint32> pictured(shown.keyBegin(), shown.keyEnd());
    for (const AppEntry &app : std::as_const(m_apps))
        m_cardsWaiting.insert(AppsPage::pictureWindow(app).id);
    const int run = ++m_runNumber;
    m_run = m_thumbnails.prefetch(
        captureOrder(m_windows, m_apps, pictured), [this](quint32 windowId, const QImage &) { received(windowId); },
        m_drawnSizes ? m_drawnSizes() : ThumbnailService::DrawnSizes{});
    m_run.then(this, [this, run] {
        if (run != m_runNumber)
            return;
        if (m_batch.isActive())
            publish();
        logOutcome();
    });
}

void OpeningCaptures::received(quint32 windowId)
{
    m_captured.insert(windowId);
    if (m_cardsWaiting.remove(windowId) && m_cardsWaiting.isEmpty()) {
        // The apps page is complete: its last card does not wait for the batch.
        publish();
        m_cardsCompleteMs = elapsedMs();
        return;
    }
    if (!m_batch.isActive())
        m_batch.start();
}

void OpeningCaptures::publish()
{
    m_batch.stop();
    m_viewModel.refreshThumbnails();
}

void OpeningCaptures::logOutcome() const
{
    // Nothing captured: no permission, or no window that could be.
    if (m_captured.isEmpty())
        return;
    // What shows that nothing was captured before the first frame.
    const QString painted = m_paintedMs < 0 ? QStringLiteral("the panel open already")
                                            : QStringLiteral("first paint at %1 ms").arg(m_paintedMs, 0, 'f', 1);
    const QString captured = QStringLiteral("%1, captures from %2 ms; %3 of %4 windows captured, the last after %5 ms")
                                 .arg(painted)
                                 .arg(m_beganMs, 0, 'f', 1)
                                 .arg(m_captured.size())
                                 .arg(m_windows.size())
                                 .arg(elapsedMs(), 0, 'f', 1);
    if (m_cardsWaiting.isEmpty()) {
        qCInfo(lcApp).noquote()
            << QStringLiteral("pictures complete after %1 ms: every card of the apps page has a fresh one (%2)")
                   .arg(m_cardsCompleteMs, 0, 'f', 1)
                   .arg(captured);
    } else {
        qCInfo(lcApp).noquote() << QStringLiteral(
                                       "pictures incomplete: %1 of the apps page's %2 cards have no fresh one (%3)")
                                       .arg(m_cardsWaiting.size())
                                       .arg(m_apps.size())
                                       .arg(captured);
    }
}

} // namespace lettergate
