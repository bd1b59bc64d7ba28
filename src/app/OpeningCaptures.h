#pragma once

#include "switcher/AppEntry.h"
#include "windows/ThumbnailService.h"

#include <QElapsedTimer>
#include <QFuture>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <functional>
class QWidget;

namespace lettergate {

class SwitcherViewModel;

// Fresh window pictures at every opening of the panel. Once the panel has drawn its
// first frame and has the keyboard focus, the windows it lists are captured anew on the thumbnail service's worker
// threads: windows without a picture first, and within that and the rest, the windows
// the apps page shows before the others, each group front-most first. The pictures
// reach the view model a frame's worth at a time, and the cards they belong to redraw;
// the picture that completes the apps page goes at once. Stopping (a hide, a switch)
// skips the captures not begun, so the X server is free for the window manager within
// one capture, and hands nothing more to the view model.
// Between openings it captures, for the next one, what the last opening did not: a
// picture taken while the panel was open is not taken again right after it closes.
// Where pictures are cut from the screen, the panel would be in them: an opening then
// captures nothing, and every window is captured between openings. GUI thread only.
class OpeningCaptures : public QObject {
    Q_OBJECT
public:
    using DrawnSizesOf = std::function<ThumbnailService::DrawnSizes()>;

    // Pictures arriving within this many milliseconds reach the view model together.
    static constexpr int batchMs = 16;
    // How long after its first paint the captures wait at most for the panel to take the
    // keyboard focus. Begun before it, 50 captures held the X server while it served the
    // panel's focus: at 50 windows the panel had the keyboard 1.5 ms later and its first
    // frame 1.5 ms later too.
    static constexpr int focusWaitMs = 50;

    // When windows are captured: while the panel is open and between openings, or only
    // between openings.
    enum When { whileOpen, afterClosing };

    OpeningCaptures(ThumbnailService &thumbnails, SwitcherViewModel &viewModel, When when = whileOpen,
                    QObject *parent = nullptr);
    // Captures still running report to the thumbnail service, which outlives this: they
    // are cancelled so that none reports here.
    ~OpeningCaptures() override;

    // The panel opens (at `opened`) over `windows`, front-most first, grouped as `apps`:
    // their captures begin once the panel has painted and taken the keyboard focus (at
    // most focusWaitMs after the paint), or on the next turn for a panel already open. `drawnSizes` is asked then. Ends
    // the previous opening's captures and any preparation for this one still running.
    void arm(QWidget &panel, const QList<WindowInfo> &windows, const QList<AppEntry> &apps, DrawnSizesOf drawnSizes,
             QElapsedTimer opened);
    // Ends the opening's captures: none begins any more, and none reaches the view model.
    void stop();
    // While the panel is closed: captures the windows of `windows` that the last opening
    // has not captured, for the next opening.
    QFuture<void> prefetchForNextOpening(const QList<WindowInfo> &windows, ThumbnailService::DrawnSizes drawnSizes);

    // `windows` in the order an opening captures them, given the windows that have a
    // picture already.
    static QList<WindowInfo> captureOrder(const QList<WindowInfo> &windows, const QList<AppEntry> &apps,
                                          const QSet<quint32> &pictured);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void stopWatchingPanel();
    void begin();
    void received(quint32 windowId);
    void publish();
    void logOutcome() const;
    double elapsedMs() const;

    ThumbnailService &m_thumbnails;
    SwitcherViewModel &m_viewModel;
    When m_when;
    // Watched for its first paint and the focus while the captures wait for them.
    QPointer<QWidget> m_panel;
    QTimer m_toBegin;
    QTimer m_batch;
    QList<WindowInfo> m_windows;
    QList<AppEntry> m_apps;
    DrawnSizesOf m_drawnSizes;
    QElapsedTimer m_opened;
    // The opening's captures, and the counter that tells their completion from an
    // earlier opening's.
    QFuture<void> m_run;
    int m_runNumber = 0;
    QFuture<void> m_prefetch;
    // The windows this opening has captured so far.
    QSet<quint32> m_captured;
    // The windows whose pictures the apps page shows, not captured yet this opening.
    QSet<quint32> m_cardsWaiting;
    // Milliseconds since the opening: its first paint (none for a panel open already),
    // the captures' start, and the last card of the apps page taking its picture.
    double m_paintedMs = -1;
    double m_beganMs = -1;
    double m_cardsCompleteMs = -1;
};

} // namespace lettergate
