#include "app/OverlayPanel.h"

#include "panel/SwitcherView.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QVBoxLayout>

OverlayPanel::OverlayPanel(SwitcherView *content)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("LettergatePanel"));
    setWindowTitle(QStringLiteral("Lettergate"));
    // The view paints the rounded panel opaque and the window is cut to its rounded
    // shape (resizeEvent), so the corners are right with or without a compositor.
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
    setMask(SwitcherView::panelMask(size()));
}
