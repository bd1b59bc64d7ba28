#include "panel/PasteColumn.h"

#include "panel/MiniPasteCard.h"
#include "panel/MoreChip.h"

namespace lettergate {

namespace {
EntryBox::Border borderFor(const PasteColumn::Data &data)
{
    if (data.active)
        return EntryBox::Border::active;
    return data.accent ? EntryBox::Border::accent : EntryBox::Border::plain;
}
} // namespace

PasteColumn::PasteColumn(const Data &data, QSize size, QWidget *parent)
    : PasteColumn(data, makeBlocks<MiniPasteCard>(data.items, data.onSelect), size, parent)
{
}

PasteColumn::PasteColumn(const Data &data, QList<MiniPasteCard *> cells, QSize size, QWidget *parent)
    : EntryBox({data.title, data.icon, data.entryKey, data.active, borderFor(data), data.emptyHint, data.total,
                data.onMore},
               {widgets(cells), MiniPasteCard::maximumCellWidth, MiniPasteCard::cellHeight, MoreChip::columnHeight},
               size, parent)
    , m_cells(std::move(cells))
{
}

} // namespace lettergate
