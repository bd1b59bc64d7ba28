#include "app/OverlayPanel.h"

#include "app/PanelPlacement.h"
#include "panel/SwitcherView.h"
#include "platform/OwnWindows.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QEvent>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>

namespace lettergate {

// The panel bypasses the window manager, as menus do: mapping it is one request, not a
// window to manage (on openbox 6 to 10 ms before the first frame could be drawn), and
// hiding it leaves the manager nothing to withdraw while it activates the window picked.
// It is on every desktop and in no taskbar by its nature; the keyboard focus it takes
// itself, and the window manager's focus model still moves the focus away on a click
// elsewhere, which hides it.
OverlayPanel::OverlayPanel(SwitcherView *content, bool translucent)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint)
    , m_content(content)
    , m_translucent(translucent)
{
    setObjectName(QStringLiteral("LettergatePanel"));
    setWindowTitle(QStringLiteral("Lettergate"));
    // Where a compositor blends windows the panel's rounded corners are simply clear;
    // without one a translucent window shows black corners, so the panel is painted
    // opaque and the window is cut to its rounded shape instead (fitToSize).
    setAttribute(Qt::WA_TranslucentBackground, m_translucent);
    content->setTranslucent(m_translucent);
    content->setParent(this);
    setFocusPolicy(Qt::StrongFocus);
}

void OverlayPanel::placeOn(QScreen *screen)
{
    if (!screen)
        return;
    setScreen(screen);
    setGeometry(PanelPlacement::panelRectWithin(screen->availableGeometry()));
    // A hidden window gets its resize only when it is shown: the content is fitted now,
    // so that it can be built for the new size before that.
    fitToSize();
}

void OverlayPanel::becomeOverlay(OwnWindows &desktop)
{
    winId();
    // The same native window stays; it gets a shell role of its own at its next showing.
    if (!desktop.makeOverlay(*windowHandle()))
        setWindowFlag(Qt::BypassWindowManagerHint, false);
}

void OverlayPanel::prepareWindow()
{
    create();
    m_content->rebuildIfPending();
    // One paint of the whole panel into its backing store, never shown: the store's
    // buffer is allocated at the panel's size, and the fonts and the pictures painted
    // once are loaded and cached as the showing's paint wants them.
    QBackingStore *store = backingStore();
    store->resize(size());
    const QRegion whole(rect());
    store->beginPaint(whole);
    render(store->paintDevice(), QPoint(), whole);
    store->endPaint();
}

void OverlayPanel::present()
{
    m_content->rebuildIfPending();
    show();
    // Showing posts each child widget an update of its area for later. Delivered now,
    // they join the paint the exposure brings; delivered after it, they would paint the
    // panel a second time.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
    raise();
    activateWindow();
}

void OverlayPanel::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible())
        emit focusLost();
}

// Nothing on the panel is drawn by whether it has the focus, so taking or losing it
// paints nothing; QWidget's handlers would paint the whole panel again, and the focus
// comes just after the showing's first paint.
void OverlayPanel::focusInEvent(QFocusEvent *) {}

void OverlayPanel::focusOutEvent(QFocusEvent *) {}

void OverlayPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitToSize();
}

void OverlayPanel::fitToSize()
{
    // Each is done only when the size changed: a new geometry or mask repaints. The
    // content may already have the panel's size when the shape was never cut for it
    // (both start at the same default size).
    if (m_content->geometry() != rect())
        m_content->setGeometry(rect());
    if (!m_translucent && m_maskedSize != size()) {
        setMask(SwitcherView::panelMask(size()));
        m_maskedSize = size();
    }
}

} // namespace lettergate
