#include "panel/TextBlock.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

namespace lettergate {

namespace {
// No line holds more characters than this at the panel's sizes, so a huge text is
// laid out only as far as its shown lines can reach.
constexpr qsizetype charactersPerLineBound = 256;
} // namespace

TextBlock::TextBlock(QString text, QFont font, QColor color, int maxLines)
    : m_text(std::move(text))
    , m_font(std::move(font))
    , m_color(std::move(color))
    , m_maxLines(maxLines)
{
}

QStringList TextBlock::lines(qreal width) const
{
    if (width == m_laidOutWidth)
        return m_lines;
    m_laidOutWidth = width;
    m_lines.clear();
    if (width <= 0)
        return m_lines;

    const QString shown = m_text.left(charactersPerLineBound * m_maxLines);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QTextLayout layout(QString(shown).replace(QLatin1Char('\n'), QChar::LineSeparator), m_font);
    layout.setTextOption(option);
    layout.beginLayout();
    qsizetype end = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (m_lines.size() == m_maxLines)
            break;
        const QString text = layout.text().mid(line.textStart(), line.textLength());
        m_lines.append(text.trimmed().isEmpty() ? QString() : text);
        end = line.textStart() + line.textLength();
    }
    layout.endLayout();

    const bool cut = !m_text.mid(end).trimmed().isEmpty();
    if (cut && !m_lines.isEmpty()) {
        // The last line shown ends in an ellipsis, cutting into it when it is full.
        const QFontMetricsF metrics(m_font);
        QString &last = m_lines.last();
        last = metrics.elidedText(last.trimmed() + QChar(0x2026), Qt::ElideRight, width);
    }
    for (QString &line : m_lines)
        line.remove(QChar::LineSeparator);
    return m_lines;
}

void TextBlock::paint(QPainter &painter, const QRectF &rect) const
{
    const QFontMetricsF metrics(m_font);
    painter.save();
    painter.setFont(m_font);
    painter.setPen(m_color);
    qreal y = rect.top();
    for (const QString &line : lines(rect.width())) {
        if (y + metrics.height() > rect.bottom() + 0.5)
            break;
        painter.drawText(QPointF(rect.left(), y + metrics.ascent()), line);
        y += metrics.lineSpacing();
    }
    painter.restore();
}

void TextBlock::paintLine(QPainter &painter, const QRectF &rect, const QString &text, const QFont &font,
                          const QColor &color)
{
    const QFontMetricsF metrics(font);
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     metrics.elidedText(line.left(charactersPerLineBound), Qt::ElideRight, rect.width()));
    painter.restore();
}

} // namespace lettergate
