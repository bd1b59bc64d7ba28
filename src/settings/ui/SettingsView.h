#pragma once

#include "settings/ui/SettingsQuestions.h"

#include <QSize>
#include <QWidget>
#include <functional>

class AppShortcutsTab;
class CommandsTab;
class GeneralSettingsTab;
class LinksTab;
class QTabWidget;
class SavedBadge;
class SnippetsTab;
struct SettingsServices;

// The content of the settings window: the five tabs, starting on General and keeping
// their selection, with the "Saved" badge laid over the bottom centre. Closing it while
// the tab in view holds unsaved edits asks whether to save them, discard them or stay;
// a Save the tab rejects keeps the window open on the reason.
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

    // Replaces the message box asked before unsaved edits are closed (the tests answer
    // without one).
    using UnsavedEditsQuestion = std::function<SettingsQuestions::UnsavedEdits(QWidget *parent)>;
    void setUnsavedEditsQuestion(UnsavedEditsQuestion question) { m_askAboutUnsavedEdits = std::move(question); }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    UnsavedEditsQuestion m_askAboutUnsavedEdits = SettingsQuestions::askAboutUnsavedEdits;
    QTabWidget *m_tabs;
    GeneralSettingsTab *m_general;
    AppShortcutsTab *m_appShortcuts;
    SnippetsTab *m_snippets;
    LinksTab *m_links;
    CommandsTab *m_commands;
    SavedBadge *m_badge;
};
