#include "panel/PanelHeader.h"

#include "panel/PaintCache.h"
#include "panel/PanelStyle.h"
#include "panel/SymbolButton.h"
#include "panel/Symbols.h"
#include "panel/TextBlock.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>
#include <numbers>

namespace lettergate {

namespace {
constexpr int paddingX = 18;
constexpr int paddingY = 12;
constexpr qreal spacing = 8;
constexpr int symbolSize = 18;
constexpr int backSymbolSize = 16;
constexpr qreal shakeAmplitude = 7;
constexpr int shakeSwings = 3;
} // namespace

PanelHeader::PanelHeader(std::function<void()> onBack, QWidget *parent)
    : QWidget(parent)
    , m_back(new SymbolButton(QStringLiteral("chevron.backward"), backSymbolSize, tr("Back"), this))
    , m_shake(new QVariantAnimation(this))
{
    m_shake->setStartValue(0.0);
    m_shake->setEndValue(1.0);
    m_shake->setDuration(shakeMilliseconds);
    connect(m_shake, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        const qreal t = value.toReal();
        m_shakeOffset = shakeAmplitude * (1 - t) * std::sin(2 * std::numbers::pi * shakeSwings * t);
        placeBackButton();
        update();
    });
    connect(m_shake, &QVariantAnimation::finished, this, [this] {
        m_shakeOffset = 0;
        placeBackButton();
        update();
    });
    connect(m_back, &QAbstractButton::clicked, this, [onBack = std::move(onBack)] {
        if (onBack)
            onBack();
    });
    m_back->hide();
}

int PanelHeader::lineHeight()
{
    return qCeil(QFontMetricsF(PanelStyle::title3()).height()) + 2 * paddingY;
}

void PanelHeader::setContent(const HeaderContent &content)
{
    m_content = content;
    m_back->setVisible(content.backButton);
    update();
}

void PanelHeader::shake()
{
    m_shake->stop();
    m_shake->start();
}

bool PanelHeader::isShaking() const
{
    return m_shake->state() == QAbstractAnimation::Running;
}

void PanelHeader::placeBackButton()
{
    m_back->move(paddingX + qRound(m_shakeOffset), (height() - m_back->height()) / 2);
}

void PanelHeader::resizeEvent(QResizeEvent *)
{
    placeBackButton();
}

void PanelHeader::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.translate(m_shakeOffset, 0);
    const PaintCache::Key key(u"header", m_content.backButton, m_content.symbol, m_content.title, m_content.hint,
                              m_content.count, m_back->width());
    PaintCache::draw(painter, rect(), key, [this](QPainter &onPicture) { paintLine(onPicture); });
}

void PanelHeader::paintLine(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF line = QRectF(rect()).adjusted(paddingX, paddingY, -paddingX, -paddingY);

    qreal x = line.left();
    if (m_content.backButton) {
        x += m_back->width();
    } else if (!m_content.symbol.isEmpty()) {
        Symbols::paint(painter, QRectF(x, line.center().y() - symbolSize / 2.0, symbolSize, symbolSize),
                       m_content.symbol, PanelStyle::secondary());
        x += symbolSize;
    }
    x += spacing;

    // The count stays whole at the right edge; the title comes next; the hint takes
    // what is left and is cut first.
    qreal right = line.right();
    if (m_content.count) {
        const QFont font = PanelStyle::caption();
        const qreal width = QFontMetricsF(font).horizontalAdvance(*m_content.count) + 1;
        TextBlock::paintLine(painter, QRectF(right - width, line.top(), width, line.height()), *m_content.count, font,
                             PanelStyle::tertiary());
        right -= width + spacing;
    }
    const QFont titleFont = PanelStyle::title3();
    const qreal titleWidth = qMin(qMax<qreal>(0, right - x),
                                  QFontMetricsF(titleFont).horizontalAdvance(m_content.title) + 1);
    TextBlock::paintLine(painter, QRectF(x, line.top(), titleWidth, line.height()), m_content.title, titleFont,
                         PanelStyle::primary());
    x += titleWidth + spacing;
    TextBlock::paintLine(painter, QRectF(x, line.top(), qMax<qreal>(0, right - x), line.height()), m_content.hint,
                         PanelStyle::caption(), PanelStyle::secondary());
}

} // namespace lettergate
