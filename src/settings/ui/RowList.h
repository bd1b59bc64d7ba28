#pragma once

#include <QList>
#include <QStackedWidget>

class QVBoxLayout;

// The body of a list tab: a scrolling column of rows, or, while there are none, a
// centred notice (a tray symbol, a headline and a caption line) saying what belongs here.
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

    // Space between rows and around the column.
    void setRowSpacing(int spacing, int margin);

private:
    static constexpr int emptyPage = 0;
    static constexpr int listPage = 1;

    void showCurrentPage();
    void discard(QWidget *row);

    QVBoxLayout *m_column;
    QList<QWidget *> m_rows;
};
