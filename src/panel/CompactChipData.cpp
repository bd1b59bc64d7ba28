#include "panel/CompactChipData.h"

#include "panel/PickLabel.h"

namespace lettergate {

namespace {
CompactChipData chip(const QUuid &id, int index, const QString &name, const QString &detail, const QString &symbol)
{
    return {id, index, pickLabel(index), name.isEmpty() ? detail : name, detail, symbol};
}
} // namespace

CompactChipData CompactChipData::forLink(int index, const QuickLink &link)
{
    return chip(link.id, index, link.name, link.url, QStringLiteral("globe"));
}

CompactChipData CompactChipData::forCommand(int index, const Command &command)
{
    return chip(command.id, index, command.name, command.command, QStringLiteral("terminal"));
}

} // namespace lettergate
