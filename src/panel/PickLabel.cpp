#include "panel/PickLabel.h"

#include "switcher/SwitcherViewModel.h"

namespace lettergate {

QString pickLabel(qsizetype index)
{
    const QStringList &keys = SwitcherViewModel::pickKeys();
    if (index < 0 || index >= keys.size())
        return QStringLiteral("?");
    return keys.at(index).toUpper();
}

} // namespace lettergate
