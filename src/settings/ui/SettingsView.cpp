#include "settings/ui/SettingsView.h"

#include "platform/Platform.h"
#include "settings/ui/AppShortcutsTab.h"
#include "settings/ui/CommandsTab.h"
#include "settings/ui/GeneralSettingsTab.h"
#include "settings/ui/LinksTab.h"
#include "settings/ui/SavedBadge.h"
#include "settings/ui/SettingsServices.h"
#include "settings/ui/SettingsSymbols.h"
#include "settings/ui/SettingsTab.h"
#include "settings/ui/SnippetsTab.h"

#include <QCloseEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace lettergate {

SettingsView::SettingsView(const SettingsServices &services, QWidget *parent)
    : QWidget(parent)
    , m_tabs(new QTabWidget(this))
    , m_general(new GeneralSettingsTab(services.settings, services.platform, services.trigger))
    , m_appShortcuts(new AppShortcutsTab(services.settings, services.platform.apps()))
    , m_snippets(new SnippetsTab(services.snippets, services.settings, services.clipboardHistory))
    , m_links(new LinksTab(services.links, services.settings))
    , m_commands(new CommandsTab(services.commands, services.settings))
    , m_badge(new SavedBadge(services.saveIndicator, this))
{
    m_tabs->setDocumentMode(true);
    m_tabs->addTab(m_general, SettingsSymbols::icon(u"gearshape"), QStringLiteral("General"));
    m_tabs->addTab(m_appShortcuts, SettingsSymbols::icon(u"keyboard"), QStringLiteral("App Shortcuts"));
    m_tabs->addTab(m_snippets, SettingsSymbols::icon(u"doc.on.clipboard"), QStringLiteral("Snippets"));
    m_tabs->addTab(m_links, SettingsSymbols::icon(u"link"), QStringLiteral("Links"));
    m_tabs->addTab(m_commands, SettingsSymbols::icon(u"terminal"), QStringLiteral("Commands"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 6, 0, 0);
    layout->addWidget(m_tabs);
    m_badge->raise();
    connect(m_tabs, &QTabWidget::currentChanged, this, &SettingsView::leaveTabFor);
}

SettingsView::Tab SettingsView::currentTab() const
{
    return Tab(m_tabs->currentIndex());
}

void SettingsView::showTab(Tab tab)
{
    m_tabs->setCurrentIndex(int(tab));
}

SettingsTab &SettingsView::tabAt(int index) const
{
    return static_cast<SettingsTab &>(*m_tabs->widget(index));
}

bool SettingsView::settleUnsavedEdits(SettingsTab &tab)
{
    if (!tab.hasUnsavedEdits())
        return true;
    switch (m_askAboutUnsavedEdits(this)) {
    case SettingsQuestions::UnsavedEdits::Save:
        tab.save();
        return !tab.hasUnsavedEdits();
    case SettingsQuestions::UnsavedEdits::Discard:
        tab.reload();
        return true;
    case SettingsQuestions::UnsavedEdits::Cancel:
        return false;
    }
    Q_UNREACHABLE();
}

void SettingsView::leaveTabFor(int index)
{
    // The tab bar has moved already; the tab left behind still holds its edits, and
    // reloads only when it is shown without any (so going back keeps them).
    if (m_returning)
        return;
    if (!settleUnsavedEdits(tabAt(m_shownIndex))) {
        m_returning = true;
        m_tabs->setCurrentIndex(m_shownIndex);
        m_returning = false;
        return;
    }
    m_shownIndex = index;
}

void SettingsView::closeEvent(QCloseEvent *event)
{
    // Only the tab in view can hold edits: leaving a tab settles its edits first.
    if (!settleUnsavedEdits(static_cast<SettingsTab &>(*m_tabs->currentWidget())))
        return event->ignore();
    QWidget::closeEvent(event);
}

} // namespace lettergate
