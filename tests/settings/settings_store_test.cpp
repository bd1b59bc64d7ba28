#include "SettingsTestSupport.h"

#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>

using namespace lettergate;

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
    // Keys that clash or are not letters are repaired at load, with one warning saying
    // what changed, and written back so the next start is quiet.
    void listKeysThatClashOrAreNotLettersAreRepairedAtLoad()
    {
        const QList<std::tuple<QByteArray, QString, QString>> rows{
            {"Lettergate.clipboardKey=", "vbqm", {}},
            {"Lettergate.commandKey=7", "vbqm", "the command key is now m"},
            {"Lettergate.snippetKey=e\xCC\x81x", "vbqm", "the snippet key is now b"},
            {"Lettergate.commandKey=k, l", "vbqm", "the command key is now m"},
            {"Lettergate.clipboardKey=q", "qbam", "the link key is now a"},
            {"Lettergate.commandKey=b\n[Lettergate.appLetters]\napp.a=a\napp.c=C", "vdqb", "the snippet key is now d"},
            {"Lettergate.clipboardKey=m\nLettergate.commandKey=m", "mbqa", "the command key is now a"},
        };
        for (const auto &[lines, expected, repairs] : rows) {
            TestEnvironment environment;
            writeSettingsFile("[General]\n" + lines + "\n");
            LogCapture log;
            Launch launch;
            QCOMPARE(listKeys(launch.store), expected);
            QCOMPARE(launch.tick(), 1); // a repair is not the user's save
            QCOMPARE(log.lines.join(QString()).section(u':', -1).trimmed(), repairs);
            // A later save of one key cannot bring the clash back.
            log.clear();
            QCOMPARE(launch.store.setQuickKeys("x", "y"), KeyValidation::ok());
            QCOMPARE(listKeys(Launch(freshCopyOfSettingsFile()).store).mid(2), expected.mid(2));
            QVERIFY(log.lines.isEmpty());
        }
    }

    // A trigger that would swallow typing is refused with a warning; whatever was stored
    // stays until the user sets a trigger: the file is the user's.
    void storedTriggerLoadsOrLeavesTheDefault()
    {
        const QList<std::tuple<QByteArray, HotkeyConfig, QString>> rows{
            {iniQuoted(R"({"combo":{"keyCode":49,"carbonModifiers":256}})"), HotkeyConfig::combo(49, 0x100), {}},
            {iniQuoted(R"(@ByteArray({"combo":{"keyCode":0,"carbonModifiers":4608}}))"),
             HotkeyConfig::combo(0, 0x1200),
             {}},
            {"not json", HotkeyConfig::defaultTrigger(), {}},
            {iniQuoted(R"({"combo":{"keyCode":0,"carbonModifiers":512}})"), HotkeyConfig::defaultTrigger(), "⇧A"},
            {iniQuoted(R"({"doubleModifier":{"_0":"shift"}})"), HotkeyConfig::doubleModifier(ModifierKey::Shift), {}},
        };
        for (const auto &[stored, expected, refused] : rows) {
            TestEnvironment environment;
            writeSettingsFile("[General]\nLettergate.hotkey=" + stored + "\n");
            const auto storedValue = [] {
                return QSettings(freshCopyOfSettingsFile(), QSettings::IniFormat).value(SettingsStore::hotkeyKey);
            };
            const QVariant before = storedValue();
            LogCapture log;
            Launch launch;
            QCOMPARE(launch.store.hotkey(), expected);
            QCOMPARE(log.lines.join(QString()).section(u' ', 4, 4),
                     refused); // "[Lettergate] ⚠️ The trigger ⇧A in …"
            QCOMPARE(storedValue(), before);
        }
    }

    // A refused edit leaves everything as it was; an accepted one is lower-cased, saved
    // and confirmed, and the letters apps must avoid follow it.
    void listKeySettersRefuseClashesAndStoreLowerCase()
    {
        struct Row {
            QString setter; // "quick" (clipboard and snippet), "link" or "command"
            QStringList typed;
            AppTextMap letters;
            KeyValidation expected;
            QString keysAfter = QStringLiteral("vbqm");
            QStringList quickKeysFirst = {};
        };
        const QList<Row> rows{
            {"quick", {"a", "a"}, {}, KeyValidation::notDistinct()},
            {"quick", {"x", "M"}, {}, KeyValidation::notDistinct()},
            {"quick", {"1", "b"}, {}, KeyValidation::notALetter()},
            {"quick", {"s", "b"}, {{"com.example.safari", "s"}}, KeyValidation::conflict('s')},
            {"quick", {"x", "y"}, {{"app.y", "yes"}}, KeyValidation::conflict('y')},
            {"quick", {"X", "Yz"}, {{"app.s", "s"}, {"app.none", ""}}, KeyValidation::ok(), "xyqm"},
            {"link", {"V"}, {}, KeyValidation::notDistinct()},
            {"link", {"V"}, {}, KeyValidation::ok(), "cbvm", {"c", "b"}},
            {"command", {"Q"}, {}, KeyValidation::notDistinct()},
            {"command", {"Z"}, {}, KeyValidation::ok(), "vbqz"},
        };
        for (const Row &row : rows) {
            TestEnvironment environment;
            Launch launch;
            storeLetters(launch.store, row.letters);
            if (!row.quickKeysFirst.isEmpty())
                QCOMPARE(launch.store.setQuickKeys(row.quickKeysFirst[0], row.quickKeysFirst[1]), KeyValidation::ok());
            const Snapshot before(launch);
            const KeyValidation result = row.setter == u"link" ? launch.store.setLinkKey(row.typed[0])
                                         : row.setter == u"command"
                                             ? launch.store.setCommandKey(row.typed[0])
                                             : launch.store.setQuickKeys(row.typed[0], row.typed[1]);
            QCOMPARE(result, row.expected);
            const QStringList keysAfterEach = row.keysAfter.split(QString(), Qt::SkipEmptyParts);
            QCOMPARE(launch.store.listKeys(), QSet<QString>(keysAfterEach.cbegin(), keysAfterEach.cend()));
            if (!row.expected.isOk()) {
                QCOMPARE(Snapshot(launch), before);
                continue;
            }
            QCOMPARE(launch.tick(), before.tick + 1);
            QCOMPARE(listKeys(Launch(freshCopyOfSettingsFile()).store), row.keysAfter);
        }
    }

    void applyLetters()
    {
        const AppTextMap notes{{"app.notes", "n"}};
        const QList<std::tuple<AppTextMap, AppTextMap, KeyValidation, AppTextMap>> rows{
            {{}, {{"app.a", "Ab"}}, KeyValidation::ok(), {{"app.a", "a"}}},
            {notes, {{"app.notes", ""}}, KeyValidation::ok(), {{"app.notes", ""}}},
            {notes, {{"app.notes", "7"}}, KeyValidation::notALetter(), notes},
            {notes, {{"app.one", "x"}, {"app.two", "X"}}, KeyValidation::notDistinct(), notes},
            {notes, {{"app.notes", "m"}}, KeyValidation::conflict('m'), notes},
            {notes, {{"app.safari", "S"}}, KeyValidation::ok(), {{"app.notes", "n"}, {"app.safari", "s"}}},
        };
        for (const auto &[before, typed, expected, after] : rows) {
            TestEnvironment environment;
            Launch launch;
            storeLetters(launch.store, before);
            launch.store.setNames({{"app.notes", "Notes"}});
            const Snapshot snapshot(launch);
            QCOMPARE(launch.store.applyLetters(typed), expected);
            QCOMPARE(launch.store.letters(), after);
            if (!expected.isOk()) {
                QCOMPARE(Snapshot(launch), snapshot);
                continue;
            }
            QCOMPARE(launch.tick(), snapshot.tick + 1);
            // Saving the letters writes the names too.
            Launch next(freshCopyOfSettingsFile());
            QCOMPARE(next.store.letters(), after);
            QCOMPARE(next.store.names(), AppTextMap({{"app.notes", "Notes"}}));
        }
    }

    // A stored letter equal to a list key is dropped at load; one set since is only
    // held until then, and the list key wins over it.
    void listKeysWinOverAppLetters()
    {
        TestEnvironment environment;
        writeSettingsFile(
            "[General]\nLettergate.commandKey=x\n\n"
            "[Lettergate.appLetters]\napp.clip=v\napp.cmd=Xylophone\napp.kept=m\napp.none=\napp.safari=s\n\n"
            "[Lettergate.appNames]\napp.clip=Clip\n");

        const AppTextMap kept{{"app.kept", "m"}, {"app.none", ""}, {"app.safari", "s"}};
        Launch launch;
        QCOMPARE(launch.store.letters(), kept);
        QCOMPARE(launch.tick(), 1); // the repair is not counted as a save
        Launch next(freshCopyOfSettingsFile());
        QCOMPARE(next.store.letters(), kept);
        QCOMPARE(next.store.names(), AppTextMap({{"app.clip", "Clip"}}));

        SettingsStore &store = launch.store;
        store.setLetters({{"app.vim", "v"}, {"app.b.second", "s"}, {"app.a.first", "S"}, {"app.silent", ""}});
        QCOMPARE(store.bundleIDForLetter("V"), std::nullopt);
        QCOMPARE(store.bundleIDForLetter("s"), std::optional<QString>("app.a.first"));
        QCOMPARE(store.bundleIDForLetter(""), std::nullopt);
        QCOMPARE(store.setQuickKeys("c", "b"), KeyValidation::ok());
        QCOMPARE(store.bundleIDForLetter("V"), std::optional<QString>("app.vim"));
        QCOMPARE(store.bundleIDForLetter("C"), std::nullopt);
    }

    // Setting the same trigger or limit again changes nothing visible, but is still
    // re-armed or pushed to the history, and confirmed.
    void settersPublishPushStoreAndTick()
    {
        TestEnvironment environment;
        Launch launch;
        QSignalSpy triggers(&launch.store, &SettingsStore::hotkeyChanged);
        QSignalSpy limits(&launch.store, &SettingsStore::clipboardHistoryLimitChanged);
        const HotkeyConfig doubleTap = HotkeyConfig::doubleModifier(ModifierKey::Command);
        launch.store.setHotkey(doubleTap);
        launch.store.setHotkey(doubleTap);
        QCOMPARE(triggers.count(), 1);
        QCOMPARE(launch.armer.applied, std::vector<HotkeyConfig>(2, doubleTap));
        QCOMPARE(launch.tick(), 1 + 2);

        for (int assigned : {0, 51, 30, 30, -7})
            launch.store.setClipboardHistoryLimit(assigned);
        QCOMPARE(launch.history.limits, QList<int>({1, 50, 30, 30, 1}));
        QCOMPARE(launch.tick(), 3 + 5);
        // Only clamped values are ever published, and a repeat publishes nothing.
        QCOMPARE(limits.count(), 4);

        // Before the history exists the limit is still stored and confirmed.
        launch.store.setHistoryLimitTarget(nullptr);
        launch.store.setClipboardHistoryLimit(12);
        QCOMPARE(launch.history.limits.size(), 5);
        QCOMPARE(launch.tick(), 9);

        const Launch next(freshCopyOfSettingsFile());
        QCOMPARE(next.store.hotkey(), doubleTap);
        QCOMPARE(next.history.limits, QList<int>{12});
    }

    void taskbarChoiceIsAppliedAtEveryLoadAndEveryChange()
    {
        TestEnvironment environment;
        QList<QVariant> requested;
        for (const bool stored : {false, true}) {
            Launch launch(stored ? freshCopyOfSettingsFile() : Paths::settingsFile(), Launch::Load::Later);
            QSignalSpy taskbar(&launch.store, &SettingsStore::taskbarPresenceRequested);
            launch.store.load();
            launch.store.setShowInDock(true);
            launch.store.setShowInDock(true); // applied every time, changed or not
            for (const QList<QVariant> &request : taskbar)
                requested << request.first();
            // With no stored limit the history keeps its own default.
            QVERIFY(launch.history.limits.isEmpty());
        }
        QCOMPARE(requested, QVariantList({false, true, true, true, true, true}));
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "settings_store_test.moc"
