#include "settings/ui/WindowPlacement.h"

#include <algorithm>

namespace lettergate {

namespace {

qint64 area(const QRect &rect)
{
    return rect.isEmpty() ? 0 : qint64(rect.width()) * rect.height();
}

QRect centredOn(const QRect &screen, QSize size)
{
    QRect placed({}, size.boundedTo(screen.size()));
    placed.moveCenter(screen.center());
    return placed;
}

} // namespace

QRect WindowPlacement::restored(const std::optional<QRect> &stored, QSize defaultSize, const QList<QRect> &screens)
{
    if (screens.isEmpty())
        return stored.value_or(QRect({}, defaultSize));
    if (!stored)
        return centredOn(screens.first(), defaultSize);
    const auto shown = std::ranges::max_element(screens, {}, [&stored](const QRect &screen) {
        return area(screen.intersected(*stored));
    });
    if (area(shown->intersected(*stored)) == 0)
        return centredOn(screens.first(), stored->size());
    const QRect &screen = *shown;
    QRect placed(stored->topLeft(), stored->size().boundedTo(screen.size()));
    placed.moveLeft(std::clamp(placed.left(), screen.left(), screen.right() - placed.width() + 1));
    placed.moveTop(std::clamp(placed.top(), screen.top(), screen.bottom() - placed.height() + 1));
    return placed;
}

} // namespace lettergate
