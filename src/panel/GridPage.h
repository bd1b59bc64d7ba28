#pragma once

#include "panel/GridMetrics.h"

#include <QList>
#include <QWidget>
#include <functional>

namespace lettergate {

class CardFace;

// Cards in rows, as many per row as the grid's metrics say, 18 apart; each row centred,
// the rows centred vertically when they fit and aligned to the top otherwise. Framed
// to exactly its size: rows that do not fit are cut off at the bottom edge.
class GridPage : public QWidget {
    Q_OBJECT
public:
    using CardMaker = std::function<CardFace *(int index, const GridMetrics &metrics)>;

    GridPage(int count, QSize size, const CardMaker &makeCard, QWidget *parent = nullptr);

    const GridMetrics &metrics() const { return m_metrics; }
    const QList<CardFace *> &cards() const { return m_cards; }
    // Whether the rows are taller than the page.
    bool isAlignedToTop() const { return m_alignedToTop; }

private:
    GridMetrics m_metrics;
    QList<CardFace *> m_cards;
    bool m_alignedToTop = false;
};

} // namespace lettergate
