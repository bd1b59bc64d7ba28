#include "settings/ui/SettingsTab.h"

#include <QShowEvent>

void SettingsTab::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        reload();
    QWidget::showEvent(event);
}
