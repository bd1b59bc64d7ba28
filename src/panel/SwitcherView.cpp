#include "panel/SwitcherView.h"

#include "panel/Card.h"
#include "panel/Clickable.h"
#include "panel/PageArea.h"
#include "panel/PageBuilder.h"
#include "panel/PageNavigation.h"
#include "panel/PaintCache.h"
#include "panel/PanelHeader.h"
#include "panel/PanelStyle.h"
#include "panel/RoundedPlate.h"
#include "panel/ScreenRecordingBanner.h"
#include "panel/Symbols.h"
#include "stores/SnippetStore.h"
#include "switcher/SwitcherViewModel.h"

#include <QPainter>
#include <algorithm>

namespace lettergate {

SwitcherView::SwitcherView(SwitcherViewModel &viewModel, const SnippetStore &snippets, const AppIconCache &icons,
                           SwitcherActions actions, int firstLayerCount, int linkFirstLayerCount,
                           std::function<void()> requestScreenRecording, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_snippets(snippets)
    , m_icons(icons)
    , m_actions(std::move(actions))
    , m_firstLayerCount(firstLayerCount)
    , m_linkFirstLayerCount(linkFirstLayerCount)
    , m_header(new PanelHeader([this] { m_viewModel.back(); }, this))
    , m_banner(new ScreenRecordingBanner(this))
    , m_pageArea(new PageArea(this))
{
    setAttribute(Qt::WA_NoSystemBackground);
    Symbols::prepare();
    m_rebuildTimer.setSingleShot(true);
    m_rebuildTimer.setInterval(0);
    connect(&m_rebuildTimer, &QTimer::timeout, this, &SwitcherView::rebuild);
    connect(m_banner, &QAbstractButton::clicked, this, [request = std::move(requestScreenRecording)] {
        if (request)
            request();
    });

    const auto changed = [this] { scheduleRebuild(); };
    connect(&viewModel, &SwitcherViewModel::appsChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::stageChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::pendingChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::thumbnailsChanged, this, &SwitcherView::showPictures);
    connect(&viewModel, &SwitcherViewModel::screenRecordingGrantedChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::clipItemsChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::snippetItemsChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::linkItemsChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::commandItemsChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::clipboardKeyChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::snippetKeyChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::linkKeyChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::commandKeyChanged, this, changed);
    // A rebuild on its way draws the highlight where it is by then.
    connect(&viewModel, &SwitcherViewModel::highlightChanged, this, [this] {
        if (!m_rebuildTimer.isActive() && !m_rebuilding)
            showHighlight(m_pageArea->page());
    });
    // A closed panel draws a preview made meanwhile at its next opening's rebuild.
    connect(&snippets.previews(), &SnippetPreviews::previewMade, this, [this](const QString &fileName) {
        if (isVisible() && pageShowsSnippetPicture(fileName))
            scheduleRebuild();
    });
    rebuild();
}

bool SwitcherView::pageShowsSnippetPicture(const QString &fileName) const
{
    const QList<Snippet> &snippets = m_viewModel.snippetItems();
    qsizetype shown = 0;
    switch (m_viewModel.stage().kind()) {
    case Stage::Kind::apps:
        shown = qMin<qsizetype>(m_firstLayerCount, snippets.size());
        break;
    case Stage::Kind::snippets:
        shown = snippets.size();
        break;
    default:
        return false;
    }
    return std::any_of(snippets.cbegin(), snippets.cbegin() + shown,
                       [&fileName](const Snippet &snippet) { return snippet.imageFileName == fileName; });
}

void SwitcherView::setTranslucent(bool translucent)
{
    m_translucent = translucent;
    update();
}

QPainterPath SwitcherView::panelShape(const QRectF &rect)
{
    QPainterPath shape;
    shape.addRoundedRect(rect, cornerRadius, cornerRadius);
    return shape;
}

QRegion SwitcherView::panelMask(QSize size)
{
    return QRegion(panelShape(QRectF(QPointF(0, 0), size)).toFillPolygon().toPolygon());
}

void SwitcherView::scheduleRebuild()
{
    // The view model announces a reset field by field: one rebuild follows them all.
    if (!m_rebuildTimer.isActive())
        m_rebuildTimer.start();
}

void SwitcherView::showPictures()
{
    // A rebuild on its way builds every card with its picture.
    if (m_rebuildTimer.isActive())
        return;
    const auto &thumbnails = m_viewModel.thumbnails();
    for (Card *card : m_pageArea->findChildren<Card *>()) {
        const auto found = thumbnails.constFind(card->data().windowId);
        card->showPicture(found == thumbnails.constEnd() ? std::nullopt : std::optional<QImage>(*found));
    }
}

int SwitcherView::pageTop(int bannerHeight)
{
    return PanelHeader::lineHeight() + bannerHeight + 1;
}

QSize SwitcherView::layoutParts()
{
    m_header->setGeometry(0, 0, width(), PanelHeader::lineHeight());
    if (m_banner->isVisibleTo(this))
        m_banner->setGeometry(0, PanelHeader::lineHeight(), width(), ScreenRecordingBanner::bannerHeight());
    const int top = pageTop(m_banner->isVisibleTo(this) ? ScreenRecordingBanner::bannerHeight() : 0);
    m_dividerY = top - 1;
    m_pageArea->setGeometry(0, top, width(), qMax(0, height() - top));
    return m_pageArea->size();
}

QSize SwitcherView::pageSizeWithin(QSize viewSize)
{
    return QSize(viewSize.width(), qMax(0, viewSize.height() - pageTop(0)));
}

void SwitcherView::rebuild()
{
    m_rebuildTimer.stop();
    m_header->setContent(HeaderContent::forViewModel(m_viewModel));
    m_banner->setVisible(m_viewModel.stage() == Stage::apps() && !m_viewModel.screenRecordingGranted());
    const QSize pageSize = layoutParts();
    const PageContext context{m_viewModel, m_snippets, m_actions, m_icons, m_firstLayerCount, m_linkFirstLayerCount};
    QWidget *page = buildPage(context, pageSize);
    m_rebuilding = true;
    m_viewModel.setPageShape(PageNavigation::shapeOf(page));
    m_rebuilding = false;
    // Before the page is shown, so that a transition's picture of it has the outline.
    showHighlight(page);
    m_pageArea->setPage(page, m_viewModel.stage(), m_viewModel.stageTransition());
    m_builtSize = size();
    update();
}

void SwitcherView::showHighlight(const QWidget *page)
{
    Clickable *target = nullptr;
    if (const std::optional<Highlight> item = m_viewModel.highlight()) {
        if (QWidget *block = PageNavigation::blockAt(page, *item))
            target = block->findChild<Clickable *>(QString(), Qt::FindDirectChildrenOnly);
    }
    if (target == m_highlighted)
        return;
    // A block of a page being replaced keeps its outline in that page's last picture.
    if (m_highlighted && page->isAncestorOf(qobject_cast<QWidget *>(m_highlighted->parent())))
        m_highlighted->setHighlighted(false);
    m_highlighted = target;
    if (target)
        target->setHighlighted(true);
}

void SwitcherView::cueRejectedKey()
{
    m_header->shake();
}

void SwitcherView::rebuildIfPending()
{
    if (m_rebuildTimer.isActive() || size() != m_builtSize)
        rebuild();
}

void SwitcherView::resizeEvent(QResizeEvent *)
{
    // A hidden view resized and built meanwhile gets the resize when it is shown.
    if (size() == m_builtSize)
        return;
    layoutParts();
    scheduleRebuild();
}

namespace {

// The one-pixel border just inside a rounded rectangle's edge, as RoundedPlate draws it,
// but as four straight pixel rows and columns and four quarter arcs: one antialiased
// stroke of the whole outline costs a sixth of the panel's first frame.
void paintOutline(QPainter &painter, const QRectF &rect, qreal radius, const QColor &color)
{
    const qreal straightW = rect.width() - 2 * radius;
    const qreal straightH = rect.height() - 2 * radius;
    painter.fillRect(QRectF(rect.left() + radius, rect.top(), straightW, 1), color);
    painter.fillRect(QRectF(rect.left() + radius, rect.bottom() - 1, straightW, 1), color);
    painter.fillRect(QRectF(rect.left(), rect.top() + radius, 1, straightH), color);
    painter.fillRect(QRectF(rect.right() - 1, rect.top() + radius, 1, straightH), color);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, 1, Qt::SolidLine, Qt::FlatCap));
    // The arcs' circle: centred half a pixel inside the edge, as the straight parts are.
    const qreal diameter = 2 * radius - 1;
    const QRectF inner = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    const QSizeF corner(diameter, diameter);
    constexpr int quarter = 90 * 16;
    painter.drawArc(QRectF(inner.topLeft(), corner), quarter, quarter);
    painter.drawArc(QRectF(inner.topRight() - QPointF(diameter, 0), corner), 0, quarter);
    painter.drawArc(QRectF(inner.bottomLeft() - QPointF(0, diameter), corner), 2 * quarter, quarter);
    painter.drawArc(QRectF(inner.bottomRight() - QPointF(diameter, diameter), corner), 3 * quarter, quarter);
    painter.restore();
}

} // namespace

void SwitcherView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    PaintCache::endShowing();
}

void SwitcherView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // Painted afresh at every paint rather than kept as a picture: filling the plate
    // touches the same pixels a copy of the picture would, and the picture held a
    // panel-sized image for as long as the program ran.
    // A translucent window starts each paint cleared, and nothing lies under the view,
    // so the fill may replace what is there instead of blending over it: the same pixels
    // at a copy's cost, for the largest area of the panel.
    if (m_translucent)
        painter.setCompositionMode(QPainter::CompositionMode_Source);
    RoundedPlate{cornerRadius, PanelStyle::panelFill(m_translucent), QColor()}.paint(painter, rect());
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    paintOutline(painter, rect(), cornerRadius, PanelStyle::panelBorder());
    painter.fillRect(QRectF(1, m_dividerY, width() - 2, 1), PanelStyle::primary(0.12));
}

} // namespace lettergate
