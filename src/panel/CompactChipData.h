#pragma once

#include "stores/Command.h"
#include "stores/QuickLink.h"

#include <QString>
#include <QUuid>

namespace lettergate {

// One entry of a link or command bar on the apps page: a name line and a detail line,
// after the symbol of what the entry is.
struct CompactChipData {
    QUuid id;
    int index = 0;
    QString badge;
    QString name;
    QString detail;
    QString symbol = QStringLiteral("terminal");

    // Named after the link, or its URL when it has no name; the URL below; a globe.
    static CompactChipData forLink(int index, const QuickLink &link);
    // Named after the command, or its command line when it has no name; the line below;
    // a terminal.
    static CompactChipData forCommand(int index, const Command &command);
};

} // namespace lettergate
