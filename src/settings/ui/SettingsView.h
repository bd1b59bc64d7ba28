#pragma once

#include "settings/ui/SettingsQuestions.h"

#include <QSize>
#include <QWidget>
#include <functional>
class QTabWidget;

namespace lettergate {

class AppShortcutsTab;
class CommandsTab;
class GeneralSettingsTab;
class LinksTab;
class SavedBadge;
class SettingsTab;
class SnippetsTab;
struct SettingsServices;

// The content of the settings window: the five tabs, starting on General and keeping
// their selection, with the "Saved" badge laid over the bottom centre. Closing it, or
// leaving a tab, while the tab in view holds unsaved edits asks whether to save them,
// discard them or stay; a Save the tab rejects keeps that tab in view on the reason.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    // In tab-bar order.
    enum class Tab { General, AppShortcuts, Snippets, Links, Commands };

    // The size the window first opens at.
    static constexpr QSize contentSize{580, 480};

    explicit SettingsView(const SettingsServices &services, QWidget *parent = nullptr);

    Tab currentTab() const;
    void showTab(Tab tab);

    GeneralSettingsTab &generalTab() const { return *m_general; }
    AppShortcutsTab &appShortcutsTab() const { return *m_appShortcuts; }
    SnippetsTab &snippetsTab() const { return *m_snippets; }
    LinksTab &linksTab() const { return *m_links; }
    CommandsTab &commandsTab() const { return *m_commands; }
    SavedBadge &savedBadge() const { return *m_badge; }

    // Replaces the message box asked before unsaved edits are left (the tests answer
    // without one).
    using UnsavedEditsQuestion = std::function<SettingsQuestions::UnsavedEdits(QWidget *parent)>;
    void setUnsavedEditsQuestion(UnsavedEditsQuestion question) { m_askAboutUnsavedEdits = std::move(question); }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    SettingsTab &tabAt(int index) const;
    // Asks about the tab's unsaved edits, if it has any, and carries out the answer;
    // true when the tab may be left.
    bool settleUnsavedEdits(SettingsTab &tab);
    void leaveTabFor(int index);

    UnsavedEditsQuestion m_askAboutUnsavedEdits = SettingsQuestions::askAboutUnsavedEdits;
    QTabWidget *m_tabs;
    GeneralSettingsTab *m_general;
    AppShortcutsTab *m_appShortcuts;
    SnippetsTab *m_snippets;
    LinksTab *m_links;
    CommandsTab *m_commands;
    SavedBadge *m_badge;
    // The tab the user was on before the tab bar moved, and whether the move is the way
    // back to it after a Cancel.
    int m_shownIndex = 0;
    bool m_returning = false;
};

} // namespace lettergate
