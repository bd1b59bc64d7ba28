#include "panel/Clickable.h"

#include "panel/PanelStyle.h"
#include "panel/RoundedPlate.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>
#include <QWidget>

namespace lettergate {

// Paints the outline above the block's own painting; never takes the pointer.
class Clickable::Outline : public QWidget {
public:
    Outline(QWidget *block, const Clickable &owner)
        : QWidget(block)
        , m_owner(owner)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const qreal width = m_owner.currentOutlineWidth();
        if (width <= 0)
            return;
        QPainter painter(this);
        RoundedPlate::paintBorder(painter, rect(), m_owner.m_corner, PanelStyle::accent(), width);
    }

private:
    const Clickable &m_owner;
};

Clickable::Clickable(QWidget *block, qreal corner, std::function<void()> action)
    : QObject(block)
    , m_block(block)
    , m_outlineView(new Outline(block, *this))
    , m_fade(new QVariantAnimation(this))
    , m_corner(corner)
    , m_action(std::move(action))
{
    m_block->setMouseTracking(true);
    m_block->installEventFilter(this);
    m_outlineView->setGeometry(block->rect());
    m_fade->setDuration(fadeMilliseconds);
    m_fade->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_outline = value.toReal();
        m_outlineView->update();
    });
}

void Clickable::setArea(const QRectF &area)
{
    m_area = area;
    m_outlineView->setGeometry(area.toAlignedRect());
}

QRectF Clickable::area() const
{
    return m_area.value_or(QRectF(m_block->rect()));
}

bool Clickable::contains(const QPointF &position) const
{
    QPainterPath shape;
    shape.addRoundedRect(area(), m_corner, m_corner);
    return shape.contains(position);
}

void Clickable::setHovering(bool hovering)
{
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    if (hovering)
        m_block->setCursor(Qt::PointingHandCursor);
    else
        m_block->unsetCursor();
    m_fade->stop();
    if (!m_painted) {
        m_outline = targetOutlineWidth();
        m_outlineView->update();
        return;
    }
    m_fade->setStartValue(m_outline);
    m_fade->setEndValue(targetOutlineWidth());
    m_fade->start();
}

void Clickable::setHighlighted(bool highlighted)
{
    if (highlighted == m_highlighted)
        return;
    m_highlighted = highlighted;
    // Only the outline's own widget repaints; the block's painting stays as it is.
    m_fade->stop();
    m_outline = targetOutlineWidth();
    m_outlineView->update();
}

bool Clickable::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_block)
        return false;
    switch (event->type()) {
    case QEvent::Paint:
        m_painted = true;
        return false;
    case QEvent::Resize:
        if (!m_area)
            m_outlineView->setGeometry(m_block->rect());
        return false;
    case QEvent::Enter:
        setHovering(contains(static_cast<QEnterEvent *>(event)->position()));
        return false;
    case QEvent::Leave:
        setHovering(false);
        m_pressed = false;
        return false;
    case QEvent::MouseMove:
        setHovering(contains(static_cast<QMouseEvent *>(event)->position()));
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || !contains(mouse->position()))
            return false;
        m_pressed = true;
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || !m_pressed)
            return false;
        m_pressed = false;
        if (contains(mouse->position()) && m_action)
            m_action();
        return true;
    }
    default:
        return false;
    }
}

} // namespace lettergate
