#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

namespace lettergate {

// Text of a card or cell: wrapped to its width, at most `maxLines` lines, the last
// one cut at the end with an ellipsis. The lines are laid out once per width, so the
// frequent repaints of a hover fade cost no text layout.
class TextBlock {
public:
    TextBlock(QString text, QFont font, QColor color, int maxLines);

    // Paints from the top-left corner of `rect`; lines that do not fit its height are
    // left out.
    void paint(QPainter &painter, const QRectF &rect) const;

    // The lines as they are shown at `width`.
    QStringList lines(qreal width) const;

    // One line cut at the end with an ellipsis to fit `rect`, vertically centred.
    static void paintLine(QPainter &painter, const QRectF &rect, const QString &text, const QFont &font,
                          const QColor &color);

private:
    QString m_text;
    QFont m_font;
    QColor m_color;
    int m_maxLines;
    mutable qreal m_laidOutWidth = -1;
    mutable QStringList m_lines;
};

} // namespace lettergate
