#include "settings/ui/SettingsQuestions.h"

#include <QMessageBox>
#include <QPushButton>

namespace lettergate {

SettingsQuestions::UnsavedEdits SettingsQuestions::askAboutUnsavedEdits(QWidget *parent)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Unsaved Changes"),
                    QStringLiteral("Save your changes before closing Settings?"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setInformativeText(QStringLiteral("If you discard them, the tab shows what was last saved."));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return UnsavedEdits::Save;
    case QMessageBox::Discard:
        return UnsavedEdits::Discard;
    default:
        return UnsavedEdits::Cancel;
    }
}

bool SettingsQuestions::confirmClearingHistory(QWidget *parent)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Clear Clipboard History"),
                    QStringLiteral("Remove every clip from the clipboard history?"), QMessageBox::Cancel, parent);
    box.setInformativeText(QStringLiteral("This cannot be undone. Snippets are kept."));
    QPushButton *clear = box.addButton(QStringLiteral("Clear History"), QMessageBox::DestructiveRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == clear;
}

} // namespace lettergate
