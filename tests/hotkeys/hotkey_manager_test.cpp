#include "hotkeys/GlobalHotkey.h"
#include "hotkeys/HotkeyConfig.h"
#include "hotkeys/HotkeyManager.h"
#include "hotkeys/TriggerAlerts.h"
#include "support/FakePlatform.h"
#include "support/LogCapture.h"

#include <QSignalSpy>
#include <QTest>

using namespace lettergate;

using ModifierKey = HotkeyConfig::ModifierKey;

namespace {

const HotkeyConfig ctrlOptW = HotkeyConfig::defaultTrigger();
const HotkeyConfig cmdSpace = HotkeyConfig::combo(49, CarbonModifiers::command);
const HotkeyConfig doubleCommand = HotkeyConfig::doubleModifier(ModifierKey::Command);
const HotkeyConfig doubleOption = HotkeyConfig::doubleModifier(ModifierKey::Option);

const QString chordFailed = QStringLiteral("[Lettergate] ⚠️ chord registration failed");

// A manager over the fake platform whose trigger counts how often it fired.
struct Rig {
    Rig()
    {
        manager.setOnTrigger([this] { ++fires; });
    }

    void doubleTap(quint64 flag)
    {
        for (const quint64 flags : {flag, quint64(0), flag, quint64(0)}) {
            platform.time.advance(0.1);
            sendFlags(flags);
        }
    }
    // To whichever tap is live: the trigger may have been re-armed by now.
    void sendFlags(quint64 flags)
    {
        if (platform.tap.last)
            platform.tap.last->sendFlags(flags);
    }

    FakePlatform platform;
    LogCapture log;
    HotkeyManager manager{platform.keys, platform.tap, platform.time};
    int fires = 0;
};

} // namespace

class HotkeyManagerTest : public QObject {
    Q_OBJECT
private slots:
    void reapplyingReleasesTheOldTriggerBeforeArmingTheNew()
    {
        Rig rig;
        TriggerArmer &armer = rig.manager; // the settings store re-arms through this
        armer.apply(ctrlOptW);
        const quint32 first = rig.platform.keys.registrations.at(0).id.id;
        armer.apply(ctrlOptW);
        QCOMPARE(rig.platform.keys.log, (QStringList{QStringLiteral("register %1 13 6144").arg(first),
                                                     QStringLiteral("unregister %1").arg(first),
                                                     QStringLiteral("register %1 13 6144").arg(first + 1)}));
        // A press still carrying the first registration's id reaches nothing.
        emit rig.platform.keys.pressed({GlobalHotkey::signature, first});
        rig.platform.keys.press(13, 0x1800);
        QCOMPARE(rig.fires, 1);

        rig.manager.apply(doubleCommand);
        connect(rig.platform.tap.last, &QObject::destroyed,
                [&] { rig.platform.keys.log << QStringLiteral("tap released"); });
        rig.manager.apply(cmdSpace);
        QCOMPARE(rig.platform.keys.log.mid(3, 3),
                 (QStringList{QStringLiteral("unregister %1").arg(first + 1), QStringLiteral("tap released"),
                              QStringLiteral("register %1 49 256").arg(first + 2)}));
        rig.manager.apply(doubleOption);
        rig.platform.keys.press(49, CarbonModifiers::command);
        rig.doubleTap(ModifierFlags::command);
        QCOMPARE(rig.fires, 1);
        rig.doubleTap(ModifierFlags::option);
        QCOMPARE(rig.fires, 2);
    }

    void aTriggerThatCannotBeArmedSaysWhy()
    {
        Rig rig;
        rig.manager.apply(doubleCommand);
        rig.log.clear();
        rig.platform.keys.refused.insert({13, 0x1800});
        rig.manager.apply(ctrlOptW);
        QCOMPARE(rig.log.lines, QStringList{chordFailed});
        QVERIFY(rig.platform.keys.registrations.isEmpty() && !rig.platform.tap.last);
        emit rig.platform.keys.pressed({GlobalHotkey::signature, rig.platform.keys.log.last().split(u' ')[1].toUInt()});
        QCOMPARE(rig.fires, 0);

        // A double tap without the permission is armed in name only.
        rig.log.clear();
        rig.platform.tap.permitted = false;
        rig.manager.apply(doubleCommand);
        QCOMPARE(rig.log.lines,
                 (QStringList{QStringLiteral("[Lettergate] ⚠️ double-tap watcher: CGEventTap creation failed "
                                             "(check accessibility permission)"),
                              QStringLiteral(
                                  "[Lettergate] hotkey registered:Double-tap ⌘ (requires accessibility permission)")}));
        QCOMPARE(rig.manager.state(), TriggerState::Unavailable);

        // A combination without Ctrl, Alt or Super would take its key from all typing:
        // it is never grabbed, whoever asks, and trying again changes nothing.
        for (const HotkeyConfig &typing : {HotkeyConfig::combo(0, 0), HotkeyConfig::combo(0, CarbonModifiers::shift)}) {
            rig.log.clear();
            rig.manager.apply(typing);
            rig.manager.retry();
            QVERIFY(rig.platform.keys.registrations.isEmpty() && rig.manager.state() == TriggerState::Unavailable);
            QCOMPARE(rig.log.lines,
                     QStringList{QStringLiteral("[Lettergate] ⚠️ the trigger %1 holds none of Ctrl, Alt, "
                                                "Super and would swallow typing; it is not armed")
                                     .arg(typing.logName())});
        }
    }

    // Where the desktop binds keys itself (Wayland), its bindings report the taps of a
    // modifier (`lettergate tap`); elsewhere they may too, beside the key stream.
    void reportedTapsFeedTheDoubleTap()
    {
        enum Source { Reported, Heard };
        struct Tap {
            double at;
            ModifierKey key;
            Source source = Reported;
        };
        const ModifierKey super = ModifierKey::Command;
        const struct {
            const char *what;
            bool desktopBindsKeys;
            HotkeyConfig trigger;
            QList<Tap> taps;
            int fires;
            bool toldIgnored;
        } cases[] = {
            {"two taps in time", true, doubleCommand, {{0, super}, {0.25, super}}, 1, false},
            {"another modifier", true, doubleCommand, {{0, ModifierKey::Option}, {0.1, ModifierKey::Option}}, 0, true},
            {"a combination trigger", true, ctrlOptW, {{0, super}, {0.1, super}}, 0, true},
            {"reported where keys are heard", false, doubleCommand, {{0, super}, {0.2, super}}, 1, false},
            {"heard and reported, one double tap",
             false,
             doubleCommand,
             {{0, super, Heard}, {0.03, super}, {0.2, super, Heard}, {0.23, super}},
             1,
             false},
        };
        for (const auto &test : cases) {
            Rig rig;
            const TriggerAlerts alerts(rig.manager, rig.platform.notes);
            rig.platform.keys.supported = !test.desktopBindsKeys;
            rig.manager.apply(test.trigger);
            QCOMPARE(rig.manager.state(), test.desktopBindsKeys ? TriggerState::DesktopBound : TriggerState::Armed);
            // Nothing to grab, nothing to listen to, nothing wrong: one line says how it works.
            if (test.desktopBindsKeys) {
                QVERIFY(rig.platform.keys.log.isEmpty() && rig.platform.tap.creations == 0);
                QVERIFY2(rig.log.lines.size() == 1 && rig.log.lines[0].contains(u"this desktop binds keys itself"),
                         test.what);
                QVERIFY(triggerProblem(rig.manager).isEmpty() && rig.platform.notes.shown.isEmpty());
            }
            rig.log.clear();
            double now = 0;
            for (const Tap &tap : test.taps) {
                rig.platform.time.advance(tap.at - now);
                now = tap.at;
                if (tap.source == Heard) {
                    rig.sendFlags(ModifierKeys::flag(tap.key));
                    rig.sendFlags(0);
                } else {
                    rig.manager.reportTap(tap.key);
                }
            }
            QVERIFY2(rig.fires == test.fires, test.what);
            QVERIFY2(rig.log.lines.filter(u"ignoring taps").size() == (test.toldIgnored ? 1 : 0), test.what);
        }
    }

    void aTakenCombinationIsTriedAgainAndReportedOncePerTrigger()
    {
        Rig rig;
        TriggerAlerts alerts(rig.manager, rig.platform.notes);
        QSignalSpy changes(&rig.manager, &HotkeyManager::stateChanged);
        FakeHotKeys &keys = rig.platform.keys;
        keys.refused.insert({13, 0x1800});
        rig.manager.apply(ctrlOptW);
        QCOMPARE(triggerProblem(rig.manager), ctrlOptW.readableName() + QStringLiteral(" is taken by another program"));

        // Tried again by hand and at a keyboard mapping change, still held elsewhere: one
        // line in the log, one notification, no change to report.
        rig.manager.retry();
        emit keys.keyboardMappingChanged();
        QCOMPARE(keys.log.size(), 3);
        QCOMPARE(rig.log.lines, QStringList{chordFailed});
        QCOMPARE(changes.size(), 1);
        QCOMPARE(rig.platform.notes.shown.size(), 1);
        QVERIFY(rig.platform.notes.shown[0].body.startsWith(triggerProblem(rig.manager)));

        // Let go by the other program: the next mapping change takes it, and says so (the
        // X11 trigger tests follow this with a real client holding the grab).
        keys.refused.clear();
        emit keys.keyboardMappingChanged();
        QCOMPARE(rig.platform.notes.shown.size(), 2);

        // Lost when the mapping changed (the backend drops a grab it cannot move): not in
        // effect any more, and told again.
        keys.refused.insert({13, 0x1800});
        keys.registrations.clear();
        emit keys.keyboardMappingChanged();
        QCOMPARE(rig.manager.state(), TriggerState::Taken);
        QCOMPARE(rig.platform.notes.shown.size(), 3);

        // Another trigger that works: nothing to tell, it is not the one that "works again".
        rig.manager.apply(cmdSpace);
        QCOMPARE(rig.manager.state(), TriggerState::Armed);
        QCOMPARE(rig.platform.notes.shown.size(), 3);
        QCOMPARE(changes.size(), 4);
    }

    void triggerMayReapplyItselfWhenItFires()
    {
        Rig rig;
        rig.manager.setOnTrigger([&] {
            ++rig.fires;
            rig.manager.apply(cmdSpace);
        });
        rig.manager.apply(doubleCommand);
        rig.doubleTap(ModifierFlags::command);
        QCOMPARE(rig.fires, 1);
        QVERIFY(!rig.platform.tap.last);

        const quint32 armedId = rig.platform.keys.registrations.at(0).id.id;
        rig.platform.keys.press(49, CarbonModifiers::command);
        QCOMPARE(rig.fires, 2);
        QCOMPARE(rig.platform.keys.registrations.size(), 1);
        QCOMPARE(rig.platform.keys.registrations[0].id.id, armedId + 1);
    }
};

QTEST_GUILESS_MAIN(HotkeyManagerTest)
#include "hotkey_manager_test.moc"
