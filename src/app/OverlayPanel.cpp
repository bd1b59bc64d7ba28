#include "app/OverlayPanel.h"

#include "panel/SwitcherView.h"
#include "platform/OwnWindows.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QVBoxLayout>

OverlayPanel::OverlayPanel(SwitcherView *content, OwnWindows &ownWindows)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_ownWindows(ownWindows)
    , m_translucent(ownWindows.hasCompositor())
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
    m_isWanted = true;
    if (isVisible()) {
        bringToFront();
        return;
    }
    // Shown again while the window manager still withdraws it after the last hide, the
    // panel could be lost: mapped by us, never managed nor drawn by the window manager.
    m_ownWindows.whenWithdrawn(winId(), [this] {
        if (m_isWanted)
            bringToFront();
    });
}

void OverlayPanel::dismiss()
{
    m_isWanted = false;
    hide();
}

void OverlayPanel::bringToFront()
{
    show();
    m_ownWindows.keepAsFloatingPanel(winId());
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
