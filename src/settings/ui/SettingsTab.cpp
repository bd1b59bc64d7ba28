#include "settings/ui/SettingsTab.h"

#include <QShowEvent>

namespace lettergate {

void SettingsTab::showEvent(QShowEvent *event)
{
    // Before its first showing a tab displays nothing, which would read as edits.
    if (!event->spontaneous() && !(m_shownBefore && hasUnsavedEdits())) {
        reload();
        m_shownBefore = true;
    }
    QWidget::showEvent(event);
}

} // namespace lettergate
