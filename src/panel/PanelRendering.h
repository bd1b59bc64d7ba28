#pragma once

#include <QImage>
#include <QSize>

class Apps;
class SnippetStore;
class SwitcherViewModel;

// The panel as it shows the view model, at `size` (logical pixels), as a picture: for
// screenshots and design reviews, with the apps' icons `apps` gives, as
// prepared while the panel is closed. Clicks are not wired. Translucent: the corners
// outside the rounded panel are transparent.
QImage renderSwitcherView(Apps &apps, SwitcherViewModel &viewModel, const SnippetStore &snippets, QSize size,
                          qreal devicePixelRatio = 1);
