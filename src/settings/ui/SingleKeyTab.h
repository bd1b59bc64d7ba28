#pragma once

#include "settings/KeyValidation.h"
#include "settings/ui/ContentTab.h"

#include <functional>

namespace lettergate {

class KeyField;
struct ValidationMessages;

// A list with one list key of its own: the Links and Commands tabs. Save stores the key
// first and, only when it is accepted, the list; then the tab reloads, so it shows what
// was stored (records the store dropped vanish, the key shows in upper case).
class SingleKeyTab : public ContentTab {
    Q_OBJECT
public:
    void reload() override;
    bool hasUnsavedEdits() const override;
    void save() override;

    KeyField &keyField() const { return *m_key; }

protected:
    struct KeyTexts {
        QString caption;
        QString fieldName;
        // What the help text names while the key field is empty.
        QString defaultExample;
        std::function<QString(const QString &example)> help;
        const ValidationMessages &messages;
    };

    SingleKeyTab(const Texts &texts, const KeyTexts &keyTexts, QWidget *parent);

    virtual QString storedKey() const = 0;
    virtual KeyValidation storeKey(const QString &key) = 0;
    // The working copy from the store, and back.
    virtual void loadDraft() = 0;
    virtual void storeDraft() = 0;
    virtual bool draftDiffersFromStore() const = 0;

private:
    const ValidationMessages &m_messages;
    KeyField *m_key;
};

} // namespace lettergate
