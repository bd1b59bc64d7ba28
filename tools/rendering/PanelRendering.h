#pragma once

#include <QImage>
#include <QSize>

namespace lettergate {

class Apps;
class SnippetStore;
class SwitcherViewModel;

// The panel as it shows the view model, at `size` (logical pixels), as a picture: for
// screenshots and the golden pictures the tests compare with, with the icons `apps`
// gives, as prepared while the panel is closed. Clicks are not wired. Translucent: the
// corners outside the rounded panel are transparent.
QImage renderSwitcherView(SwitcherViewModel &viewModel, const SnippetStore &snippets, Apps &apps, QSize size,
                          qreal devicePixelRatio = 1);

} // namespace lettergate
