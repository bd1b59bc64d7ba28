#pragma once

#include "stores/Command.h"
#include "stores/QuickLink.h"

#include <QString>
#include <QUuid>

// One entry of a link or command bar on the apps page: a name line and a detail line.
struct CompactChipData {
    QUuid id;
    int index = 0;
    QString badge;
    QString name;
    QString detail;

    // Named after the link, or its URL when it has no name; the URL below.
    static CompactChipData forLink(int index, const QuickLink &link);
    // Named after the command, or its command line when it has no name; the line below.
    static CompactChipData forCommand(int index, const Command &command);
};
