#include "SwitcherRig.h"

#include <QMetaProperty>
#include <QSignalSpy>
#include <QTest>

class SwitcherViewModelTest : public QObject {
    Q_OBJECT
private slots:
    void aListKeyWithAnEmptyListIsRejected()
    {
        SwitcherRig rig;
        rig.model.reset({app(10, QStringLiteral("Editor"), QStringLiteral("e"), {100})});
        QSignalSpy pendingChanges(&rig.model, &SwitcherViewModel::pendingChanged);
        for (const QString &key : {QStringLiteral("v"), QStringLiteral("b"), QStringLiteral("q"), QStringLiteral("m")}) {
            QCOMPARE(describe(rig.model.handle(key)), QStringLiteral("rejected"));
            QCOMPARE(rig.model.pending(), std::nullopt);
        }
        QCOMPARE(pendingChanges.count(), 0);
    }

    void anAppLetterWinsOverAListKey()
    {
        SwitcherRig rig;
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
        QCOMPARE(keys.size(), 35);
        QCOMPARE(keys.join(QString()), QStringLiteral("123456789abcdefghijklmnopqrstuvwxyz"));
        for (qsizetype i = 0; i < keys.size(); ++i)
            QCOMPARE(describe(rig.model.handle(keys.at(i))), QStringLiteral("pasteClip entry %1").arg(i + 1));
        QCOMPARE(describe(rig.model.handle(QStringLiteral("z"))), QStringLiteral("pasteClip entry 35"));
        QCOMPARE(describe(rig.model.handle(QStringLiteral("v"))), QStringLiteral("pasteClip entry 31"));
        QCOMPARE(describe(rig.model.handle(QStringLiteral("0"))), QStringLiteral("rejected"));
        QCOMPARE(rig.model.stage(), Stage::clipboard());
    }

    void aClickOnAMultiWindowAppKeepsTheArmedPrefixUntilBack()
    {
        SwitcherRig rig;
        furnish(rig);
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
    }

    void theWindowsPageOfAVanishedAppRejectsEveryKey()
    {
        SwitcherRig rig;
        furnish(rig);
        rig.model.showWindows(999);
        QCOMPARE(rig.model.drilledApp(), std::nullopt);
        for (const QString &key : {QStringLiteral("1"), QStringLiteral("e"), QStringLiteral("v")})
            QCOMPARE(describe(rig.model.handle(key)), QStringLiteral("rejected"));
        QVERIFY(rig.model.back());
        QCOMPARE(rig.model.stage(), Stage::apps());
    }

    void enterOpensAListAndDropsThePrefix()
    {
        SwitcherRig rig;
        furnish(rig);
        rig.model.handle(QStringLiteral("b"));
        rig.model.enter(Prefix::link);
        QCOMPARE(rig.model.stage(), Stage::links());
        QCOMPARE(rig.model.pending(), std::nullopt);
        QCOMPARE(rig.model.drilledApp(), std::nullopt);
        rig.model.enter(Prefix::command); // also from another list page
        QCOMPARE(rig.model.stage(), Stage::commands());
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
        QCOMPARE(Springs::forward, (Spring{0.34, 0.82, 0}));
        QCOMPARE(Springs::back, (Spring{0.32, 0.82, 0}));
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
        QCOMPARE(rig.model.clipboardKey(), QStringLiteral("c"));
        QCOMPARE(rig.model.snippetKey(), QStringLiteral("s"));
        QCOMPARE(rig.model.linkKey(), QStringLiteral("q"));
        QCOMPARE(rig.model.commandKey(), QStringLiteral("m"));
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
        QStringList published;
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
            const QMetaProperty property = meta->property(i);
            QVERIFY2(property.hasNotifySignal(), property.name());
            published.append(QString::fromLatin1(property.name()));
        }
        QCOMPARE(published, (QStringList{"apps", "stage", "stageTransition", "pending", "thumbnails",
                                         "screenRecordingGranted", "clipItems", "snippetItems", "linkItems",
                                         "commandItems", "clipboardKey", "snippetKey", "linkKey", "commandKey"}));
    }

    void constructionStartsEmptyOnTheAppsPage()
    {
        SwitcherRig rig;
        rig.platform.capture.granted = false;
        SwitcherViewModel model{SwitcherSources{rig.settings.store, rig.thumbnails, rig.clipboard, rig.snippets,
                                                rig.links, rig.commands}};
        QVERIFY(model.apps().isEmpty());
        QCOMPARE(model.stage(), Stage::apps());
        QCOMPARE(model.pending(), std::nullopt);
        QVERIFY(!model.screenRecordingGranted());
        QCOMPARE(model.clipboardKey() + model.snippetKey() + model.linkKey() + model.commandKey(), QStringLiteral("vbqm"));
        QCOMPARE(describe(model.handle(QStringLiteral("a"))), QStringLiteral("rejected"));
    }
};

QTEST_GUILESS_MAIN(SwitcherViewModelTest)
#include "switcher_view_model_test.moc"
