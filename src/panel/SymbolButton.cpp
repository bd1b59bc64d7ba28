#include "panel/SymbolButton.h"

#include "panel/PanelStyle.h"
#include "panel/Symbols.h"

#include <QPainter>

namespace lettergate {

namespace {
constexpr int padding = 3;
}

SymbolButton::SymbolButton(QString symbol, int symbolSize, const QString &accessibleName, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(std::move(symbol))
    , m_symbolSize(symbolSize)
{
    setAccessibleName(accessibleName);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    resize(sizeHint());
}

QSize SymbolButton::sizeHint() const
{
    return {m_symbolSize + 2 * padding, m_symbolSize + 2 * padding};
}

void SymbolButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor color = underMouse() ? PanelStyle::primary() : PanelStyle::secondary();
    Symbols::paint(painter, QRectF(rect()).adjusted(padding, padding, -padding, -padding), m_symbol, color);
}

} // namespace lettergate
