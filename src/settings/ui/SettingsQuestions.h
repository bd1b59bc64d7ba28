#pragma once

class QWidget;

namespace lettergate {

// The questions the settings window asks before it acts, each a modal message box over
// `parent`. The window takes them as replaceable steps, so the tests answer without one.
namespace SettingsQuestions {

enum class UnsavedEdits { Save, Discard, Cancel };

// Closing a tab that holds edits not stored yet: store them, drop them, or stay.
UnsavedEdits askAboutUnsavedEdits(QWidget *parent);
// Whether to empty the clipboard history, which cannot be undone.
bool confirmClearingHistory(QWidget *parent);

} // namespace SettingsQuestions

} // namespace lettergate
