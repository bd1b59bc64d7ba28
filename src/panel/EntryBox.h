#pragma once

#include <QList>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

namespace lettergate {

class MoreChip;

// The frame shared by the apps page's paste columns and link and command bars: a
// header (symbol, title, list key, hint), then either the empty hint or one row of
// entry blocks followed by a more-chip when the list holds more than the row shows.
// The blocks share the row's width, each up to its maximum width; the row never
// scrolls or wraps.
class EntryBox : public QWidget {
    Q_OBJECT
public:
    enum class Border {
        plain,  // primary at 10 %, 1 wide
        accent, // accent at 40 %, 1 wide
        active, // accent, 2 wide
    };

    // The hint at the header's right edge.
    struct Hint {
        QString text;
        bool accent = false;
        friend bool operator==(const Hint &, const Hint &) = default;
    };
    // With entries left out: "All" while the list key is armed, else the total followed
    // by " total". With every entry shown: "Press a number" while armed, else nothing.
    static std::optional<Hint> headerHint(qsizetype shown, int total, bool active);

    QString entryKey() const { return m_frame.entryKey; }
    bool isActive() const { return m_frame.active; }
    Border border() const { return m_frame.border; }
    std::optional<Hint> hint() const { return headerHint(m_blocks.size(), m_frame.total, m_frame.active); }
    // Whether the empty hint stands in place of the row.
    bool isEmpty() const { return m_blocks.isEmpty(); }
    // The more-chip, when the list holds more than the row shows.
    MoreChip *moreChip() const { return m_moreChip; }

protected:
    struct Frame {
        QString title;
        QString icon;
        QString entryKey;
        bool active = false;
        Border border = Border::plain;
        QString emptyHint;
        int total = 0;
        std::function<void()> onMore;
    };
    struct Row {
        QList<QWidget *> blocks;
        qreal blockMaximumWidth = 0;
        qreal blockHeight = 0;
        qreal moreChipHeight = 0;
    };

    // One block per cell, in order; a click on a block reports its cell's index.
    template <typename Block, typename Cell>
    static QList<Block *> makeBlocks(const QList<Cell> &cells, const std::function<void(int index)> &onSelect)
    {
        QList<Block *> blocks;
        for (const Cell &cell : cells) {
            blocks.append(new Block(cell, [onSelect, index = cell.index] {
                if (onSelect)
                    onSelect(index);
            }));
        }
        return blocks;
    }
    template <typename Block>
    static QList<QWidget *> widgets(const QList<Block *> &blocks)
    {
        return {blocks.cbegin(), blocks.cend()};
    }

    // Takes the row's blocks as children and lays them out for `size`, which is final:
    // the page builds a new box when its size changes.
    EntryBox(Frame frame, Row row, QSize size, QWidget *parent);

    void paintEvent(QPaintEvent *event) override;

private:
    qreal headerHeight() const;
    void paintFrame(QPainter &painter);
    void paintHeader(QPainter &painter, const QRectF &header);
    void layoutRow();

    Frame m_frame;
    QList<QWidget *> m_blocks;
    Row m_row;
    MoreChip *m_moreChip = nullptr;
};

} // namespace lettergate
