#include "panel/CompactBottomBar.h"

#include "panel/CompactChip.h"

namespace lettergate {

CompactBottomBar::CompactBottomBar(const Data &data, QSize size, QWidget *parent)
    : CompactBottomBar(data, makeBlocks<CompactChip>(data.items, data.onSelect), size, parent)
{
}

// The more-chip is as high as the chips: at the 96 of a paste column it would stand
// out of the 100-high bar and be cut off at its edge.
CompactBottomBar::CompactBottomBar(const Data &data, QList<CompactChip *> chips, QSize size, QWidget *parent)
    : EntryBox({data.title, data.icon, data.entryKey, data.active, data.active ? Border::active : Border::plain,
                data.emptyHint, data.total, data.onMore},
               {widgets(chips), CompactChip::maximumChipWidth, CompactChip::naturalHeight(),
                CompactChip::naturalHeight()},
               size, parent)
    , m_chips(std::move(chips))
{
}

} // namespace lettergate
