#include "SwitcherRig.h"

#include <QMetaProperty>
#include <QSignalSpy>
#include <QTest>

class SwitcherViewModelTest : public QObject {
    Q_OBJECT
private slots:
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
