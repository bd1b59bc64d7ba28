#include "hotkeys/DoubleModifierWatcher.h"
#include "support/FakePlatform.h"
#include "support/LogCapture.h"

#include <QTest>

#include <functional>

using namespace lettergate;

using ModifierKey = HotkeyConfig::ModifierKey;

namespace {

constexpr quint64 cmd = ModifierFlags::command;
constexpr quint64 opt = ModifierFlags::option;
constexpr quint64 ctrl = ModifierFlags::control;
constexpr quint64 shift = ModifierFlags::shift;
constexpr quint64 caps = ModifierFlags::capsLock;

struct Rig;
// What the user does, as the key tap reports it, and time passing: steps played in order.
using Script = QList<std::function<void(Rig &)>>;

// A started watcher on the fake platform, counting what it fires.
struct Rig {
    explicit Rig(ModifierKey modifier)
        : watcher(
            modifier, [this] { ++fires; }, platform.tap, platform.time)
    {
        watcher.start();
    }

    FakeKeyTapSession &session() { return *platform.tap.last; }

    void play(const Script &script)
    {
        for (const auto &step : script)
            step(*this);
    }

    FakePlatform platform;
    LogCapture log;
    int fires = 0;
    DoubleModifierWatcher watcher;
};

const auto flags = [](quint64 value) { return Script{[value](Rig &rig) { rig.session().sendFlags(value); }}; };
const auto keyDown = [] { return Script{[](Rig &rig) { rig.session().sendKeyDown(); }}; };
const auto elapse = [](double seconds) { return Script{[seconds](Rig &rig) { rig.platform.time.advance(seconds); }}; };
// Press and release `modifier` while `held` stays down throughout.
Script tap(quint64 modifier, quint64 held = 0)
{
    return flags(held | modifier) + flags(held);
}
// `count` taps of `modifier`, 0.1 s apart.
Script quickTaps(int count, quint64 modifier, quint64 held = 0)
{
    Script script = tap(modifier, held);
    for (int i = 1; i < count; ++i)
        script += elapse(0.1) + tap(modifier, held);
    return script;
}

} // namespace

class DoubleModifierWatcherTest : public QObject {
    Q_OBJECT
private slots:
    void firesOnTwoCleanPressesWithinTheInterval()
    {
        using enum ModifierKey;
        const struct {
            const char *what;
            ModifierKey watched;
            Script script;
            int fires;
        } rows[] = {
            {"a late press starts a new pair", Command, tap(cmd) + elapse(0.31) + tap(cmd) + elapse(0.25) + tap(cmd),
             1},
            {"press to press, not release to press", Command,
             flags(cmd) + elapse(0.2) + flags(0) + elapse(0.15) + flags(cmd), 0},
            {"⌘C then ⌘", Command, flags(cmd) + keyDown() + flags(0) + elapse(0.1) + tap(cmd), 0},
            {"⌘C then ⌘⌘", Command, flags(cmd) + keyDown() + flags(0) + elapse(0.1) + quickTaps(2, cmd), 1},
            {"⌥ while ⌘ is held", Command,
             flags(cmd) + flags(cmd | opt) + flags(cmd) + flags(0) + elapse(0.2) + tap(cmd), 1},
            {"watched ⌥ while ⌘ is held clears the pending tap", Option,
             tap(opt) + elapse(0.05) + flags(cmd) + flags(cmd | opt) + flags(0) + elapse(0.05) + tap(opt), 0},
            {"⇧ held", Command, quickTaps(2, cmd, shift), 0},
            {"caps lock on", Command, quickTaps(6, cmd, caps), 0},
            {"device-dependent low bits", Command, tap(cmd | 0x8) + elapse(0.1) + tap(cmd | 0x10), 1},
            {"a repeated report of the held key", Command, flags(cmd) + elapse(0.1) + flags(cmd) + flags(0), 0},
            {"a third quick tap starts a new pair", Command, quickTaps(3, cmd), 1},
            {"four taps", Command, quickTaps(4, cmd), 2},
            {"⌃⌃", Control, quickTaps(2, ctrl), 1},
            {"⌘⌘ while watching ⌥", Option, quickTaps(2, cmd), 0},
        };
        for (const auto &row : rows) {
            Rig rig(row.watched);
            rig.play(row.script);
            const QString line = QStringLiteral("[Lettergate] double-tap %1 detected → trigger")
                                     .arg(ModifierKeys::rawValue(row.watched));
            QVERIFY2(rig.log.lines == QStringList(row.fires, line) && rig.fires == row.fires, row.what);
        }
    }

    void firstTapAfterStartNeverFiresEvenRightAfterBoot()
    {
        Rig rig(ModifierKey::Command);
        rig.platform.time.set(0.1);
        rig.play(tap(cmd));
        QCOMPARE(rig.fires, 0);
        rig.play(elapse(0.1) + tap(cmd));
        QCOMPARE(rig.fires, 1);
    }

    // However the tap was disabled, it is enabled again and double taps fire again.
    void aDisabledTapIsReenabled()
    {
        Rig rig(ModifierKey::Command);
        const QString watchdogLine = QStringLiteral(
            "[Lettergate] ⚠️ double-tap watchdog: tap was disabled → re-enabling");
        for (const quint32 type : {4294967294u, 4294967295u})
            rig.session().disableBySystem(type);
        QVERIFY(rig.session().isEnabled());
        QCOMPARE(rig.log.lines.last(),
                 QStringLiteral("[Lettergate] ⚠️ double-tap tap disabled (type=4294967295) → re-enabling"));
        rig.play(quickTaps(2, cmd));
        QCOMPARE(rig.fires, 1);

        // The health check leaves a healthy tap alone and enables a silently disabled one once.
        rig.log.clear();
        const int enables = rig.session().enableCount;
        rig.watcher.checkTapHealth();
        QCOMPARE(rig.session().enableCount, enables);
        rig.session().disableSilently();
        rig.watcher.checkTapHealth();
        rig.watcher.checkTapHealth();
        QVERIFY(rig.session().isEnabled());
        QCOMPARE(rig.log.lines, QStringList{watchdogLine});

        // The health timer runs that check without being asked.
        rig.log.clear();
        rig.session().disableSilently();
        QTRY_VERIFY_WITH_TIMEOUT(rig.session().isEnabled(), 6000);
        QCOMPARE(rig.log.lines, QStringList{watchdogLine});
    }

    void stopOrDestructionReleasesTheTap()
    {
        Rig rig(ModifierKey::Command);
        rig.watcher.start(); // already started: keeps its tap
        QCOMPARE(rig.platform.tap.creations, 1);
        rig.play(tap(cmd));
        rig.watcher.stop();
        QVERIFY(!rig.platform.tap.last);
        rig.watcher.checkTapHealth();
        QVERIFY(rig.log.lines.isEmpty());
        rig.watcher.start();
        rig.play(elapse(0.5) + quickTaps(2, cmd));
        QCOMPARE(rig.fires, 1);
    }

    void theActionMayDestroyTheWatcherAndDestructionReleasesTheTap()
    {
        FakePlatform platform;
        std::unique_ptr<DoubleModifierWatcher> watcher = std::make_unique<DoubleModifierWatcher>(
            ModifierKey::Command, [&] { watcher.reset(); }, platform.tap, platform.time);
        watcher->start();
        QPointer<FakeKeyTapSession> session = platform.tap.last;
        session->sendFlags(cmd);
        session->sendFlags(0);
        platform.time.advance(0.1);
        session->sendFlags(cmd);
        QVERIFY(!watcher);
        QVERIFY(!session);
    }
};

QTEST_GUILESS_MAIN(DoubleModifierWatcherTest)
#include "double_modifier_watcher_test.moc"
