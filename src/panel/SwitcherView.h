#pragma once

#include "panel/SwitcherActions.h"

#include <QPainterPath>
#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace lettergate {

class AppIconCache;
class Clickable;
class PageArea;
class PanelHeader;
class ScreenRecordingBanner;
class SnippetStore;
class SwitcherViewModel;

// The whole content of the switcher panel: the header line, the Screen Recording
// banner (apps page only, while the permission is missing), a divider and the page of
// the view model's stage, on a dark rounded panel. It holds no state of its own: every
// change the view model announces rebuilds it (once per turn of the event loop), but for
// new window pictures, which only the cards showing them take and redraw, and for the
// keyboard highlight, which only the outlines of the blocks it leaves and reaches
// redraw; every click goes to the actions, to the view model's back, or to the
// permission request.
class SwitcherView : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal cornerRadius = 18;

    // The icons are the controller's to prepare; the view only draws them.
    SwitcherView(SwitcherViewModel &viewModel, const SnippetStore &snippets, const AppIconCache &icons,
                 SwitcherActions actions, int firstLayerCount, int linkFirstLayerCount,
                 std::function<void()> requestScreenRecording, QWidget *parent = nullptr);

    // Whether a compositor blends the panel over the desktop. Without one the panel is
    // painted opaque and its window owner shapes it with panelMask().
    void setTranslucent(bool translucent);

    // The panel's rounded outline, and the window shape for an opaque panel of `size`.
    static QPainterPath panelShape(const QRectF &rect);
    static QRegion panelMask(QSize size);

    // Builds the header, the banner and the page from the view model now. Changes of
    // the view model call it on the next turn of the event loop.
    void rebuild();
    // Rebuilds now if a change of the view model or of the view's size waits for it:
    // before a showing, so that the showing paints the view once, as it is to be.
    void rebuildIfPending();

    // The page area's size in a view of `viewSize` without the banner: what the header
    // and the divider leave. Window pictures are sized with it, and they are captured
    // only with the permission whose absence the banner shows. Answered before the view
    // is first laid out, too.
    static QSize pageSizeWithin(QSize viewSize);

    // Shakes the header briefly: a key was refused (the bell may be muted).
    void cueRejectedKey();

    PanelHeader *header() const { return m_header; }
    ScreenRecordingBanner *banner() const { return m_banner; }
    PageArea *pageArea() const { return m_pageArea; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // Each hide of the panel ends a showing of its kept pictures.
    void hideEvent(QHideEvent *event) override;

private:
    void scheduleRebuild();
    // The view model's window pictures to the cards of the page, each redrawn only if
    // its picture changed.
    void showPictures();
    // Outlines the block of the view model's highlight on `page`, and no other.
    void showHighlight(const QWidget *page);
    // Whether the page of the present stage draws the picture snippet of this file.
    bool pageShowsSnippetPicture(const QString &fileName) const;
    // Places the header, banner, divider and page area; answers the page area's size.
    QSize layoutParts();
    // Where the page area begins: below the header, a banner this tall and the divider.
    static int pageTop(int bannerHeight);

    SwitcherViewModel &m_viewModel;
    const SnippetStore &m_snippets;
    const AppIconCache &m_icons;
    SwitcherActions m_actions;
    int m_firstLayerCount;
    int m_linkFirstLayerCount;
    bool m_translucent = true;
    QTimer m_rebuildTimer;
    PanelHeader *m_header;
    ScreenRecordingBanner *m_banner;
    PageArea *m_pageArea;
    int m_dividerY = 0;
    // The block outlined for the keyboard highlight.
    QPointer<Clickable> m_highlighted;
    // While a rebuild tells the view model the new page's shape, a highlight it moves
    // belongs to that page, not to the one still shown.
    bool m_rebuilding = false;
    // The size the view was last built for.
    QSize m_builtSize;
};

} // namespace lettergate
