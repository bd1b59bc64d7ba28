#include "panel/EmptyState.h"

#include "panel/PanelStyle.h"
#include "panel/Symbols.h"

#include <QFontMetricsF>
#include <QPainter>

namespace lettergate {

namespace {
constexpr qreal symbolSize = 44; // a symbol at a system font size of 40
constexpr qreal spacing = 8;
} // namespace

EmptyState::EmptyState(QString title, QString subtitle, QSize size, QWidget *parent)
    : QWidget(parent)
    , m_title(std::move(title))
    , m_subtitle(std::move(subtitle))
{
    setAccessibleName(m_title);
    resize(size);
}

void EmptyState::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFont titleFont = PanelStyle::headline();
    const QFont subtitleFont = PanelStyle::callout();
    const qreal titleHeight = QFontMetricsF(titleFont).height();
    const qreal subtitleHeight = QFontMetricsF(subtitleFont).height();
    const qreal blockHeight = symbolSize + spacing + titleHeight + spacing + subtitleHeight;

    qreal y = (height() - blockHeight) / 2;
    Symbols::paint(painter, QRectF(width() / 2.0 - symbolSize / 2, y, symbolSize, symbolSize), u"tray",
                   PanelStyle::secondary());
    y += symbolSize + spacing;
    painter.setFont(titleFont);
    painter.setPen(PanelStyle::primary());
    painter.drawText(QRectF(0, y, width(), titleHeight), Qt::AlignCenter, m_title);
    y += titleHeight + spacing;
    painter.setFont(subtitleFont);
    painter.setPen(PanelStyle::secondary());
    painter.drawText(QRectF(0, y, width(), subtitleHeight), Qt::AlignCenter, m_subtitle);
}

} // namespace lettergate
