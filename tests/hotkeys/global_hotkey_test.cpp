#include "hotkeys/GlobalHotkey.h"
#include "support/FakeHotKeys.h"

#include <QTest>

class GlobalHotkeyTest : public QObject {
    Q_OBJECT
private slots:
    void registersUnderItsOwnIdAndUnregistersWhenDestroyed()
    {
        FakeHotKeys keys;
        int presses = 0;
        auto hotkey = GlobalHotkey::create(keys, 13, 0x1800, [&] { ++presses; });
        QVERIFY(hotkey);
        QCOMPARE(keys.registrations.size(), 1);
        QCOMPARE(keys.registrations[0].id, hotkey->identifier());
        QCOMPARE(keys.registrations[0].keyCode, 13u);
        QCOMPARE(keys.registrations[0].modifiers, 0x1800u);
        keys.press(13, 0x1800);
        QCOMPARE(presses, 1);

        const HotKeyId id = hotkey->identifier();
        hotkey.reset();
        QVERIFY(keys.registrations.isEmpty());
        QCOMPARE(keys.log.last(), QStringLiteral("unregister %1").arg(id.id));
        emit keys.pressed(id); // a press already on its way when the key was released
        QCOMPARE(presses, 1);
    }

    void pressesAreMatchedOnTheIdAndARefusalUsesUpItsId()
    {
        FakeHotKeys keys;
        keys.refused.insert({49, 0x100});
        int firstPresses = 0;
        int refusedPresses = 0;
        int thirdPresses = 0;
        const auto first = GlobalHotkey::create(keys, 13, 0x1800, [&] { ++firstPresses; });
        QVERIFY(!GlobalHotkey::create(keys, 49, 0x100, [&] { ++refusedPresses; }));
        const auto third = GlobalHotkey::create(keys, 14, 0x1800, [&] { ++thirdPresses; });
        QVERIFY(first && third);
        QCOMPARE(third->identifier().id, first->identifier().id + 2);
        QCOMPARE(keys.registrations.size(), 2);
        QVERIFY(!keys.log.join(u'\n').contains(QStringLiteral("unregister")));

        emit keys.pressed(third->identifier());
        QCOMPARE(thirdPresses, 1);
        // Nothing listens for the refused attempt's id nor for one never handed out.
        emit keys.pressed({GlobalHotkey::signature, first->identifier().id + 1});
        emit keys.pressed({GlobalHotkey::signature, first->identifier().id + 1000});
        QCOMPARE(firstPresses + refusedPresses + thirdPresses, 1);
        // The signature plays no part in matching.
        emit keys.pressed({0, first->identifier().id});
        QCOMPARE(firstPresses, 1);
    }

    void callbackMayReleaseItsOwnHotkey()
    {
        FakeHotKeys keys;
        std::unique_ptr<GlobalHotkey> hotkey;
        QString seen;
        const QString text = QStringLiteral("still alive after the release");
        hotkey = GlobalHotkey::create(keys, 13, 0x1800, [&, text] {
            hotkey.reset();
            seen = text; // reads the callback's own capture after its owner is gone
        });
        keys.press(13, 0x1800);
        QVERIFY(!hotkey);
        QCOMPARE(seen, text);
        QVERIFY(keys.registrations.isEmpty());
    }
};

QTEST_GUILESS_MAIN(GlobalHotkeyTest)
#include "global_hotkey_test.moc"
