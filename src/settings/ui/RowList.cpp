#include "settings/ui/RowList.h"

#include "settings/ui/SettingsStyle.h"
#include "settings/ui/SettingsSymbols.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <utility>

namespace lettergate {

namespace {

QWidget *emptyNotice(const QString &title, const QString &captionText)
{
    auto *notice = new QWidget;
    auto *layout = new QVBoxLayout(notice);
    layout->setSpacing(6);
    layout->addStretch();

    auto *symbol = new QLabel;
    const int side = 34;
    symbol->setPixmap(SettingsSymbols::tinted(u"tray", side, SettingsStyle::secondaryColor(symbol->palette()),
                                              symbol->devicePixelRatioF()));
    symbol->setAlignment(Qt::AlignCenter);
    layout->addWidget(symbol);

    QLabel *headline = SettingsStyle::headline(title);
    headline->setAlignment(Qt::AlignCenter);
    layout->addWidget(headline);

    QLabel *caption = SettingsStyle::caption(captionText);
    caption->setAlignment(Qt::AlignCenter);
    layout->addWidget(caption);

    layout->addStretch();
    return notice;
}

} // namespace

RowList::RowList(const QString &emptyTitle, const QString &emptyCaption, QWidget *parent)
    : QStackedWidget(parent)
    , m_scroll(new QScrollArea)
{
    addWidget(emptyNotice(emptyTitle, emptyCaption));

    QScrollArea *scroll = m_scroll;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *content = new QWidget;
    content->setAutoFillBackground(false);
    m_column = new QVBoxLayout(content);
    m_column->addStretch();
    scroll->setWidget(content);
    scroll->viewport()->setAutoFillBackground(false);
    addWidget(scroll);

    showCurrentPage();
}

void RowList::append(QWidget *row)
{
    // Before the stretch that keeps the rows at the top.
    m_column->insertWidget(m_column->count() - 1, row);
    m_rows.append(row);
    row->installEventFilter(this);
    for (QWidget *child : row->findChildren<QWidget *>()) {
        child->installEventFilter(this);
        // A wheel passing over a menu on its way down the list takes no focus.
        if (child->focusPolicy() == Qt::WheelFocus)
            child->setFocusPolicy(Qt::StrongFocus);
    }
    showCurrentPage();
}

void RowList::reveal(QWidget *row)
{
    // The column grows, and the scroll area's range with it, as the posted layout
    // requests are handled; revealing comes after them.
    QTimer::singleShot(0, this, [this, row = QPointer<QWidget>(row)] {
        if (row)
            m_scroll->ensureWidgetVisible(row, 0, 0);
    });
}

bool RowList::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Wheel)
        return false;
    if (scrollsItself(static_cast<QWidget &>(*watched), static_cast<QWheelEvent &>(*event)))
        return false;
    QCoreApplication::sendEvent(m_scroll->verticalScrollBar(), event);
    return true;
}

bool RowList::scrollsItself(const QWidget &widget, const QWheelEvent &wheel)
{
    const QScrollBar *bar = qobject_cast<const QScrollBar *>(&widget);
    if (const auto *area = qobject_cast<const QAbstractScrollArea *>(widget.parentWidget());
        area && area->viewport() == &widget)
        bar = area->verticalScrollBar();
    const int delta = wheel.angleDelta().y();
    return bar && bar->orientation() == Qt::Vertical
           && (delta > 0 ? bar->value() > bar->minimum() : delta < 0 && bar->value() < bar->maximum());
}

void RowList::remove(QWidget *row)
{
    if (!m_rows.removeOne(row))
        return;
    discard(row);
    showCurrentPage();
}

void RowList::clear()
{
    for (QWidget *row : std::exchange(m_rows, {}))
        discard(row);
    showCurrentPage();
}

void RowList::discard(QWidget *row)
{
    m_column->removeWidget(row);
    row->hide();
    // Later: the request to remove a row usually comes from a button inside it.
    row->deleteLater();
}

void RowList::setRowSpacing(int spacing, int margin)
{
    m_column->setSpacing(spacing);
    m_column->setContentsMargins(margin, margin, margin, margin);
}

void RowList::showCurrentPage()
{
    setCurrentIndex(m_rows.isEmpty() ? emptyPage : listPage);
}

} // namespace lettergate
