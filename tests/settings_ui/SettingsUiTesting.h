#pragma once

#include "hotkeys/HotkeyManager.h"
#include "settings/SettingsTestSupport.h"
#include "settings/ui/SettingsServices.h"
#include "settings/ui/SettingsView.h"
#include "stores/ClipboardHistory.h"
#include "stores/CommandStore.h"
#include "stores/LinkStore.h"
#include "stores/SnippetStore.h"
#include "support/FakePlatform.h"
#include "support/TestEnvironment.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <algorithm>

namespace lettergate {

// One run of the program behind the settings window: the settings and the content
// stores over a fresh scratch home, on the fake desktop. Every save ticks the save
// indicator, as in the application, so tests compare ticks before and after.
struct SettingsFixture {
    SettingsFixture()
    {
        saveIndicator.follow(history);
        saveIndicator.follow(snippets);
        saveIndicator.follow(links);
        saveIndicator.follow(commands);
        settings.setHistoryLimitTarget(&history);
        settings.load();
        trigger.setOnTrigger([] {});
        trigger.apply(settings.hotkey());
    }

    SettingsServices services()
    {
        return {settings, saveIndicator, snippets, links, commands, history, platform, trigger};
    }
    int tick() const { return saveIndicator.tick(); }

    TestEnvironment environment;
    FakePlatform platform;
    RecordingArmer armer;
    SaveIndicator saveIndicator{&platform.notes};
    SettingsStore settings{Paths::settingsFile(), armer, saveIndicator};
    ClipboardHistory history{platform.board, Paths::dataDirectory()};
    SnippetStore snippets{Paths::dataDirectory()};
    LinkStore links{platform.appList, platform.bell, platform.notes, Paths::dataDirectory()};
    CommandStore commands{Paths::dataDirectory()};
    // Armed with the stored trigger, on the fake desktop's hot keys.
    HotkeyManager trigger{platform.keys, platform.tap, platform.time};
};

// The settings window's content, shown (offscreen) on one tab.
struct ShownView {
    ShownView(SettingsFixture &fixture, SettingsView::Tab tab)
        : view(fixture.services())
    {
        // Leaving a tab discards its edits without a message box; the tests of the
        // question answer it their own way.
        view.setUnsavedEditsQuestion([](QWidget *) { return SettingsQuestions::UnsavedEdits::Discard; });
        view.resize(SettingsView::contentSize);
        view.showTab(tab);
        view.show();
        // Window shortcuts (Ctrl+S) need the window active.
        view.activateWindow();
        if (!QTest::qWaitForWindowActive(&view))
            qWarning("the settings view did not become active");
    }
    // Away to another tab and back: what makes a tab re-read the stores (its edits discarded).
    void revisit(SettingsView::Tab tab)
    {
        view.showTab(tab == SettingsView::Tab::General ? SettingsView::Tab::Commands : SettingsView::Tab::General);
        view.showTab(tab);
    }

    SettingsView view;
};

// Whether a label of the widget shows the text (Markdown labels give their source).
inline bool showsTextContaining(const QWidget &widget, const QString &part)
{
    const QList<QLabel *> labels = widget.findChildren<QLabel *>();
    return std::ranges::any_of(labels, [&part](const QLabel *label) { return label->text().contains(part); });
}

} // namespace lettergate
