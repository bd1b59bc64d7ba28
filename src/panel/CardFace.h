#pragma once

#include "panel/GridMetrics.h"
#include "panel/RoundedPlate.h"

#include <QMargins>
#include <QWidget>
#include <functional>
#include <optional>

namespace lettergate {

class Clickable;

// The common frame of the grid cards: a face of (thumbW + 24) × (thumbH + 67) with a
// 33-high title row (leading square, title, key badge) above a thumbW × thumbH area,
// on the control background with a faint border and a soft shadow. The widget is
// larger than the face by `margins()`, room for the shadow and any back cards; only the
// face reacts to the pointer.
class CardFace : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal inset = 12;
    static constexpr qreal titleRowHeight = 33;
    static constexpr qreal bodyGap = 10;
    static constexpr qreal bodyCorner = 8;
    // Room around the face for its shadow (blur 8, 4 down).
    static constexpr QMargins shadowMargins{8, 8, 8, 12};

    QRectF faceRect() const;
    // Where the face's top-left corner sits inside the widget.
    QPoint faceOffset() const { return {m_margins.left(), m_margins.top()}; }
    const Clickable &clickable() const { return *m_clickable; }
    QString title() const { return m_title; }
    QString keyText() const { return m_keyText; }
    // The text after the title, in the title's row ("·3"); empty for none.
    virtual QString titleSuffix() const { return {}; }

protected:
    CardFace(QString title, QString keyText, const GridMetrics &metrics, qreal corner, QMargins margins,
             std::function<void()> action, QWidget *parent);

    // Painted below the face (back cards), in widget coordinates.
    virtual void paintBehind(QPainter &, const QRectF & /*face*/) {}
    // The 33 × 33 square at the start of the title row.
    virtual void paintLeading(QPainter &painter, const QRectF &square) = 0;
    // The picture area, already clipped to its rounded corners.
    virtual void paintBody(QPainter &painter, const QRectF &area) = 0;
    // Everything the subclass paints depends on, beyond the title, key and size: the
    // card is drawn from a kept picture while this stays the same (PaintCache).
    virtual QString contentKey() const = 0;

    void paintEvent(QPaintEvent *event) override;

    qreal corner() const { return m_corner; }
    // The face's fill and border, also those of the back cards.
    RoundedPlate cardPlate() const;
    const GridMetrics &metrics() const { return m_metrics; }

private:
    void paintFace(QPainter &painter);
    void paintTitleRow(QPainter &painter, const QRectF &row);

    QString m_title;
    QString m_keyText;
    GridMetrics m_metrics;
    qreal m_corner;
    QMargins m_margins;
    Clickable *m_clickable;
};

} // namespace lettergate
