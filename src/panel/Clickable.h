#pragma once

#include <QObject>
#include <QRectF>
#include <functional>
#include <optional>

class QVariantAnimation;
class QWidget;

namespace lettergate {

// Makes a painted block clickable: while the pointer is over the block's rounded area
// an accent outline 2.5 wide fades in (0.12 s, ease-out) along the area's edge and the
// pointer becomes a pointing hand; a single click inside the area calls `action` once.
// A block that appears under the pointer (the panel rebuilds its blocks at every change)
// shows its outline at once, without the fade. The keyboard highlight shows the same
// outline, at once. Owned by the block it serves.
class Clickable : public QObject {
    Q_OBJECT
public:
    static constexpr qreal outlineWidth = 2.5;
    static constexpr int fadeMilliseconds = 120;

    Clickable(QWidget *block, qreal corner, std::function<void()> action);

    // The rounded rectangle that reacts, in the block's coordinates; the block's whole
    // rectangle unless set.
    void setArea(const QRectF &area);
    QRectF area() const;

    bool isHovering() const { return m_hovering; }
    // Outlined while the keyboard highlight is on the block, whatever the pointer does.
    void setHighlighted(bool highlighted);
    bool isHighlighted() const { return m_highlighted; }
    // The outline's current width: 0 at rest, outlineWidth while hovered.
    qreal currentOutlineWidth() const { return m_outline; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Outline;

    bool contains(const QPointF &position) const;
    void setHovering(bool hovering);
    qreal targetOutlineWidth() const { return m_hovering || m_highlighted ? outlineWidth : 0.0; }

    QWidget *m_block;
    Outline *m_outlineView;
    QVariantAnimation *m_fade;
    qreal m_corner;
    std::function<void()> m_action;
    std::optional<QRectF> m_area;
    bool m_hovering = false;
    bool m_highlighted = false;
    bool m_pressed = false;
    bool m_painted = false;
    qreal m_outline = 0;
};

} // namespace lettergate
