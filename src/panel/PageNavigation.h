#pragma once

#include "switcher/Highlight.h"

class QWidget;

namespace lettergate {

// What the keyboard highlight moves over on a built page: the shape the view model
// moves it in, and the block that shows a highlighted item.
namespace PageNavigation {

// The page's cards in their grid's rows; on the apps page also each box's one row.
PageShape shapeOf(const QWidget *page);

// The block that shows the item on the page; null when the page has no such item.
QWidget *blockAt(const QWidget *page, Highlight item);

} // namespace PageNavigation

} // namespace lettergate
