#include "app/PanelPlacement.h"

namespace lettergate {

namespace PanelPlacement {

namespace {

// Qt keeps a screen's top-left corner where the window server has it and scales only its
// size, so this is the screen in the server's device pixels.
QRectF deviceFrameOf(const Screen &screen)
{
    return QRectF(screen.geometry.topLeft(), QSizeF(screen.geometry.size()) * screen.devicePixelRatio);
}

qreal areaOf(const QRectF &rect)
{
    return rect.isEmpty() ? 0 : rect.width() * rect.height();
}

qsizetype screenHoldingWindow(const QList<Screen> &screens, const QRectF &frame)
{
    for (qsizetype i = 0; i < screens.size(); ++i)
        if (deviceFrameOf(screens[i]).contains(frame.center()))
            return i;
    qsizetype best = -1;
    qreal bestOverlap = 0;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        const qreal overlap = areaOf(deviceFrameOf(screens[i]).intersected(frame));
        if (overlap > bestOverlap) {
            best = i;
            bestOverlap = overlap;
        }
    }
    return best;
}

} // namespace

qsizetype screenFor(const QList<Screen> &screens, const std::optional<QRectF> &activeWindowFrame,
                    const std::optional<QPoint> &pointer)
{
    if (screens.isEmpty())
        return -1;
    if (activeWindowFrame && !activeWindowFrame->isEmpty()) {
        if (const qsizetype holding = screenHoldingWindow(screens, *activeWindowFrame); holding >= 0)
            return holding;
    }
    if (pointer) {
        for (qsizetype i = 0; i < screens.size(); ++i)
            if (screens[i].geometry.contains(*pointer))
                return i;
    }
    return 0;
}

QRect panelRectWithin(const QRect &available)
{
    const QSize size(qRound(available.width() * 0.8), qRound(available.height() * 0.8));
    return QRect(QPoint(available.center().x() - size.width() / 2, available.center().y() - size.height() / 2), size);
}

} // namespace PanelPlacement

} // namespace lettergate
