#pragma once

#include "panel/PageContext.h"

#include <QSize>

class QWidget;

namespace lettergate {

// Builds the page of the view model's current stage for a page area of `size`: the
// apps page, an app's windows, or a full list (its empty state when the list is empty).
// The page is a pure function of the context and the size; it is built anew on every
// change.
QWidget *buildPage(const PageContext &context, QSize size);

} // namespace lettergate
