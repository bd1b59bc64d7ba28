#include "SwitcherRig.h"

#include <QMetaProperty>
#include <QSignalSpy>
#include <QTest>

namespace {

QString describe(std::optional<Highlight> highlight)
{
    if (!highlight)
        return QStringLiteral("none");
    static const char *const boxes[] = {"cards", "clipboard", "snippets", "links", "commands"};
    return QStringLiteral("%1 %2").arg(QLatin1String(boxes[int(highlight->box)])).arg(highlight->index);
}

// The page shapes the view reports for the furnished rig: five app cards three to a
// row, each box one row of its entries; the Terminal's three windows and the three
// clips two to a row.
PageShape shapeOf(Stage stage)
{
    if (stage == Stage::apps())
        return {BoxShape{5, 3}, BoxShape{3, 3}, BoxShape{2, 2}, BoxShape{2, 2}, BoxShape{1, 1}};
    if (stage == Stage::windows(20) || stage == Stage::clipboard())
        return {BoxShape{3, 2}};
    return {};
}

// Types each key ("Right", "Tab", "Backtab", "Enter", "Back", or a letter or digit),
// telling the model the shape of every page it moves to as the view would; answers what
// the last key gave.
QString typeKeys(SwitcherViewModel &model, const QStringList &keys)
{
    static const QHash<QString, Navigation> navigation{
        {QStringLiteral("Left"), Navigation::left},     {QStringLiteral("Right"), Navigation::right},
        {QStringLiteral("Up"), Navigation::up},         {QStringLiteral("Down"), Navigation::down},
        {QStringLiteral("Tab"), Navigation::nextBox},   {QStringLiteral("Backtab"), Navigation::previousBox},
        {QStringLiteral("Enter"), Navigation::pick}};
    model.setPageShape(shapeOf(model.stage()));
    QString last;
    for (const QString &key : keys) {
        const Stage before = model.stage();
        if (key == u"Back")
            last = model.back() ? QStringLiteral("back") : QStringLiteral("no back");
        else if (const auto found = navigation.constFind(key); found != navigation.constEnd())
            last = describe(model.navigate(*found));
        else
            last = describe(model.handle(key));
        if (model.stage() != before)
            model.setPageShape(shapeOf(model.stage()));
    }
    return last;
}

} // namespace

class SwitcherViewModelTest : public QObject {
    Q_OBJECT
private slots:
    void arrowsTabAndEnterMoveAndPickTheHighlight_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("highlight");
        QTest::addColumn<QString>("stage");
        auto row = [](const char *name, QStringList keys, QString result, QString highlight, QString stage = "apps") {
            QTest::newRow(name) << keys << result << highlight << stage;
        };
        const QString moved = QStringLiteral("highlighted");
        const QString rejected = QStringLiteral("rejected");

        row("hidden at first: Enter is refused", {"Enter"}, rejected, "none");
        row("the first arrow shows the first card", {"Down"}, moved, "cards 0");
        row("so does Tab", {"Tab"}, moved, "cards 0");
        row("right moves along the row", {"Right", "Right"}, moved, "cards 1");
        row("right stops at the row's end", {"Right", "Right", "Right", "Right"}, moved, "cards 2");
        row("left stops at the row's start", {"Right", "Left"}, moved, "cards 0");
        row("up stops at the top row", {"Down", "Up"}, moved, "cards 0");
        row("down and up by a row", {"Right", "Right", "Down", "Up"}, moved, "cards 1");
        row("down into a shorter row takes its last card", {"Right", "Right", "Right", "Down"}, moved, "cards 4");
        row("down stops at the last row", {"Down", "Down", "Down"}, moved, "cards 3");
        row("Tab goes to the next box", {"Tab", "Tab"}, moved, "clipboard 0");
        row("Tab goes round the page", {"Tab", "Tab", "Tab", "Tab", "Tab", "Tab"}, moved, "cards 0");
        row("Shift+Tab goes back round", {"Tab", "Backtab"}, moved, "commands 0");
        row("a box keeps its item", {"Tab", "Tab", "Right", "Right", "Tab", "Backtab"}, moved, "clipboard 2");
        row("arrows stay in a box's row", {"Tab", "Tab", "Down", "Right", "Up"}, moved, "clipboard 1");
        row("Enter on a one-window app switches", {"Right", "Enter"}, "fire 100", "cards 0");
        row("Enter reaches an app without a usable letter", {"Right", "Right", "Right", "Enter"}, "fire 300", "cards 2");
        row("Enter on an app without a letter", {"Down", "Down", "Right", "Enter"}, "fire 400", "cards 4");
        row("Enter opens a window page on its first window", {"Right", "Right", "Enter"}, "drilled", "cards 0",
            "windows 20");
        row("and picks a window there", {"Right", "Right", "Enter", "Down", "Enter"}, "fire 203", "cards 2",
            "windows 20");
        row("Enter pastes a clip", {"Tab", "Tab", "Right", "Enter"}, "pasteClip second", "clipboard 1");
        row("Enter pastes a snippet", {"Tab", "Tab", "Tab", "Enter"}, "pasteSnippet s1", "snippets 0");
        row("Enter opens a link", {"Tab", "Backtab", "Backtab", "Right", "Enter"}, "openLink l2", "links 1");
        row("Enter runs a command", {"Tab", "Backtab", "Enter"}, "runCommand c1", "commands 0");
        row("letters act as ever with the highlight shown", {"Right", "Right", "e"}, "fire 100", "cards 1");
        row("a list key and its digit too", {"Right", "v", "2"}, "pasteClip second", "cards 0");
        row("an arrow after a list key goes into its box", {"q", "Right"}, moved, "links 0");
        row("Enter after a list key picks its first entry", {"v", "Enter"}, "pasteClip first", "clipboard 0");
        row("a page opened by letter with the highlight hidden", {"t"}, "drilled", "none", "windows 20");
        row("a full list moves in its grid", {"v", "v", "Right", "Down", "Enter"}, "pasteClip third", "cards 2",
            "clipboard");
        row("back to the apps page finds the item it left", {"Tab", "Tab", "Right", "t", "Back"}, "back",
            "clipboard 1");
    }

    void arrowsTabAndEnterMoveAndPickTheHighlight()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, result);
        QFETCH(QString, highlight);
        QFETCH(QString, stage);
        SwitcherRig rig;
        furnish(rig);
        QCOMPARE(typeKeys(rig.model, keys), result);
        QCOMPARE(describe(rig.model.highlight()), highlight);
        QCOMPARE(describe(rig.model.stage()), stage);
        if (keys.constLast() != u"v")
            QCOMPARE(rig.model.pending(), std::nullopt);
    }

    void theHighlightKeepsToWhatThePageShows()
    {
        SwitcherRig rig;
        furnish(rig);
        QSignalSpy changes(&rig.model, &SwitcherViewModel::highlightChanged);
        QCOMPARE(typeKeys(rig.model, {"Tab", "Tab", "Right", "Right"}), QStringLiteral("highlighted"));
        QCOMPARE(changes.count(), 4);
        // The history shrank: the highlight steps back to what the box still shows.
        PageShape shape = shapeOf(Stage::apps());
        shape[size_t(Box::clipboard)] = BoxShape{1, 1};
        rig.model.setPageShape(shape);
        QCOMPARE(describe(rig.model.highlight()), QStringLiteral("clipboard 0"));
        shape[size_t(Box::clipboard)] = BoxShape{};
        rig.model.setPageShape(shape);
        QCOMPARE(rig.model.highlight(), std::nullopt);
        // A reset starts the next showing without it.
        typeKeys(rig.model, {"Down"});
        rig.model.reset(rig.model.apps());
        QCOMPARE(rig.model.highlight(), std::nullopt);
    }

    void listKeysGiveWayToAppLettersAndNeedEntries()
    {
        SwitcherRig rig;
        rig.model.reset({app(10, QStringLiteral("Editor"), QStringLiteral("e"), {100})});
        QSignalSpy pendingChanges(&rig.model, &SwitcherViewModel::pendingChanged);
        for (const QString &key : {QStringLiteral("v"), QStringLiteral("b"), QStringLiteral("q"), QStringLiteral("m")}) {
            QCOMPARE(describe(rig.model.handle(key)), QStringLiteral("rejected"));
            QCOMPARE(rig.model.pending(), std::nullopt);
        }
        QCOMPARE(pendingChanges.count(), 0);

        // An app whose letter is a list key is reached by it.
        rig.copy({QStringLiteral("clip")});
        rig.model.reset({app(10, QStringLiteral("Viewer"), QStringLiteral("v"), {100})});
        QCOMPARE(describe(rig.model.handle(QStringLiteral("v"))), QStringLiteral("fire 100"));
        QCOMPARE(rig.model.pending(), std::nullopt);
    }

    void pickKeysReachThirtyFivePositions()
    {
        SwitcherRig rig;
        QStringList texts;
        for (int n = 40; n >= 1; --n) // copied last is newest: entry 1 comes first
            texts.append(QStringLiteral("entry %1").arg(n));
        rig.copy(texts);
        rig.model.reset({});
        rig.model.enter(Prefix::clipboard);
        QCOMPARE(rig.model.clipItems().size(), 40);

        const QStringList &keys = SwitcherViewModel::pickKeys();
        QCOMPARE(keys.join(QString()), QStringLiteral("123456789abcdefghijklmnopqrstuvwxyz"));
        for (qsizetype i = 0; i < keys.size(); ++i)
            QCOMPARE(describe(rig.model.handle(keys.at(i))), QStringLiteral("pasteClip entry %1").arg(i + 1));
        QCOMPARE(describe(rig.model.handle(QStringLiteral("z"))), QStringLiteral("pasteClip entry 35"));
        QCOMPARE(describe(rig.model.handle(QStringLiteral("v"))), QStringLiteral("pasteClip entry 31"));
        QCOMPARE(describe(rig.model.handle(QStringLiteral("0"))), QStringLiteral("rejected"));
        QCOMPARE(rig.model.stage(), Stage::clipboard());
    }

    void clicksOpenPagesAndBackUndoesOneStep()
    {
        SwitcherRig rig;
        furnish(rig);
        // A click on a multi-window app keeps the armed prefix until Back.
        QCOMPARE(describe(rig.model.handle(QStringLiteral("v"))), QStringLiteral("awaiting"));
        rig.model.showWindows(20);
        QCOMPARE(rig.model.stage(), Stage::windows(20));
        QCOMPARE(rig.model.pending(), std::optional<Prefix>(Prefix::clipboard));
        QCOMPARE(rig.model.drilledApp()->appName, QStringLiteral("Terminal"));
        QVERIFY(rig.model.back()); // the prefix first
        QCOMPARE(rig.model.stage(), Stage::windows(20));
        QCOMPARE(rig.model.pending(), std::nullopt);
        QVERIFY(rig.model.back()); // then the page
        QCOMPARE(rig.model.stage(), Stage::apps());
        QVERIFY(!rig.model.back());

        // A click on a box opens its list and drops the prefix, from a list page too.
        rig.model.handle(QStringLiteral("b"));
        rig.model.enter(Prefix::link);
        QCOMPARE(rig.model.stage(), Stage::links());
        QCOMPARE(rig.model.pending(), std::nullopt);
        rig.model.enter(Prefix::command);
        QCOMPARE(rig.model.stage(), Stage::commands());
        QCOMPARE(rig.model.drilledApp(), std::nullopt);
        rig.model.back();

        // The windows page of an app that has gone rejects every key.
        rig.model.showWindows(999);
        QCOMPARE(rig.model.drilledApp(), std::nullopt);
        for (const QString &key : {QStringLiteral("1"), QStringLiteral("e"), QStringLiteral("v")})
            QCOMPARE(describe(rig.model.handle(key)), QStringLiteral("rejected"));
        rig.model.setPageShape({});
        for (Navigation key : {Navigation::right, Navigation::nextBox, Navigation::pick})
            QCOMPARE(describe(rig.model.navigate(key)), QStringLiteral("rejected"));
        QVERIFY(rig.model.back());
        QCOMPARE(rig.model.stage(), Stage::apps());
    }

    void stageChangesTellTheViewHowToAnimate()
    {
        SwitcherRig rig;
        furnish(rig);
        QList<std::optional<Spring>> seen; // the transition as each stage change arrives
        connect(&rig.model, &SwitcherViewModel::stageChanged, this,
                [&] { seen.append(rig.model.stageTransition()); });
        QSignalSpy transitionChanges(&rig.model, &SwitcherViewModel::stageTransitionChanged);

        rig.model.handle(QStringLiteral("v")); // a change of pending only
        QVERIFY(seen.isEmpty());
        QCOMPARE(transitionChanges.count(), 0);

        rig.model.handle(QStringLiteral("v"));  // forward into the clipboard
        rig.model.back();                       // back to the apps page
        rig.model.handle(QStringLiteral("t"));  // forward into a windows page
        rig.model.back();
        rig.model.enter(Prefix::snippet);       // forward by a click
        rig.model.reset(rig.model.apps());      // not animated
        QCOMPARE(seen, (QList<std::optional<Spring>>{Springs::forward, Springs::back, Springs::forward, Springs::back,
                                                     Springs::forward, std::nullopt}));
    }

    void resetTakesAFreshSnapshot()
    {
        SwitcherRig rig;
        furnish(rig);
        rig.model.handle(QStringLiteral("t"));
        rig.platform.capture.windows = {ShareableWindow{100, QRectF(0, 0, 800, 600)},
                                        ShareableWindow{202, QRectF(0, 0, 800, 600)},
                                        ShareableWindow{999, QRectF(0, 0, 800, 600)}};
        QVERIFY(QTest::qWaitFor(
            [f = rig.thumbnails.prefetch({windowOf(100, 10, {}), windowOf(202, 20, {}), windowOf(999, 99, {})})] {
                return f.isFinished();
            }));
        QCOMPARE(rig.settings.store.setQuickKeys(QStringLiteral("c"), QStringLiteral("s")), KeyValidation::ok());
        rig.copy({QStringLiteral("newest")});
        rig.platform.capture.granted = false;

        const QList<AppEntry> apps{app(10, QStringLiteral("Editor"), QStringLiteral("e"), {100}),
                                   app(20, QStringLiteral("Terminal"), QStringLiteral("t"), {201, 202})};
        QSignalSpy appsChanges(&rig.model, &SwitcherViewModel::appsChanged);
        QSignalSpy keyChanges(&rig.model, &SwitcherViewModel::clipboardKeyChanged);
        rig.model.reset(apps);

        QCOMPARE(rig.model.apps(), apps);
        QCOMPARE(appsChanges.count(), 1);
        QCOMPARE(rig.model.stage(), Stage::apps());
        QCOMPARE(rig.model.pending(), std::nullopt);
        QCOMPARE(rig.model.thumbnails().keys().size(), 2); // listed windows with a picture only
        QVERIFY(rig.model.thumbnails().contains(100) && rig.model.thumbnails().contains(202));
        QVERIFY(!rig.model.screenRecordingGranted());
        QCOMPARE(rig.model.clipItems().size(), 4);
        QCOMPARE(rig.model.clipItems().constFirst().text, QStringLiteral("newest"));
        QCOMPARE(rig.model.snippetItems(), rig.snippets.snippets());
        QCOMPARE(rig.model.linkItems(), rig.links.links());
        QCOMPARE(rig.model.commandItems(), rig.commands.commands());
        QCOMPARE(rig.model.clipboardKey() + rig.model.snippetKey(), QStringLiteral("cs"));
        QCOMPARE(keyChanges.count(), 1);
        QCOMPARE(describe(rig.model.handle(QStringLiteral("c"))), QStringLiteral("awaiting"));

        // The same apps again announce nothing new.
        rig.model.reset(apps);
        QCOMPARE(appsChanges.count(), 1);
        QCOMPARE(keyChanges.count(), 1);
    }

    void everyPublishedFieldAnnouncesItsChanges()
    {
        SwitcherRig rig;
        const QMetaObject *meta = rig.model.metaObject();
        QVERIFY(meta->propertyCount() > meta->propertyOffset());
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
            QVERIFY2(meta->property(i).hasNotifySignal(), meta->property(i).name());
    }
};

QTEST_GUILESS_MAIN(SwitcherViewModelTest)
#include "switcher_view_model_test.moc"
