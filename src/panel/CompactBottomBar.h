#pragma once

#include "panel/CompactChipData.h"
#include "panel/EntryBox.h"

namespace lettergate {

class CompactChip;

// The link or command bar of the apps page: its first entries as chips, then a
// more-chip when the list is longer.
class CompactBottomBar : public EntryBox {
    Q_OBJECT
public:
    struct Data {
        QString title;
        QString icon;
        QString entryKey;
        bool active = false;
        QString emptyHint;
        int total = 0;
        QList<CompactChipData> items;
        std::function<void(int index)> onSelect;
        std::function<void()> onMore;
    };

    CompactBottomBar(const Data &data, QSize size, QWidget *parent = nullptr);

    QList<CompactChip *> chips() const { return m_chips; }

private:
    CompactBottomBar(const Data &data, QList<CompactChip *> chips, QSize size, QWidget *parent);

    QList<CompactChip *> m_chips;
};

} // namespace lettergate
