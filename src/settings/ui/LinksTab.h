#pragma once

#include "settings/ui/DraftEditors.h"
#include "settings/ui/LinkEditor.h"
#include "settings/ui/SingleKeyTab.h"

namespace lettergate {

class LinkStore;
class SettingsStore;

// Quick links and the link key.
class LinksTab : public SingleKeyTab {
    Q_OBJECT
public:
    LinksTab(LinkStore &links, SettingsStore &settings, QWidget *parent = nullptr);

    // The "Add" button.
    void addLink();

    QList<LinkEditor *> editors() const { return m_draft.editors(); }

private:
    QString storedKey() const override;
    KeyValidation storeKey(const QString &key) override;
    void loadDraft() override;
    void storeDraft() override;
    bool draftDiffersFromStore() const override;

    LinkStore &m_links;
    SettingsStore &m_settings;
    DraftEditors<LinkEditor> m_draft;
};

} // namespace lettergate
