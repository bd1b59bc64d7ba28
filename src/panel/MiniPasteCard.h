#pragma once

#include "panel/PasteCell.h"
#include "panel/ScaledImage.h"
#include "panel/TextBlock.h"

#include <QWidget>
#include <functional>
class QPainter;

namespace lettergate {

class Clickable;

// A cell of a paste column: the key label and a kind symbol above a picture or up to
// three lines of preview. Exactly 96 high and at most 180 wide; narrower when its
// column lacks the room.
class MiniPasteCard : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal maximumCellWidth = 180;
    static constexpr qreal cellHeight = 96;

    MiniPasteCard(PasteCell cell, std::function<void()> action, QWidget *parent = nullptr);

    const PasteCell &cell() const { return m_cell; }
    // The preview text shown when there is no picture: the text, or "(empty)".
    QString shownText() const;
    const Clickable &clickable() const { return *m_clickable; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Everything the widget shows; drawn once per content and size (PaintCache).
    void paintCell(QPainter &painter);
    PasteCell m_cell;
    ScaledImage m_picture;
    TextBlock m_text;
    Clickable *m_clickable;
};

} // namespace lettergate
