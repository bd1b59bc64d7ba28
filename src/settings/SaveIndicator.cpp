#include "settings/SaveIndicator.h"

SaveIndicator &SaveIndicator::shared()
{
    static SaveIndicator instance;
    return instance;
}

void SaveIndicator::increment()
{
    ++m_tick;
    emit tickChanged(m_tick);
}
