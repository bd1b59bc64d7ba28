#include "settings/ui/SingleKeyTab.h"

#include "settings/ui/KeyExampleHelp.h"
#include "settings/ui/KeyField.h"
#include "settings/ui/ValidationMessages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace lettergate {

SingleKeyTab::SingleKeyTab(const Texts &texts, const KeyTexts &keyTexts, QWidget *parent)
    : ContentTab(texts, parent)
    , m_messages(keyTexts.messages)
    , m_key(new KeyField(keyTexts.caption, keyTexts.fieldName, this))
{
    auto *row = new QHBoxLayout;
    row->setSpacing(24);
    row->addWidget(m_key, 0, Qt::AlignTop);
    row->addWidget(keyExampleHelp(m_key->edit(), keyTexts.defaultExample, keyTexts.help, this), 1, Qt::AlignTop);
    keyArea()->addLayout(row);
}

void SingleKeyTab::reload()
{
    loadDraft();
    m_key->setText(storedKey().toUpper());
    setErrorText(std::nullopt);
}

bool SingleKeyTab::hasUnsavedEdits() const
{
    return typedKey(m_key->text()) != storedKey() || draftDiffersFromStore();
}

void SingleKeyTab::save()
{
    const QString key = typedKey(m_key->text());
    if (key.isEmpty()) {
        setErrorText(m_messages.notALetter);
        return;
    }
    if (const std::optional<QString> rejected = m_messages.messageFor(storeKey(key))) {
        setErrorText(rejected);
        return;
    }
    storeDraft();
    reload();
}

} // namespace lettergate
