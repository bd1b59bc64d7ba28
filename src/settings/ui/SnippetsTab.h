#pragma once

#include "settings/ui/ContentTab.h"
#include "settings/ui/DraftEditors.h"
#include "settings/ui/SnippetEditor.h"

#include <QUrl>
#include <functional>
class QSpinBox;

namespace lettergate {

class ClipboardHistory;
class KeyField;
class SettingsStore;
class SnippetStore;

// Snippets, the clipboard and snippet keys, and the clipboard history's limit. Save
// stores the keys first; only when they are accepted does it apply the limit and store
// the snippets. The tab keeps its fields as typed after a Save. "Clear Clipboard
// History" acts at once, apart from Save.
class SnippetsTab : public ContentTab {
    Q_OBJECT
public:
    // Asks the user for one picture file; nothing when cancelled.
    using ImageChooser = std::function<std::optional<QUrl>(QWidget *parent)>;

    SnippetsTab(SnippetStore &snippets, SettingsStore &settings, ClipboardHistory &history, QWidget *parent = nullptr);

    // Replaces the file dialog (the tests choose without one).
    void setImageChooser(ImageChooser chooser) { m_chooseImage = std::move(chooser); }
    // Replaces the question before the history is emptied (the tests answer without one).
    using Confirmation = std::function<bool(QWidget *parent)>;
    void setClearHistoryConfirmation(Confirmation confirm) { m_confirmClearingHistory = std::move(confirm); }

    void reload() override;
    bool hasUnsavedEdits() const override;
    void save() override;

    // The "Text" and "Image" buttons.
    void addTextSnippet();
    void importImage();
    // "Clear Clipboard History", once the user confirms.
    void clearHistory();

    QList<SnippetEditor *> editors() const { return m_draft.editors(); }
    KeyField &clipboardKeyField() const { return *m_clipKey; }
    KeyField &snippetKeyField() const { return *m_snipKey; }
    QSpinBox &limitStepper() const { return *m_limit; }

private:
    SnippetEditor *makeEditor(const Snippet &snippet);

    SnippetStore &m_snippets;
    SettingsStore &m_settings;
    ClipboardHistory &m_history;
    ImageChooser m_chooseImage;
    Confirmation m_confirmClearingHistory;
    KeyField *m_clipKey;
    KeyField *m_snipKey;
    QSpinBox *m_limit;
    DraftEditors<SnippetEditor> m_draft;
};

} // namespace lettergate
