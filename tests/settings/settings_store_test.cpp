#include "SettingsTestSupport.h"

#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>

using AppTextMap = SettingsStore::AppTextMap;
using ModifierKey = HotkeyConfig::ModifierKey;

namespace {

QStringList listKeys(const SettingsStore &store)
{
    return {store.clipboardKey(), store.snippetKey(), store.linkKey(), store.commandKey()};
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
    QStringList keys;
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
    void firstLaunchHoldsTheDefaultsAndTicksOnce()
    {
        TestEnvironment environment;
        Launch launch(Paths::settingsFile(), Launch::Load::Later);
        QSignalSpy taskbar(&launch.store, &SettingsStore::taskbarPresenceRequested);
        launch.store.load();

        const SettingsStore &store = launch.store;
        QVERIFY(store.letters().isEmpty());
        QVERIFY(store.names().isEmpty());
        QCOMPARE(store.hotkey(), HotkeyConfig::defaultTrigger());
        QCOMPARE(listKeys(store), QStringList({"v", "b", "q", "m"}));
        QCOMPARE(store.clipboardHistoryLimit(), 20);
        QCOMPARE(store.showInDock(), false);
        QCOMPARE(taskbar.count(), 1);
        QCOMPARE(taskbar.first().first(), QVariant(false));
        QCOMPARE(launch.tick(), 1);
        // With no stored limit the history keeps its own default; loading arms nothing.
        QVERIFY(launch.history.limits.isEmpty());
        QVERIFY(launch.armer.applied.empty());
    }

    void storedLimitIsClampedPushedAndWrittenBack_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("in range") << QByteArray("7") << 7;
        QTest::newRow("zero") << QByteArray("0") << 1;
        QTest::newRow("negative") << QByteArray("-3") << 1;
        QTest::newRow("fifty-one") << QByteArray("51") << 50;
        QTest::newRow("beyond int") << QByteArray("99999999999") << 50;
        QTest::newRow("not a number") << QByteArray("garbage") << 1;
        QTest::newRow("fraction") << QByteArray("2.5") << 1;
        QTest::newRow("list") << QByteArray("3, 4") << 1;
        QTest::newRow("empty") << QByteArray("") << 1;
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
        QTest::addColumn<QStringList>("expected");
        // What the one warning reports; empty when the file needed no repair.
        QTest::addColumn<QString>("repairs");
        QTest::newRow("first character, lower-cased")
            << QByteArray("Lettergate.clipboardKey=Xyz") << QStringList{"x", "b", "q", "m"} << QString();
        QTest::newRow("empty keeps the default")
            << QByteArray("Lettergate.clipboardKey=") << QStringList{"v", "b", "q", "m"} << QString();
        QTest::newRow("all four chosen")
            << QByteArray("Lettergate.clipboardKey=c\nLettergate.snippetKey=s\n"
                          "Lettergate.linkKey=l\nLettergate.commandKey=k")
            << QStringList{"c", "s", "l", "k"} << QString();
        QTest::newRow("a digit, which picks an entry")
            << QByteArray("Lettergate.commandKey=7") << QStringList{"v", "b", "q", "m"}
            << "the command key is now m";
        QTest::newRow("a letter with a combining accent")
            << QByteArray("Lettergate.snippetKey=e\xCC\x81x") << QStringList{"v", "b", "q", "m"}
            << "the snippet key is now b";
        QTest::newRow("outside the basic plane")
            << QByteArray("Lettergate.linkKey=\xF0\x9F\x98\x80z") << QStringList{"v", "b", "q", "m"}
            << "the link key is now q";
        QTest::newRow("a list is not a key")
            << QByteArray("Lettergate.commandKey=k, l") << QStringList{"v", "b", "q", "m"}
            << "the command key is now m";
        QTest::newRow("the later of two equal keys falls back")
            << QByteArray("Lettergate.clipboardKey=c\nLettergate.linkKey=C") << QStringList{"c", "b", "q", "m"}
            << "the link key is now q";
        QTest::newRow("three lists on one key")
            << QByteArray("Lettergate.clipboardKey=v\nLettergate.linkKey=v\nLettergate.commandKey=v")
            << QStringList{"v", "b", "q", "m"} << "the link key is now q, the command key is now m";
        QTest::newRow("a chosen key holds another's default")
            << QByteArray("Lettergate.clipboardKey=q") << QStringList{"q", "b", "a", "m"} << "the link key is now a";
        QTest::newRow("the default given up skips app letters")
            << QByteArray("Lettergate.commandKey=b\n[Lettergate.appLetters]\napp.a=a\napp.c=C")
            << QStringList{"v", "d", "q", "b"} << "the snippet key is now d";
        QTest::newRow("a clash whose default is taken")
            << QByteArray("Lettergate.clipboardKey=m\nLettergate.commandKey=m") << QStringList{"m", "b", "q", "a"}
            << "the command key is now a";
    }

    void listKeysThatClashOrAreNotLettersAreRepairedAtLoad()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QStringList, expected);
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
        Launch next(freshCopyOfSettingsFile());
        QCOMPARE(listKeys(next.store), expected);
        QVERIFY(log.lines.isEmpty());
        QCOMPARE(launch.store.setQuickKeys("x", "y"), KeyValidation::ok());
        QCOMPARE(listKeys(Launch(freshCopyOfSettingsFile()).store).mid(2), expected.mid(2));
    }

    void storedTriggerLoadsOrLeavesTheDefault_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<HotkeyConfig>("expected");
        QTest::newRow("double tap") << iniQuoted(R"({"doubleModifier":{"_0":"option"}})")
                                    << HotkeyConfig::doubleModifier(ModifierKey::Option);
        QTest::newRow("combo") << iniQuoted(R"({"combo":{"keyCode":49,"carbonModifiers":256}})")
                               << HotkeyConfig::combo(49, 0x100);
        QTest::newRow("as bytes") << iniQuoted(R"(@ByteArray({"combo":{"keyCode":0,"carbonModifiers":512}}))")
                                  << HotkeyConfig::combo(0, 0x200);
        QTest::newRow("not json") << QByteArray("not json") << HotkeyConfig::defaultTrigger();
        QTest::newRow("no case") << QByteArray("{}") << HotkeyConfig::defaultTrigger();
        QTest::newRow("unknown modifier") << iniQuoted(R"({"doubleModifier":{"_0":"fn"}})")
                                          << HotkeyConfig::defaultTrigger();
        QTest::newRow("quotes left out") << QByteArray(R"({"combo":{"keyCode":49,"carbonModifiers":256}})")
                                         << HotkeyConfig::defaultTrigger();
    }

    void storedTriggerLoadsOrLeavesTheDefault()
    {
        QFETCH(QByteArray, stored);
        QFETCH(HotkeyConfig, expected);
        TestEnvironment environment;
        writeSettingsFile("[General]\nLettergate.hotkey=" + stored + "\n");
        const QVariant before = QSettings(freshCopyOfSettingsFile(), QSettings::IniFormat).value(SettingsStore::hotkeyKey);

        Launch launch;
        QCOMPARE(launch.store.hotkey(), expected);
        QVERIFY(launch.armer.applied.empty());
        // Whatever was stored stays until the user sets a trigger.
        const QVariant after = QSettings(freshCopyOfSettingsFile(), QSettings::IniFormat).value(SettingsStore::hotkeyKey);
        QCOMPARE(after, before);
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
        QTest::addColumn<QStringList>("keysAfter");
        const AppTextMap none;
        const AppTextMap safari{{"com.example.safari", "s"}};
        const QStringList defaults{"v", "b", "q", "m"};
        const auto row = [&](const char *name, const char *setter, const QStringList &typed, const AppTextMap &letters,
                             KeyValidation expected, const QStringList &keysAfter) {
            QTest::newRow(name) << setter << typed << QStringList() << letters << expected << keysAfter;
        };

        row("same key twice", "quick", {"a", "a"}, none, KeyValidation::notDistinct(), defaults);
        row("clipboard is the link key", "quick", {"q", "b"}, none, KeyValidation::notDistinct(), defaults);
        row("snippet is the link key", "quick", {"x", "Q"}, none, KeyValidation::notDistinct(), defaults);
        row("clipboard is the command key", "quick", {"m", "x"}, none, KeyValidation::notDistinct(), defaults);
        row("snippet is the command key", "quick", {"x", "M"}, none, KeyValidation::notDistinct(), defaults);
        row("digit", "quick", {"1", "b"}, none, KeyValidation::notALetter(), defaults);
        row("digit for the snippet", "quick", {"x", "2"}, none, KeyValidation::notALetter(), defaults);
        row("combining accent", "quick", {"e\u0301", "b"}, none, KeyValidation::notALetter(), defaults);
        row("nothing typed", "quick", {"", "b"}, none, KeyValidation::notALetter(), defaults);
        row("app letter for the clipboard", "quick", {"s", "b"}, safari, KeyValidation::conflict('s'), defaults);
        row("app letter for the snippet", "quick", {"x", "S"}, safari, KeyValidation::conflict('s'), defaults);
        row("first character of a stored letter", "quick", {"x", "y"}, {{"app.y", "yes"}},
            KeyValidation::conflict('y'), defaults);
        row("accepted, lower-cased, first character", "quick", {"X", "Yz"}, {{"app.s", "s"}, {"app.none", ""}},
            KeyValidation::ok(), {"x", "y", "q", "m"});
        row("the pair swapped", "quick", {"b", "v"}, none, KeyValidation::ok(), {"b", "v", "q", "m"});
        row("link is the clipboard key", "link", {"V"}, none, KeyValidation::notDistinct(), defaults);
        QTest::newRow("link V once the clipboard key has left it")
            << "link" << QStringList{"V"} << QStringList{"c", "b"} << none << KeyValidation::ok()
            << QStringList{"c", "b", "v", "m"};
        row("link is the snippet key", "link", {"b"}, none, KeyValidation::notDistinct(), defaults);
        row("link is the command key", "link", {"m"}, none, KeyValidation::notDistinct(), defaults);
        row("command is the link key", "command", {"Q"}, none, KeyValidation::notDistinct(), defaults);
        row("command is the clipboard key", "command", {"v"}, none, KeyValidation::notDistinct(), defaults);
        row("command a digit", "command", {"7"}, none, KeyValidation::notALetter(), defaults);
        row("link an app letter", "link", {"s"}, {{"app.s", "s"}}, KeyValidation::conflict('s'), defaults);
        row("command accepted", "command", {"Z"}, none, KeyValidation::ok(), {"v", "b", "q", "z"});
        row("link set to itself", "link", {"q"}, none, KeyValidation::ok(), defaults);
    }

    void listKeySettersRefuseClashesAndStoreLowerCase()
    {
        QFETCH(QString, setter);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, quickKeysFirst);
        QFETCH(AppTextMap, letters);
        QFETCH(KeyValidation, expected);
        QFETCH(QStringList, keysAfter);
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
        QCOMPARE(launch.store.listKeys(), QSet<QString>(keysAfter.cbegin(), keysAfter.cend()));
        if (!expected.isOk()) {
            QCOMPARE(Snapshot(launch), before);
            return;
        }
        QCOMPARE(launch.tick(), before.tick + 1);
        Launch next(freshCopyOfSettingsFile());
        QCOMPARE(listKeys(next.store), keysAfter);
    }

    void applyLetters_data()
    {
        QTest::addColumn<AppTextMap>("before");
        QTest::addColumn<AppTextMap>("typed");
        QTest::addColumn<KeyValidation>("expected");
        QTest::addColumn<AppTextMap>("after");
        const AppTextMap notes{{"app.notes", "n"}};

        QTest::newRow("Ab stores a") << AppTextMap() << AppTextMap{{"app.a", "Ab"}} << KeyValidation::ok()
                                     << AppTextMap{{"app.a", "a"}};
        QTest::newRow("empty text keeps the entry without a letter")
            << notes << AppTextMap{{"app.notes", ""}} << KeyValidation::ok() << AppTextMap{{"app.notes", ""}};
        QTest::newRow("digit") << notes << AppTextMap{{"app.notes", "7"}} << KeyValidation::notALetter() << notes;
        QTest::newRow("one bad entry stops all")
            << notes << AppTextMap{{"app.notes", "p"}, {"app.other", "\u00C9"}} << KeyValidation::notALetter() << notes;
        QTest::newRow("two apps given x")
            << notes << AppTextMap{{"app.one", "x"}, {"app.two", "X"}} << KeyValidation::notDistinct() << notes;
        QTest::newRow("apps without letters never collide")
            << AppTextMap() << AppTextMap{{"app.one", ""}, {"app.two", ""}} << KeyValidation::ok()
            << AppTextMap{{"app.one", ""}, {"app.two", ""}};
        QTest::newRow("the command key") << notes << AppTextMap{{"app.notes", "m"}} << KeyValidation::conflict('m') << notes;
        QTest::newRow("conflicts reported in map order")
            << notes << AppTextMap{{"app.b", "v"}, {"app.a", "q"}} << KeyValidation::conflict('q') << notes;
        QTest::newRow("apps not given keep their letters")
            << notes << AppTextMap{{"app.safari", "S"}} << KeyValidation::ok()
            << AppTextMap{{"app.notes", "n"}, {"app.safari", "s"}};
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
        writeSettingsFile("[General]\n"
                          "Lettergate.commandKey=x\n"
                          "\n"
                          "[Lettergate.appLetters]\n"
                          "app.clip=v\n"
                          "app.cmd=Xylophone\n"
                          "app.kept=m\n"
                          "app.none=\n"
                          "app.safari=s\n"
                          "\n"
                          "[Lettergate.appNames]\n"
                          "app.clip=Clip\n");

        Launch launch;
        const AppTextMap kept{{"app.kept", "m"}, {"app.none", ""}, {"app.safari", "s"}};
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

    void taskbarChoiceIsStoredAndAnnounced()
    {
        TestEnvironment environment;
        Launch launch;
        QSignalSpy taskbar(&launch.store, &SettingsStore::taskbarPresenceRequested);
        QSignalSpy published(&launch.store, &SettingsStore::showInDockChanged);

        launch.store.setShowInDock(true);
        launch.store.setShowInDock(true);
        QCOMPARE(launch.store.showInDock(), true);
        QCOMPARE(taskbar.count(), 2); // applied every time, changed or not
        QCOMPARE(taskbar.last().first(), QVariant(true));
        QCOMPARE(published.count(), 1);
        QCOMPARE(launch.tick(), 3);

        Launch next(freshCopyOfSettingsFile(), Launch::Load::Later);
        QSignalSpy nextTaskbar(&next.store, &SettingsStore::taskbarPresenceRequested);
        next.store.load();
        QCOMPARE(next.store.showInDock(), true);
        QCOMPARE(nextTaskbar.count(), 1);
        QCOMPARE(nextTaskbar.first().first(), QVariant(true));
        QCOMPARE(next.tick(), 1);
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "settings_store_test.moc"
