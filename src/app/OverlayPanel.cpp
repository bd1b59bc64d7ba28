#include "app/OverlayPanel.h"

#include "panel/SwitcherView.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QVBoxLayout>

// The panel bypasses the window manager, as menus do: mapping it is one request, not a
// window to manage (on openbox 6 to 10 ms before the first frame could be drawn), and
// hiding it leaves the manager nothing to withdraw while it activates the window picked.
// It is on every desktop and in no taskbar by its nature; the keyboard focus it takes
// itself, and the window manager's focus model still moves the focus away on a click
// elsewhere, which hides it.
OverlayPanel::OverlayPanel(SwitcherView *content, bool translucent)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint)
    , m_translucent(translucent)
{
    setObjectName(QStringLiteral("LettergatePanel"));
    setWindowTitle(QStringLiteral("Lettergate"));
    // Where a compositor blends windows the panel's rounded corners are simply clear;
    // without one a translucent window shows black corners, so the panel is painted
    // opaque and the window is cut to its rounded shape instead (resizeEvent).
    setAttribute(Qt::WA_TranslucentBackground, m_translucent);
    content->setTranslucent(m_translucent);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    setFocusPolicy(Qt::StrongFocus);
}

void OverlayPanel::placeOnPrimaryScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size(qRound(area.width() * 0.8), qRound(area.height() * 0.8));
    setGeometry(QRect(QPoint(area.center().x() - size.width() / 2, area.center().y() - size.height() / 2), size));
}

void OverlayPanel::present()
{
    show();
    raise();
    activateWindow();
}

void OverlayPanel::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible())
        emit focusLost();
}

void OverlayPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!m_translucent)
        setMask(SwitcherView::panelMask(size()));
}
