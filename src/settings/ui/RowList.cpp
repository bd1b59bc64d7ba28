#include "settings/ui/RowList.h"

#include "settings/ui/SettingsStyle.h"
#include "settings/ui/SettingsSymbols.h"

#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>
#include <utility>

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
{
    addWidget(emptyNotice(emptyTitle, emptyCaption));

    auto *scroll = new QScrollArea;
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
    showCurrentPage();
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
