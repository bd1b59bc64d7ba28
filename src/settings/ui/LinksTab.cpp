#include "settings/ui/LinksTab.h"

#include "settings/SettingsStore.h"
#include "settings/ui/ExampleUrls.h"
#include "settings/ui/ValidationMessages.h"
#include "stores/LinkStore.h"

#include <QPushButton>

namespace lettergate {

namespace {

QString helpText(const QString &example)
{
    return QStringLiteral("Supports web URLs (https://…) and other addresses an application handles (e.g. ")
           + ExampleUrls::appScheme
           + QStringLiteral("), opened with `xdg-open`, as your desktop opens them. From the panel, press ") + example
           + QStringLiteral(" + number to open directly, or double-tap for the full list. The key must be a letter, "
                            "distinct from the clipboard and snippet keys.");
}

} // namespace

LinksTab::LinksTab(LinkStore &links, SettingsStore &settings, QWidget *parent)
    : SingleKeyTab({QStringLiteral("Quick Links"), QStringLiteral("No quick links yet"),
                    QStringLiteral("Add a URL and Save. Open it by number from the panel.")},
                   {QStringLiteral("Links key"), QStringLiteral("linkKey"), QStringLiteral("Q"), helpText,
                    ValidationMessages::links},
                   parent)
    , m_links(links)
    , m_settings(settings)
    , m_draft(rowList(), [this](const QuickLink &link) { return new LinkEditor(link, m_links); })
{
    connect(addHeaderButton(QStringLiteral("Add"), u"plus"), &QPushButton::clicked, this, &LinksTab::addLink);
}

void LinksTab::addLink()
{
    QuickLink link;
    link.name = QStringLiteral("New link");
    m_draft.appendNew(link);
}

QString LinksTab::storedKey() const
{
    return m_settings.linkKey();
}

KeyValidation LinksTab::storeKey(const QString &key)
{
    return m_settings.setLinkKey(key);
}

void LinksTab::loadDraft()
{
    m_draft.load(m_links.links());
}

bool LinksTab::draftDiffersFromStore() const
{
    return m_draft.records() != m_links.links();
}

void LinksTab::storeDraft()
{
    m_links.replaceAll(m_draft.records());
}

} // namespace lettergate
