#pragma once

#include <QWidget>
#include <functional>
class QPainter;

namespace lettergate {

class Clickable;

// The chip after a column's or bar's first entries: "+" and the number of entries not
// shown, above the list key twice (typing the list key twice opens the full list).
// 72 wide; 96 high in a paste column, as high as the chips in a bar.
class MoreChip : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal chipWidth = 72;
    static constexpr qreal columnHeight = 96;

    MoreChip(int count, QString key, std::function<void()> action, QWidget *parent = nullptr);

    int count() const { return m_count; }
    QString key() const { return m_key; }
    // "+" followed by the count.
    QString countText() const;
    const Clickable &clickable() const { return *m_clickable; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Everything the widget shows; drawn once per content and size (PaintCache).
    void paintChip(QPainter &painter);
    int m_count;
    QString m_key;
    Clickable *m_clickable;
};

} // namespace lettergate
