#include "panel/SwitcherView.h"

#include "panel/PageArea.h"
#include "panel/PageBuilder.h"
#include "panel/PaintCache.h"
#include "panel/PanelHeader.h"
#include "panel/PanelStyle.h"
#include "panel/RoundedPlate.h"
#include "panel/ScreenRecordingBanner.h"
#include "panel/Symbols.h"
#include "switcher/SwitcherViewModel.h"

#include <QPainter>

SwitcherView::SwitcherView(SwitcherViewModel &viewModel, const SnippetStore &snippets, SwitcherActions actions,
                           int firstLayerCount, int linkFirstLayerCount, std::function<void()> requestScreenRecording,
                           QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_snippets(snippets)
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
    m_icons.keepListed(viewModel.apps());
    connect(&viewModel, &SwitcherViewModel::appsChanged, this, [this] { m_icons.keepListed(m_viewModel.apps()); });
    connect(&viewModel, &SwitcherViewModel::appsChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::stageChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::pendingChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::thumbnailsChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::screenRecordingGrantedChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::clipItemsChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::snippetItemsChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::linkItemsChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::commandItemsChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::clipboardKeyChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::snippetKeyChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::linkKeyChanged, this, changed);
    connect(&viewModel, &SwitcherViewModel::commandKeyChanged, this, changed);
    rebuild();
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

QSize SwitcherView::layoutParts()
{
    int y = 0;
    m_header->setGeometry(0, y, width(), PanelHeader::lineHeight());
    y += m_header->height();
    if (m_banner->isVisibleTo(this)) {
        m_banner->setGeometry(0, y, width(), ScreenRecordingBanner::bannerHeight());
        y += m_banner->height();
    }
    m_dividerY = y;
    y += 1;
    m_pageArea->setGeometry(0, y, width(), qMax(0, height() - y));
    return m_pageArea->size();
}

void SwitcherView::rebuild()
{
    m_rebuildTimer.stop();
    m_header->setContent(HeaderContent::forViewModel(m_viewModel));
    m_banner->setVisible(m_viewModel.stage() == Stage::apps() && !m_viewModel.screenRecordingGranted());
    const QSize pageSize = layoutParts();
    const PageContext context{m_viewModel, m_snippets, m_actions, m_icons, m_firstLayerCount, m_linkFirstLayerCount};
    m_pageArea->setPage(buildPage(context, pageSize), m_viewModel.stage(), m_viewModel.stageTransition());
    update();
}

void SwitcherView::resizeEvent(QResizeEvent *)
{
    layoutParts();
    scheduleRebuild();
}

void SwitcherView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // A translucent window starts each paint cleared, and nothing lies under the view,
    // so the plate may replace what is there instead of blending over it: the same
    // pixels at a copy's cost, for the largest area of the panel.
    if (m_translucent)
        painter.setCompositionMode(QPainter::CompositionMode_Source);
    // The same at every showing: painted once per size and kept.
    const PaintCache::Key key(u"panel", m_translucent, m_dividerY);
    PaintCache::draw(painter, rect(), key, [this](QPainter &onPicture) {
        const RoundedPlate panel{cornerRadius, PanelStyle::panelFill(m_translucent), PanelStyle::panelBorder()};
        panel.paint(onPicture, rect());
        onPicture.fillRect(QRectF(1, m_dividerY, width() - 2, 1), PanelStyle::primary(0.12));
    });
}
