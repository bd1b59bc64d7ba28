#include "panel/GridPage.h"

#include "panel/CardFace.h"

namespace lettergate {

GridPage::GridPage(int count, QSize size, const CardMaker &makeCard, QWidget *parent)
    : QWidget(parent)
    , m_metrics(GridMetrics::fit(count, size.width(), size.height()))
{
    resize(size);
    const int rows = m_metrics.rowsFor(count);
    const double contentHeight = m_metrics.contentHeight(rows);
    m_alignedToTop = size.height() < contentHeight;
    const double top = m_alignedToTop ? 0 : (size.height() - contentHeight) / 2;
    const double stepX = m_metrics.cardWidth() + GridMetrics::spacing;
    const double stepY = m_metrics.cardHeight() + GridMetrics::spacing;

    for (int index = 0; index < count; ++index) {
        const int row = index / m_metrics.columns;
        const int column = index % m_metrics.columns;
        const int inRow = qMin(m_metrics.columns, count - row * m_metrics.columns);
        const double rowWidth = inRow * stepX - GridMetrics::spacing;
        const QPointF face((size.width() - rowWidth) / 2 + column * stepX, top + row * stepY);

        CardFace *card = makeCard(index, m_metrics);
        card->setParent(this);
        card->move(face.toPoint() - card->faceOffset());
        m_cards.append(card);
    }
}

} // namespace lettergate
