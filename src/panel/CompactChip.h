#pragma once

#include "panel/CompactChipData.h"

#include <QWidget>
#include <functional>
class QPainter;

namespace lettergate {

class Clickable;

// A chip of a link or command bar: the key label, the terminal symbol, the name and,
// below it, the detail, each on one line. At most 220 wide and at least 44 high.
class CompactChip : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal maximumChipWidth = 220;
    static constexpr qreal minimumChipHeight = 44;

    CompactChip(CompactChipData cell, std::function<void()> action, QWidget *parent = nullptr);

    const CompactChipData &cell() const { return m_cell; }
    const Clickable &clickable() const { return *m_clickable; }
    // The height its two lines need, never below minimumChipHeight.
    static qreal naturalHeight();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Everything the widget shows; drawn once per content and size (PaintCache).
    void paintChip(QPainter &painter);
    CompactChipData m_cell;
    Clickable *m_clickable;
};

} // namespace lettergate
