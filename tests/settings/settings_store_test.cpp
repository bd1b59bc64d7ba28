#include "SettingsTestSupport.h"

#include "hotkeys/HotkeyManager.h"
#include "support/FakePlatform.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>

using AppTextMap = SettingsStore::AppTextMap;
using ModifierKey = HotkeyConfig::ModifierKey;

namespace {

// The clipboard, snippet, link and command keys in that order, as one string ("vbqm").
QString listKeys(const SettingsStore &store)
{
    return store.clipboardKey() + store.snippetKey() + store.linkKey() + store.commandKey();
}

// A value as QSettings writes text holding commas: in double quotes, inner quotes escaped.
QByteArray iniQuoted(QByteArray text)
{
    return '"' + text.replace('"', "\\\"") + '"';
}

// Everything a rejected edit must leave alone.
struct Snapshot {
    explicit Snapshot(const Launch &launch)
        : file(settingsFileText())
        , tick(launch.tick())
        , keys(listKeys(launch.store))
        , letters(launch.store.letters())
        , names(launch.store.names())
    {
    }
    friend bool operator==(const Snapshot &, const Snapshot &) = default;

    QByteArray file;
    int tick;
    QString keys;
    AppTextMap letters;
    AppTextMap names;
};

// Gives some apps stored letters before the case under test, as earlier runs would have.
void storeLetters(SettingsStore &store, const AppTextMap &letters)
{
    store.setLetters(letters);
    store.saveLetters();
}

} // namespace

class SettingsStoreTest : public QObject {
    Q_OBJECT
private slots:
    void storedLimitIsClampedPushedAndWrittenBack_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("in range") << QByteArray("7") << 7;
        QTest::newRow("zero") << QByteArray("0") << 1;
        QTest::newRow("fifty-one") << QByteArray("51") << 50;
        QTest::newRow("not a number") << QByteArray("garbage") << 1;
    }
    void storedLimitIsClampedPushedAndWrittenBack()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, expected);
        TestEnvironment environment;
        writeSettingsFile("[General]\nLettergate.clipboardHistoryLimit=" + stored + "\n");

        Launch launch;
        QCOMPARE(launch.store.clipboardHistoryLimit(), expected);
        QCOMPARE(launch.history.limits, QList<int>{expected});
        QCOMPARE(launch.tick(), 2); // the limit observer, then the taskbar observer
        const QSettings onDisk(freshCopyOfSettingsFile(), QSettings::IniFormat);
        QCOMPARE(onDisk.value(SettingsStore::historyLimitKey).toString(), QString::number(expected));
    }

    void listKeysThatClashOrAreNotLettersAreRepairedAtLoad_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("expected");
        // What the one warning reports; empty when the file needed no repair.
        QTest::addColumn<QString>("repairs");
        const auto row = [](const char *name, const char *lines, const char *expected, const char *repairs = "") {
            QTest::newRow(name) << QByteArray(lines) << QString(expected) << QString(repairs);
        };
        row("first character, lower-cased", "Lettergate.clipboardKey=Xyz", "xbqm");
        row("empty keeps the default", "Lettergate.clipboardKey=", "vbqm");
        row("a digit, which picks an entry", "Lettergate.commandKey=7", "vbqm", "the command key is now m");
        row("a letter with a combining accent", "Lettergate.snippetKey=e\xCC\x81x", "vbqm", "the snippet key is now b");
        row("a list is not a key", "Lettergate.commandKey=k, l", "vbqm", "the command key is now m");
        row("the later of two equal keys falls back", "Lettergate.clipboardKey=c\nLettergate.linkKey=C", "cbqm",
            "the link key is now q");
        row("a chosen key holds another's default", "Lettergate.clipboardKey=q", "qbam", "the link key is now a");
        row("the default given up skips app letters",
            "Lettergate.commandKey=b\n[Lettergate.appLetters]\napp.a=a\napp.c=C", "vdqb", "the snippet key is now d");
        row("a clash whose default is taken", "Lettergate.clipboardKey=m\nLettergate.commandKey=m", "mbqa",
            "the command key is now a");
    }
    void listKeysThatClashOrAreNotLettersAreRepairedAtLoad()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QString, expected);
        QFETCH(QString, repairs);
        TestEnvironment environment;
        writeSettingsFile("[General]\n" + lines + "\n");
        LogCapture log;

        Launch launch;
        QCOMPARE(listKeys(launch.store), expected);
        QCOMPARE(launch.store.listKeys().size(), 4);
        QCOMPARE(launch.tick(), 1); // a repair is not the user's save
        const QStringList warnings = repairs.isEmpty()
            ? QStringList()
            : QStringList{QStringLiteral("[Lettergate] ⚠️ List keys in the settings file %1 clash or are not letters: %2")
                              .arg(Paths::settingsFile(), repairs)};
        QCOMPARE(log.lines, warnings);

        // The repair is written back, so the next start is quiet and a later save of one
        // key cannot bring the clash back.
        log.clear();
        QCOMPARE(listKeys(Launch(freshCopyOfSettingsFile()).store), expected);
        QVERIFY(log.lines.isEmpty());
        QCOMPARE(launch.store.setQuickKeys("x", "y"), KeyValidation::ok());
        QCOMPARE(listKeys(Launch(freshCopyOfSettingsFile()).store).mid(2), expected.mid(2));
    }

    void storedTriggerLoadsOrLeavesTheDefault_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<HotkeyConfig>("expected");
        // The log name of a trigger refused because it would swallow typing; empty for none.
        QTest::addColumn<QString>("refused");
        QTest::newRow("as text") << iniQuoted(R"({"combo":{"keyCode":49,"carbonModifiers":256}})")
                                 << HotkeyConfig::combo(49, 0x100) << QString();
        QTest::newRow("as bytes") << iniQuoted(R"(@ByteArray({"combo":{"keyCode":0,"carbonModifiers":4608}}))")
                                  << HotkeyConfig::combo(0, 0x1200) << QString();
        QTest::newRow("not json") << QByteArray("not json") << HotkeyConfig::defaultTrigger() << QString();
        QTest::newRow("Shift alone") << iniQuoted(R"({"combo":{"keyCode":0,"carbonModifiers":512}})")
                                     << HotkeyConfig::defaultTrigger() << QStringLiteral("⇧A");
        QTest::newRow("a letter alone") << iniQuoted(R"({"combo":{"keyCode":0,"carbonModifiers":0}})")
                                        << HotkeyConfig::defaultTrigger() << QStringLiteral("A");
        QTest::newRow("double tap of Shift") << iniQuoted(R"({"doubleModifier":{"_0":"shift"}})")
                                             << HotkeyConfig::doubleModifier(ModifierKey::Shift) << QString();
    }
    void storedTriggerLoadsOrLeavesTheDefault()
    {
        QFETCH(QByteArray, stored);
        QFETCH(HotkeyConfig, expected);
        QFETCH(QString, refused);
        TestEnvironment environment;
        writeSettingsFile("[General]\nLettergate.hotkey=" + stored + "\n");
        const auto storedValue = [] {
            return QSettings(freshCopyOfSettingsFile(), QSettings::IniFormat).value(SettingsStore::hotkeyKey);
        };
        const QVariant before = storedValue();
        LogCapture log;

        Launch launch;
        QCOMPARE(launch.store.hotkey(), expected);
        QVERIFY(launch.armer.applied.empty());
        const QStringList warnings = refused.isEmpty()
            ? QStringList()
            : QStringList{QStringLiteral("[Lettergate] ⚠️ The trigger %1 in the settings file %2 holds none of Ctrl, "
                                         "Alt, Super and would swallow typing; ⌃⌥W is used instead")
                              .arg(refused, Paths::settingsFile())};
        QCOMPARE(log.lines, warnings);
        // Whatever was stored stays until the user sets a trigger, a refused one too: the
        // file is the user's, and the warning says what is in effect instead.
        QCOMPARE(storedValue(), before);

        // What the start-up then grabs: the trigger in effect, never the refused one.
        FakePlatform platform;
        HotkeyManager manager(platform.keys, platform.tap, platform.time);
        manager.setOnTrigger([] {});
        manager.apply(launch.store.hotkey());
        if (expected.kind() == HotkeyConfig::Kind::Combo) {
            QCOMPARE(platform.keys.registrations.size(), 1);
            QCOMPARE(std::pair(platform.keys.registrations[0].keyCode, platform.keys.registrations[0].modifiers),
                     std::pair(expected.keyCode(), expected.carbonModifiers()));
        }
    }

    void setHotkeyPublishesRearmsStoresAndTicks()
    {
        TestEnvironment environment;
        Launch launch;
        QSignalSpy published(&launch.store, &SettingsStore::hotkeyChanged);
        const HotkeyConfig doubleTap = HotkeyConfig::doubleModifier(ModifierKey::Command);

        launch.store.setHotkey(doubleTap);
        QCOMPARE(launch.store.hotkey(), doubleTap);
        QCOMPARE(published.count(), 1);
        QCOMPARE(launch.armer.applied.size(), size_t(1));
        QCOMPARE(launch.armer.applied.back(), doubleTap);
        QCOMPARE(launch.tick(), 2);

        // Setting the same trigger again changes nothing visible, but is still re-armed
        // and confirmed.
        launch.store.setHotkey(doubleTap);
        QCOMPARE(published.count(), 1);
        QCOMPARE(launch.armer.applied.size(), size_t(2));
        QCOMPARE(launch.tick(), 3);

        const HotkeyConfig combo = HotkeyConfig::combo(49, 0x300);
        launch.store.setHotkey(combo);
        Launch next(freshCopyOfSettingsFile());
        QCOMPARE(next.store.hotkey(), combo);
        QVERIFY(next.armer.applied.empty());
    }

    void listKeySettersRefuseClashesAndStoreLowerCase_data()
    {
        QTest::addColumn<QString>("setter"); // "quick" (clipboard and snippet), "link" or "command"
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("quickKeysFirst");
        QTest::addColumn<AppTextMap>("letters");
        QTest::addColumn<KeyValidation>("expected");
        QTest::addColumn<QString>("keysAfter");
        const AppTextMap none;
        const AppTextMap safari{{"com.example.safari", "s"}};
        const auto row = [](const char *name, const char *setter, const QStringList &typed, const AppTextMap &letters,
                            KeyValidation expected, const char *keysAfter = "vbqm") {
            QTest::newRow(name) << setter << typed << QStringList() << letters << expected << QString(keysAfter);
        };

        row("same key twice", "quick", {"a", "a"}, none, KeyValidation::notDistinct());
        row("clipboard is the link key", "quick", {"q", "b"}, none, KeyValidation::notDistinct());
        row("snippet is the command key", "quick", {"x", "M"}, none, KeyValidation::notDistinct());
        row("digit", "quick", {"1", "b"}, none, KeyValidation::notALetter());
        row("nothing typed", "quick", {"", "b"}, none, KeyValidation::notALetter());
        row("link an app letter", "link", {"s"}, {{"app.s", "s"}}, KeyValidation::conflict('s'));
        row("app letter for the clipboard", "quick", {"s", "b"}, safari, KeyValidation::conflict('s'));
        row("first character of a stored letter", "quick", {"x", "y"}, {{"app.y", "yes"}}, KeyValidation::conflict('y'));
        row("accepted, lower-cased, first character", "quick", {"X", "Yz"}, {{"app.s", "s"}, {"app.none", ""}},
            KeyValidation::ok(), "xyqm");
        row("the pair swapped", "quick", {"b", "v"}, none, KeyValidation::ok(), "bvqm");
        row("link is the clipboard key", "link", {"V"}, none, KeyValidation::notDistinct());
        QTest::newRow("link V once the clipboard key has left it")
            << "link" << QStringList{"V"} << QStringList{"c", "b"} << none << KeyValidation::ok() << "cbvm";
        row("link is the command key", "link", {"m"}, none, KeyValidation::notDistinct());
        row("command is the link key", "command", {"Q"}, none, KeyValidation::notDistinct());
        row("command accepted", "command", {"Z"}, none, KeyValidation::ok(), "vbqz");
        row("link set to itself", "link", {"q"}, none, KeyValidation::ok());
    }
    void listKeySettersRefuseClashesAndStoreLowerCase()
    {
        QFETCH(QString, setter);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, quickKeysFirst);
        QFETCH(AppTextMap, letters);
        QFETCH(KeyValidation, expected);
        QFETCH(QString, keysAfter);
        TestEnvironment environment;
        Launch launch;
        storeLetters(launch.store, letters);
        if (!quickKeysFirst.isEmpty())
            QCOMPARE(launch.store.setQuickKeys(quickKeysFirst[0], quickKeysFirst[1]), KeyValidation::ok());
        const Snapshot before(launch);

        const KeyValidation result = setter == u"link"  ? launch.store.setLinkKey(typed[0])
                                   : setter == u"command" ? launch.store.setCommandKey(typed[0])
                                                          : launch.store.setQuickKeys(typed[0], typed[1]);
        QCOMPARE(result, expected);
        QCOMPARE(listKeys(launch.store), keysAfter);
        // The letters apps must avoid follow every change of a list key.
        const QStringList keysAfterEach = keysAfter.split(QString(), Qt::SkipEmptyParts);
        QCOMPARE(launch.store.listKeys(), QSet<QString>(keysAfterEach.cbegin(), keysAfterEach.cend()));
        if (!expected.isOk()) {
            QCOMPARE(Snapshot(launch), before);
            return;
        }
        QCOMPARE(launch.tick(), before.tick + 1);
        QCOMPARE(listKeys(Launch(freshCopyOfSettingsFile()).store), keysAfter);
    }

    void applyLetters_data()
    {
        QTest::addColumn<AppTextMap>("before");
        QTest::addColumn<AppTextMap>("typed");
        QTest::addColumn<KeyValidation>("expected");
        QTest::addColumn<AppTextMap>("after");
        const AppTextMap notes{{"app.notes", "n"}};
        const auto row = [](const char *name, const AppTextMap &before, const AppTextMap &typed,
                            KeyValidation expected, const AppTextMap &after) {
            QTest::newRow(name) << before << typed << expected << after;
        };
        row("Ab stores a", {}, {{"app.a", "Ab"}}, KeyValidation::ok(), {{"app.a", "a"}});
        row("empty text keeps the entry without a letter", notes, {{"app.notes", ""}}, KeyValidation::ok(),
            {{"app.notes", ""}});
        row("digit", notes, {{"app.notes", "7"}}, KeyValidation::notALetter(), notes);
        row("two apps given x", notes, {{"app.one", "x"}, {"app.two", "X"}}, KeyValidation::notDistinct(), notes);
        row("the command key", notes, {{"app.notes", "m"}}, KeyValidation::conflict('m'), notes);
        row("conflicts reported in map order", notes, {{"app.b", "v"}, {"app.a", "q"}}, KeyValidation::conflict('q'),
            notes);
        row("apps not given keep their letters", notes, {{"app.safari", "S"}}, KeyValidation::ok(),
            {{"app.notes", "n"}, {"app.safari", "s"}});
    }
    void applyLetters()
    {
        QFETCH(AppTextMap, before);
        QFETCH(AppTextMap, typed);
        QFETCH(KeyValidation, expected);
        QFETCH(AppTextMap, after);
        TestEnvironment environment;
        Launch launch;
        storeLetters(launch.store, before);
        launch.store.setNames({{"app.notes", "Notes"}});
        const Snapshot snapshot(launch);

        QCOMPARE(launch.store.applyLetters(typed), expected);
        QCOMPARE(launch.store.letters(), after);
        if (!expected.isOk()) {
            QCOMPARE(Snapshot(launch), snapshot);
            return;
        }
        QCOMPARE(launch.tick(), snapshot.tick + 1);
        // Saving the letters writes the names too.
        Launch next(freshCopyOfSettingsFile());
        QCOMPARE(next.store.letters(), after);
        QCOMPARE(next.store.names(), AppTextMap({{"app.notes", "Notes"}}));
    }

    void loadDropsStoredLettersThatEqualAListKey()
    {
        TestEnvironment environment;
        writeSettingsFile("[General]\nLettergate.commandKey=x\n\n"
                          "[Lettergate.appLetters]\napp.clip=v\napp.cmd=Xylophone\napp.kept=m\napp.none=\napp.safari=s\n\n"
                          "[Lettergate.appNames]\napp.clip=Clip\n");

        const AppTextMap kept{{"app.kept", "m"}, {"app.none", ""}, {"app.safari", "s"}};
        Launch launch;
        QCOMPARE(launch.store.letters(), kept);
        QCOMPARE(launch.store.names(), AppTextMap({{"app.clip", "Clip"}}));
        QCOMPARE(launch.tick(), 1); // the repair is not counted as a save

        Launch next(freshCopyOfSettingsFile());
        QCOMPARE(next.store.letters(), kept);
        QCOMPARE(next.store.names(), AppTextMap({{"app.clip", "Clip"}}));
    }

    void listKeysWinOverAppLetters()
    {
        TestEnvironment environment;
        Launch launch;
        SettingsStore &store = launch.store;
        // A letter equal to a list key can only be held until the next load.
        store.setLetters({{"app.vim", "v"}, {"app.b.second", "s"}, {"app.a.first", "S"}, {"app.silent", ""}});

        QCOMPARE(store.bundleIDForLetter("V"), std::nullopt);
        QCOMPARE(store.bundleIDForLetter("v"), std::nullopt);
        QCOMPARE(store.bundleIDForLetter("s"), std::optional<QString>("app.a.first"));
        QCOMPARE(store.bundleIDForLetter("x"), std::nullopt);
        QCOMPARE(store.bundleIDForLetter(""), std::nullopt);

        QCOMPARE(store.setQuickKeys("c", "b"), KeyValidation::ok());
        QCOMPARE(store.bundleIDForLetter("V"), std::optional<QString>("app.vim"));
        QCOMPARE(store.bundleIDForLetter("C"), std::nullopt);
    }

    void limitSetterClampsStoresPushesAndTicks()
    {
        TestEnvironment environment;
        Launch launch;
        QSignalSpy published(&launch.store, &SettingsStore::clipboardHistoryLimitChanged);

        for (int assigned : {0, 51, 30, 30, -7})
            launch.store.setClipboardHistoryLimit(assigned);
        QCOMPARE(launch.history.limits, QList<int>({1, 50, 30, 30, 1}));
        QCOMPARE(launch.store.clipboardHistoryLimit(), 1);
        QCOMPARE(launch.tick(), 1 + 5);
        // Only clamped values are ever published, and a repeat publishes nothing.
        QCOMPARE(published.count(), 4);
        for (const QList<QVariant> &signal : std::as_const(published))
            QVERIFY(signal.first().toInt() >= 1 && signal.first().toInt() <= 50);

        // Before the history exists the limit is still stored and confirmed.
        launch.store.setHistoryLimitTarget(nullptr);
        launch.store.setClipboardHistoryLimit(12);
        QCOMPARE(launch.history.limits.size(), 5);
        QCOMPARE(launch.tick(), 7);

        Launch next(freshCopyOfSettingsFile());
        QCOMPARE(next.store.clipboardHistoryLimit(), 12);
        QCOMPARE(next.history.limits, QList<int>{12});
    }

    void taskbarChoiceIsAppliedAtEveryLoadAndEveryChange()
    {
        TestEnvironment environment;
        Launch first(Paths::settingsFile(), Launch::Load::Later);
        QSignalSpy firstTaskbar(&first.store, &SettingsStore::taskbarPresenceRequested);
        first.store.load();
        QCOMPARE(firstTaskbar.count(), 1);
        QCOMPARE(firstTaskbar.first().first(), QVariant(false));
        QCOMPARE(first.tick(), 1);
        // With no stored limit the history keeps its own default; loading arms nothing.
        QVERIFY(first.history.limits.isEmpty());
        QVERIFY(first.armer.applied.empty());

        QSignalSpy published(&first.store, &SettingsStore::showInDockChanged);
        first.store.setShowInDock(true);
        first.store.setShowInDock(true);
        QCOMPARE(first.store.showInDock(), true);
        QCOMPARE(firstTaskbar.count(), 3); // applied every time, changed or not
        QCOMPARE(firstTaskbar.last().first(), QVariant(true));
        QCOMPARE(published.count(), 1);
        QCOMPARE(first.tick(), 3);

        Launch next(freshCopyOfSettingsFile(), Launch::Load::Later);
        QSignalSpy nextTaskbar(&next.store, &SettingsStore::taskbarPresenceRequested);
        next.store.load();
        QCOMPARE(nextTaskbar.count(), 1);
        QCOMPARE(nextTaskbar.first().first(), QVariant(true));
        QCOMPARE(next.tick(), 1);
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "settings_store_test.moc"
