#include "panel/PickLabel.h"

#include "switcher/SwitcherViewModel.h"

QString pickLabel(qsizetype index)
{
    const QStringList &keys = SwitcherViewModel::pickKeys();
    if (index < 0 || index >= keys.size())
        return QStringLiteral("?");
    return keys.at(index).toUpper();
}
