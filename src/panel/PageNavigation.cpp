#include "panel/PageNavigation.h"

#include "panel/AppsPage.h"
#include "panel/CardFace.h"
#include "panel/CompactBottomBar.h"
#include "panel/CompactChip.h"
#include "panel/GridPage.h"
#include "panel/MiniPasteCard.h"
#include "panel/PasteColumn.h"

namespace lettergate {

namespace {

template <typename Block>
QList<QWidget *> widgets(const QList<Block *> &blocks)
{
    return {blocks.cbegin(), blocks.cend()};
}

// The card grid of the page: the app grid on the apps page; none on an empty page.
const GridPage *gridOf(const QWidget *page)
{
    if (const auto *apps = qobject_cast<const AppsPage *>(page))
        return apps->grid();
    return qobject_cast<const GridPage *>(page);
}

QList<QWidget *> blocksOf(const QWidget *page, Box box)
{
    if (box == Box::cards) {
        const GridPage *grid = gridOf(page);
        return grid ? widgets(grid->cards()) : QList<QWidget *>();
    }
    const auto *apps = qobject_cast<const AppsPage *>(page);
    if (!apps)
        return {};
    switch (box) {
    case Box::clipboard:
        return widgets(apps->clipboardColumn()->cells());
    case Box::snippets:
        return widgets(apps->snippetColumn()->cells());
    case Box::links:
        return widgets(apps->linkBar()->chips());
    case Box::commands:
        return widgets(apps->commandBar()->chips());
    case Box::cards:
        break;
    }
    return {};
}

} // namespace

namespace PageNavigation {

PageShape shapeOf(const QWidget *page)
{
    PageShape shape;
    for (int box = 0; box < boxCount; ++box) {
        const qsizetype shown = blocksOf(page, Box(box)).size();
        // A box's entries stand in one row; the cards in the grid's.
        const int perRow = Box(box) == Box::cards && gridOf(page) ? gridOf(page)->metrics().columns : int(shown);
        shape[size_t(box)] = BoxShape{shown, qMax(1, perRow)};
    }
    return shape;
}

QWidget *blockAt(const QWidget *page, Highlight item)
{
    const QList<QWidget *> blocks = blocksOf(page, item.box);
    return item.index >= 0 && item.index < blocks.size() ? blocks.at(item.index) : nullptr;
}

} // namespace PageNavigation

} // namespace lettergate
