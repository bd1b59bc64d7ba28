#pragma once

#include "panel/EntryBox.h"
#include "panel/PasteCell.h"

namespace lettergate {

class MiniPasteCard;

// The clipboard or snippet column of the apps page: its first entries as cells, then
// a more-chip when the list is longer.
class PasteColumn : public EntryBox {
    Q_OBJECT
public:
    struct Data {
        QString title;
        QString icon;
        QString entryKey;
        bool active = false;
        bool accent = false;
        QString emptyHint;
        QList<PasteCell> items;
        int total = 0;
        std::function<void(int index)> onSelect;
        std::function<void()> onMore;
    };

    PasteColumn(const Data &data, QSize size, QWidget *parent = nullptr);

    QList<MiniPasteCard *> cells() const { return m_cells; }

private:
    PasteColumn(const Data &data, QList<MiniPasteCard *> cells, QSize size, QWidget *parent);

    QList<MiniPasteCard *> m_cells;
};

} // namespace lettergate
