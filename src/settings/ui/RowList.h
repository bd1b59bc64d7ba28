#pragma once

#include <QList>
#include <QStackedWidget>

class QScrollArea;
class QVBoxLayout;
class QWheelEvent;

namespace lettergate {

// The body of a list tab: a scrolling column of rows, or, while there are none, a
// centred notice (a tray symbol, a headline and a caption line) saying what belongs here.
// The wheel scrolls the column anywhere over it: a row's menus and text boxes do not
// keep it, except a text box with more of its own text to scroll that way.
class RowList : public QStackedWidget {
    Q_OBJECT
public:
    RowList(const QString &emptyTitle, const QString &emptyCaption, QWidget *parent = nullptr);

    // The rows, top to bottom.
    const QList<QWidget *> &rows() const { return m_rows; }
    bool showsEmptyNotice() const { return currentIndex() == emptyPage; }

    void append(QWidget *row);
    // Takes the row out; it is deleted once control returns to the event loop.
    void remove(QWidget *row);
    void clear();
    // Scrolls the column so the row shows whole, once the column has made room for it.
    void reveal(QWidget *row);

    // Space between rows and around the column.
    void setRowSpacing(int spacing, int margin);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static constexpr int emptyPage = 0;
    static constexpr int listPage = 1;

    void showCurrentPage();
    void discard(QWidget *row);

    // Whether the widget scrolls a view of its own in the wheel's direction.
    static bool scrollsItself(const QWidget &widget, const QWheelEvent &wheel);

    QScrollArea *m_scroll;
    QVBoxLayout *m_column;
    QList<QWidget *> m_rows;
};

} // namespace lettergate
