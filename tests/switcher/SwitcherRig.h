#pragma once

#include "platform/Paths.h"
#include "settings/SettingsTestSupport.h"
#include "stores/ClipboardHistory.h"
#include "stores/CommandStore.h"
#include "stores/LinkStore.h"
#include "stores/RunningCommands.h"
#include "stores/SnippetStore.h"
#include "support/ClipboardReads.h"
#include "support/FakePlatform.h"
#include "support/TestEnvironment.h"
#include "switcher/SwitcherViewModel.h"
#include "windows/ThumbnailService.h"

namespace lettergate {

// A view model over real stores in a private data directory, on the fake platform.
struct SwitcherRig {
    TestEnvironment environment;
    FakePlatform platform;
    Launch settings;
    ThumbnailService thumbnails{platform.capture};
    ClipboardHistory clipboard{platform.board, Paths::dataDirectory()};
    SnippetStore snippets{Paths::dataDirectory()};
    LinkStore links{platform.appList, platform.bell, platform.notes, Paths::dataDirectory()};
    CommandStore commands{Paths::dataDirectory()};
    RunningCommands running;
    SwitcherViewModel model{SwitcherSources{settings.store, thumbnails, clipboard, snippets, links, commands}};

    // Copies the texts one after another: the last one is the newest entry.
    void copy(const QStringList &texts)
    {
        clipboard.setLimit(50);
        for (const QString &text : texts) {
            platform.board.copyText(text);
            readClipboard(clipboard);
        }
    }
    // Captures the windows of `apps` into the thumbnail cache.
    void capture(const QList<AppEntry> &apps)
    {
        QList<WindowInfo> windows;
        for (const AppEntry &entry : apps) {
            for (const WindowInfo &window : entry.windows) {
                windows.append(window);
                platform.capture.windows.append(ShareableWindow{window.id, window.bounds});
            }
        }
        platform.capture.granted = true;
        QVERIFY(QTest::qWaitFor([f = thumbnails.prefetch(windows)] { return f.isFinished(); }));
    }
    void setSnippets(const QStringList &names)
    {
        QList<Snippet> list;
        for (const QString &name : names) {
            Snippet snippet;
            snippet.name = name;
            snippet.text = name + QStringLiteral(" text");
            list.append(snippet);
        }
        QVERIFY(snippets.replaceAll(list));
    }
    void setLinks(const QStringList &names)
    {
        QList<QuickLink> list;
        for (const QString &name : names)
            list.append(QuickLink{QUuid::createUuid(), name, QStringLiteral("https://example.org/") + name});
        QVERIFY(links.replaceAll(list));
    }
    void setCommands(const QStringList &names)
    {
        QList<Command> list;
        for (const QString &name : names)
            list.append(Command{QUuid::createUuid(), name, QStringLiteral("echo ") + name});
        QVERIFY(commands.replaceAll(list));
    }
};

inline WindowInfo windowOf(quint32 id, qint32 pid, const QString &appName)
{
    return WindowInfo{id, pid, std::nullopt, appName, QStringLiteral("window %1").arg(id), QRectF(0, 0, 800, 600)};
}

inline AppEntry app(qint32 pid, const QString &name, std::optional<QString> letter, const QList<quint32> &windowIds)
{
    AppEntry entry{pid, std::nullopt, name, std::move(letter), {}};
    for (quint32 id : windowIds)
        entry.windows.append(windowOf(id, pid, name));
    return entry;
}

// A result as one line of text, so tables can state what they expect.
inline QString describe(const InputResult &result)
{
    if (const auto *fire = result.as<InputResult::Fire>())
        return QStringLiteral("fire %1").arg(fire->window.id);
    if (const auto *clip = result.as<InputResult::PasteClip>())
        return QStringLiteral("pasteClip ") + clip->item.text;
    if (const auto *snippet = result.as<InputResult::PasteSnippet>())
        return QStringLiteral("pasteSnippet ") + snippet->snippet.name;
    if (const auto *link = result.as<InputResult::OpenLink>())
        return QStringLiteral("openLink ") + link->link.name;
    if (const auto *command = result.as<InputResult::RunCommand>())
        return QStringLiteral("runCommand ") + command->command.name;
    if (const auto *launch = result.as<InputResult::LaunchApp>())
        return QStringLiteral("launchApp %1 %2").arg(launch->bundleID, launch->appName);
    return result.is<InputResult::Awaiting>()      ? QStringLiteral("awaiting")
           : result.is<InputResult::Drilled>()     ? QStringLiteral("drilled")
           : result.is<InputResult::Highlighted>() ? QStringLiteral("highlighted")
                                                   : QStringLiteral("rejected");
}

inline QString describe(Stage stage)
{
    static const char *const kinds[] = {"windows", "apps", "clipboard", "snippets", "links", "commands"};
    const QString kind = QLatin1String(kinds[int(stage.kind())]);
    return stage.kind() == Stage::Kind::windows ? kind + QStringLiteral(" %1").arg(stage.pid()) : kind;
}

inline QString describe(std::optional<Prefix> prefix)
{
    static const char *const prefixes[] = {"clipboard", "snippet", "link", "command"};
    return prefix ? QLatin1String(prefixes[int(*prefix)]) : QLatin1String("none");
}

inline QList<AppEntry> furnishedApps()
{
    return {app(10, QStringLiteral("Editor"), QStringLiteral("e"), {100}),
            app(20, QStringLiteral("Terminal"), QStringLiteral("t"), {201, 202, 203}),
            app(30, QStringLiteral("Agent"), QStringLiteral("?"), {300}),
            app(31, QStringLiteral("Agent"), QStringLiteral("?"), {310}),
            app(40, QStringLiteral("Cleared"), std::nullopt, {400})};
}

// Two single-window and multi-window apps, two apps that found every letter taken, one
// without a letter; three clipboard entries (newest first: first, second, third), two
// snippets, two links, one command; stored letters for two apps that have no window.
inline void furnish(SwitcherRig &rig)
{
    rig.copy({QStringLiteral("third"), QStringLiteral("second"), QStringLiteral("first")});
    rig.setSnippets({QStringLiteral("s1"), QStringLiteral("s2")});
    rig.setLinks({QStringLiteral("l1"), QStringLiteral("l2")});
    rig.setCommands({QStringLiteral("c1")});
    const QString files = QStringLiteral("org.example.Files");
    QCOMPARE(rig.settings.store.applyLetters(
                 {{files, QStringLiteral("f")}, {QStringLiteral("org.example.Gone"), QStringLiteral("g")}}),
             KeyValidation::ok());
    rig.settings.store.setNames({{files, QStringLiteral("Files")}});
    rig.model.reset(furnishedApps());
}

inline void type(SwitcherViewModel &model, const QStringList &keys)
{
    for (const QString &key : keys)
        model.handle(key);
}

} // namespace lettergate
