#include "SwitcherRig.h"

#include <QSignalSpy>
#include <QTest>

using namespace lettergate;

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
        {QStringLiteral("Left"), Navigation::left},   {QStringLiteral("Right"), Navigation::right},
        {QStringLiteral("Up"), Navigation::up},       {QStringLiteral("Down"), Navigation::down},
        {QStringLiteral("Tab"), Navigation::nextBox}, {QStringLiteral("Backtab"), Navigation::previousBox},
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
    void arrowsTabAndEnterMoveAndPickTheHighlight()
    {
        SwitcherRig rig;
        furnish(rig);
        const QString moved = QStringLiteral("highlighted");
        const struct {
            QStringList keys;
            QString result, highlight, stage = QStringLiteral("apps");
        } rows[] = {
            {{"Enter"}, "rejected", "none"}, // hidden at first
            {{"Down"}, moved, "cards 0"},
            {{"Right", "Right", "Right", "Right"}, moved, "cards 2"}, // stops at the row's end
            {{"Right", "Right", "Down", "Up"}, moved, "cards 1"},
            {{"Right", "Right", "Right", "Down"}, moved, "cards 4"}, // a shorter row: its last card
            {{"Down", "Down", "Down"}, moved, "cards 3"},
            {{"Tab", "Tab", "Tab", "Tab", "Tab", "Tab"}, moved, "cards 0"},
            {{"Tab", "Backtab"}, moved, "commands 0"},
            {{"Tab", "Tab", "Right", "Right", "Tab", "Backtab"}, moved, "clipboard 2"}, // a box keeps its item
            {{"Right", "Right", "Right", "Enter"}, "fire 300", "cards 2"},              // no usable letter
            {{"Right", "Right", "Enter", "Down", "Enter"}, "fire 203", "cards 2", "windows 20"},
            {{"Tab", "Tab", "Right", "Enter"}, "pasteClip second", "clipboard 1"},
            {{"Tab", "Backtab", "Backtab", "Right", "Enter"}, "openLink l2", "links 1"},
            {{"q", "Right"}, moved, "links 0"}, // an arrow after a list key goes into its box
            {{"v", "Enter"}, "pasteClip first", "clipboard 0"},
            {{"v", "v", "Right", "Down", "Enter"}, "pasteClip third", "cards 2", "clipboard"},
            {{"Tab", "Tab", "Right", "t", "Back"}, "back", "clipboard 1"}, // back finds the item it left
        };
        for (const auto &row : rows) {
            rig.model.reset(furnishedApps());
            QCOMPARE(typeKeys(rig.model, row.keys), row.result);
            QCOMPARE(describe(rig.model.highlight()) + u'|' + describe(rig.model.stage()),
                     row.highlight + u'|' + row.stage);
        }

        // The highlight keeps to what the page shows.
        rig.model.reset(furnishedApps());
        QSignalSpy changes(&rig.model, &SwitcherViewModel::highlightChanged);
        typeKeys(rig.model, {"Tab", "Tab", "Right", "Right"});
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

    void listKeysNeedEntriesAndGiveWayToAppLettersAndPickKeysReachThirtyFive()
    {
        SwitcherRig rig;
        rig.model.reset({app(10, QStringLiteral("Editor"), QStringLiteral("e"), {100})});
        QSignalSpy pendingChanges(&rig.model, &SwitcherViewModel::pendingChanged);
        for (const QString &key : {QStringLiteral("v"), QStringLiteral("b"), QStringLiteral("q"), QStringLiteral("m")})
            QCOMPARE(describe(rig.model.handle(key)), QStringLiteral("rejected"));
        QCOMPARE(pendingChanges.count(), 0);
        rig.copy({QStringLiteral("clip")});
        rig.model.reset({app(10, QStringLiteral("Viewer"), QStringLiteral("v"), {100})});
        QCOMPARE(describe(rig.model.handle(QStringLiteral("v"))), QStringLiteral("fire 100"));

        // The pick keys reach thirty-five positions.
        QStringList texts;
        for (int n = 40; n >= 1; --n) // copied last is newest: entry 1 comes first
            texts.append(QStringLiteral("entry %1").arg(n));
        rig.copy(texts);
        rig.model.reset({});
        rig.model.enter(Prefix::clipboard);
        for (const auto &[key, entry] : {std::pair("1", 1), {"9", 9}, {"a", 10}, {"V", 31}, {"z", 35}})
            QCOMPARE(describe(rig.model.handle(key)), QStringLiteral("pasteClip entry %1").arg(entry));
        QCOMPARE(describe(rig.model.handle(QStringLiteral("0"))), QStringLiteral("rejected"));
    }

    void clicksOpenPagesAndBackUndoesOneStep()
    {
        SwitcherRig rig;
        furnish(rig);
        // A click on a multi-window app keeps the armed prefix until Back.
        rig.model.handle(QStringLiteral("v"));
        rig.model.showWindows(20);
        QCOMPARE(describe(rig.model.stage()) + u'|' + describe(rig.model.pending()),
                 QStringLiteral("windows 20|clipboard"));
        QCOMPARE(rig.model.drilledApp()->appName, QStringLiteral("Terminal"));
        QVERIFY(rig.model.back()); // the prefix first
        QCOMPARE(describe(rig.model.stage()) + u'|' + describe(rig.model.pending()), QStringLiteral("windows 20|none"));
        // A click on a box opens its list and drops the prefix, from a list page too.
        rig.model.back();
        rig.model.handle(QStringLiteral("b"));
        rig.model.enter(Prefix::link);
        rig.model.enter(Prefix::command);
        QCOMPARE(describe(rig.model.stage()) + u'|' + describe(rig.model.pending()), QStringLiteral("commands|none"));
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
    }

    void resetTakesAFreshSnapshot()
    {
        SwitcherRig rig;
        furnish(rig);
        rig.model.handle(QStringLiteral("t"));
        rig.capture({app(10, {}, {}, {100}), app(20, {}, {}, {202}), app(99, {}, {}, {999})});
        QCOMPARE(rig.settings.store.setQuickKeys(QStringLiteral("c"), QStringLiteral("s")), KeyValidation::ok());
        rig.copy({QStringLiteral("newest")});
        rig.setLinks({QStringLiteral("new")});
        rig.platform.capture.granted = false;
        const QList<AppEntry> apps{app(10, QStringLiteral("Editor"), QStringLiteral("e"), {100}),
                                   app(20, QStringLiteral("Terminal"), QStringLiteral("t"), {201, 202})};
        QSignalSpy appsChanges(&rig.model, &SwitcherViewModel::appsChanged);
        QSignalSpy keyChanges(&rig.model, &SwitcherViewModel::clipboardKeyChanged);
        rig.model.reset(apps);
        QCOMPARE(rig.model.apps(), apps);
        QCOMPARE(describe(rig.model.stage()) + u'|' + describe(rig.model.pending()), QStringLiteral("apps|none"));
        const QList<quint32> pictured = rig.model.thumbnails().keys();
        QCOMPARE(QSet<quint32>(pictured.cbegin(), pictured.cend()), QSet<quint32>({100, 202})); // listed ones only
        QVERIFY(!rig.model.screenRecordingGranted());
        QCOMPARE(rig.model.clipItems().constFirst().text, QStringLiteral("newest"));
        QCOMPARE(rig.model.linkItems(), rig.links.links());
        QCOMPARE(rig.model.clipboardKey() + rig.model.snippetKey(), QStringLiteral("cs"));
        QCOMPARE(describe(rig.model.handle(QStringLiteral("c"))), QStringLiteral("awaiting"));
        // The same apps again announce nothing new.
        rig.model.reset(apps);
        QCOMPARE(appsChanges.count() + keyChanges.count(), 2);
    }
};

QTEST_GUILESS_MAIN(SwitcherViewModelTest)
#include "switcher_view_model_test.moc"
