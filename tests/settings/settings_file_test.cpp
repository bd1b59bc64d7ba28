#include "SettingsTestSupport.h"

#include <sys/stat.h>

#include "platform/UnreadableCopies.h"
#include "support/HostileFiles.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

using AppTextMap = SettingsStore::AppTextMap;

namespace {


// A value for every kind of garbage a settings key may hold by hand or by damage.
QByteArray garbageFile(const QByteArray &value)
{
    return "[General]\n"
           "Lettergate.hotkey=" + value + "\n"
           "Lettergate.clipboardKey=" + value + "\n"
           "Lettergate.snippetKey=" + value + "\n"
           "Lettergate.linkKey=" + value + "\n"
           "Lettergate.commandKey=" + value + "\n"
           "Lettergate.clipboardHistoryLimit=" + value + "\n"
           "Lettergate.showInDock=" + value + "\n"
           "[Lettergate.appLetters]\n"
           "org.example.One.desktop=" + value + "\n"
           "[Lettergate.appNames]\n"
           "org.example.One.desktop=" + value + "\n"
           "[Lettergate.appPasteKeys]\n"
           "org.example.One.desktop=" + value + "\n";
}


// The paste keystrokes' group as written: its header and lines, up to the next group.
QByteArray pasteKeysGroup(const QByteArray &file)
{
    const qsizetype start = file.indexOf("[Lettergate.appPasteKeys]");
    if (start < 0)
        return {};
    const qsizetype next = file.indexOf("\n[", start);
    return file.mid(start, next < 0 ? -1 : next + 1 - start);
}

} // namespace

// How the settings look on disk: a private file a person can read and edit, which keeps
// every identifier exactly, survives garbage in every key and is never silently lost.
class SettingsFileTest : public QObject {
    Q_OBJECT
private slots:
    void settingsAreReadableLines()
    {
        TestEnvironment environment;
        LogCapture log;
        Launch launch;
        QCOMPARE(settingsFileText(), QByteArray("[General]\nLettergate.showInDock=false\n"));

        SettingsStore &store = launch.store;
        store.setHotkey(HotkeyConfig::doubleModifier(HotkeyConfig::ModifierKey::Command));
        QCOMPARE(store.setQuickKeys("c", "s"), KeyValidation::ok());
        QCOMPARE(store.setCommandKey("k"), KeyValidation::ok());
        store.setClipboardHistoryLimit(30);
        store.setNames({{"org.gnome.Terminal.desktop", "Terminal"}, {"firefox-esr.desktop", "Firefox ESR"}});
        QCOMPARE(store.applyLetters({{"org.gnome.Terminal.desktop", "t"}, {"firefox-esr.desktop", ""}}),
                 KeyValidation::ok());

        QCOMPARE(settingsFileText(),
                 QByteArray("[General]\n"
                            "Lettergate.clipboardHistoryLimit=30\n"
                            "Lettergate.clipboardKey=c\n"
                            "Lettergate.commandKey=k\n"
                            "Lettergate.hotkey={\\\"doubleModifier\\\":{\\\"_0\\\":\\\"command\\\"}}\n"
                            "Lettergate.showInDock=false\n"
                            "Lettergate.snippetKey=s\n"
                            "\n"
                            "[Lettergate.appLetters]\n"
                            "firefox-esr.desktop=\n"
                            "org.gnome.Terminal.desktop=t\n"
                            "\n"
                            "[Lettergate.appNames]\n"
                            "firefox-esr.desktop=Firefox ESR\n"
                            "org.gnome.Terminal.desktop=Terminal\n"));
        // An ordinary file raises no alarm and leaves no copies behind.
        QVERIFY(log.lines.isEmpty());
        QVERIFY(UnreadableCopies::of(Paths::settingsFile()).isEmpty());
    }

    void anyIdentifierAndNameRoundTripsExactly()
    {
        const QStringList identifiers{
            "org.gnome.Terminal.desktop", "a/b", "//leading/and/trailing//", "back\\slash", "100%", "%2F", "%25",
            "%", "", " spaced ", "=;#[]\"',", "Ünïcödé.😀", "Case.Sensitive", "case.sensitive", "tab\there",
            "line\nbreak", "General", "@Variant(x)", "a/b/c%2Fd",
        };
        const QStringList names{
            "Foo, Inc.", "  padded  ", "@ByteArray(x)", "\"quoted\"", "", "line\nbreak", "ünï 😀", "back\\slash",
            "true", "20", "; not a comment", "# nor this",
        };
        // No list keys among the letters: the load would rightly drop those.
        const QString freeLetters = QStringLiteral("acdefghijklnoprstuwxyz");
        AppTextMap letters;
        AppTextMap namesByIdentifier;
        for (qsizetype i = 0; i < identifiers.size(); ++i) {
            letters.insert(identifiers[i], i % 3 == 0 ? QString() : QString(freeLetters[i]));
            namesByIdentifier.insert(identifiers[i], names[i % names.size()]);
        }
        QCOMPARE(letters.size(), identifiers.size());

        TestEnvironment environment;
        {
            Launch launch;
            launch.store.setLetters(letters);
            launch.store.setNames(namesByIdentifier);
            launch.store.saveLetters();
        }
        Launch next(freshCopyOfSettingsFile());
        QCOMPARE(next.store.letters(), letters);
        QCOMPARE(next.store.names(), namesByIdentifier);
        // Ordinary identifiers stay legible in the file.
        QVERIFY(settingsFileText().contains("\norg.gnome.Terminal.desktop=\"Foo, Inc.\"\n"));
    }

    void pasteKeystrokeIsOneLinePerAppAndAutomaticHasNone_data()
    {
        QTest::addColumn<QString>("bundleID");
        QTest::addColumn<PasteKeystroke>("keystroke");
        QTest::addColumn<QByteArray>("line");
        // Identifiers are escaped as in the letters' group, "%2F" and "%25" then escaped by
        // QSettings in turn.
        QTest::newRow("ctrl+v") << "org.gnome.gedit.desktop" << PasteKeystroke::controlV
                                << QByteArray("org.gnome.gedit.desktop=ctrl+v");
        QTest::newRow("ctrl+shift+v, a slash") << "kitty/kitty" << PasteKeystroke::controlShiftV
                                               << QByteArray("kitty%252Fkitty=ctrl+shift+v");
        QTest::newRow("shift+insert, a percent") << "100%.desktop" << PasteKeystroke::shiftInsert
                                                 << QByteArray("100%2525.desktop=shift+insert");
    }

    void pasteKeystrokeIsOneLinePerAppAndAutomaticHasNone()
    {
        QFETCH(QString, bundleID);
        QFETCH(PasteKeystroke, keystroke);
        QFETCH(QByteArray, line);
        const QString other = QStringLiteral("xterm");
        TestEnvironment environment;
        {
            Launch launch;
            QCOMPARE(launch.store.applyAppShortcuts({{bundleID, "t"}, {other, ""}},
                                                    {{bundleID, keystroke}, {other, PasteKeystroke::shiftInsert}}),
                     KeyValidation::ok());
            QCOMPARE(launch.tick(), 2);
        }
        QCOMPARE(pasteKeysGroup(settingsFileText()), "[Lettergate.appPasteKeys]\n" + line + "\nxterm=shift+insert\n");

        const QString copy = freshCopyOfSettingsFile();
        Launch next(copy);
        QCOMPARE(next.store.pasteKeystroke(bundleID), std::optional(keystroke));
        QCOMPARE(next.store.letters().value(bundleID), QStringLiteral("t"));
        // Back to automatic: the app's line goes, the other app's stays.
        QCOMPARE(next.store.applyAppShortcuts({{bundleID, "t"}}, {}), KeyValidation::ok());
        QCOMPARE(next.store.pasteKeystrokes(),
                 SettingsStore::PasteKeystrokeMap({{other, PasteKeystroke::shiftInsert}}));
        QCOMPARE(pasteKeysGroup(settingsFileText(copy)), QByteArray("[Lettergate.appPasteKeys]\nxterm=shift+insert\n"));
    }

    void entriesThatAreNotPlainTextAreLeftOut_data()
    {
        QTest::addColumn<QByteArray>("badLine");
        QTest::addColumn<QString>("badApp");
        QTest::newRow("unknown name") << QByteArray("foot.desktop=ctrl+insert") << "foot.desktop";
        QTest::newRow("empty") << QByteArray("foot.desktop=") << "foot.desktop";
        QTest::newRow("list") << QByteArray("foot.desktop=ctrl+v, shift+insert") << "foot.desktop";
        QTest::newRow("bytes") << QByteArray("foot.desktop=@ByteArray(ctrl+v)") << "foot.desktop";
        QTest::newRow("nested group") << QByteArray("foot\\desktop=ctrl+v") << "foot/desktop";
    }

    // A paste keystroke line that names none is left out alone; a letters map with an
    // entry that is not plain text is dropped whole, and stays on disk as the person
    // wrote it until the next save of the letters replaces it.
    void entriesThatAreNotPlainTextAreLeftOut()
    {
        QFETCH(QByteArray, badLine);
        QFETCH(QString, badApp);
        TestEnvironment environment;
        writeSettingsFile("[Lettergate.appLetters]\n"
                          "kitty.desktop=k\n"
                          "\n"
                          "[Lettergate.appNames]\n"
                          "app.good=Good\n"
                          "\n"
                          "[Lettergate.appPasteKeys]\n"
                          "kitty.desktop=ctrl+shift+v\n" + badLine + "\n"
                          "xterm= Shift+Insert \n");
        LogCapture log;
        Launch launch;
        QCOMPARE(launch.store.pasteKeystrokes(),
                 SettingsStore::PasteKeystrokeMap(
                     {{"kitty.desktop", PasteKeystroke::controlShiftV}, {"xterm", PasteKeystroke::shiftInsert}}));
        QCOMPARE(launch.store.letters(), AppTextMap({{"kitty.desktop", "k"}}));
        QCOMPARE(log.lines, QStringList{QStringLiteral("[Lettergate] ⚠️ The paste keystroke stored for %1 in the settings "
                                                       "file %2 is none of ctrl+v, ctrl+shift+v, shift+insert; it "
                                                       "pastes with the automatic one")
                                            .arg(badApp, Paths::settingsFile())});
        QCOMPARE(launch.store.names(), AppTextMap({{"app.good", "Good"}}));

        if (!badLine.contains(',') && !badLine.contains('@') && !badLine.contains('\\'))
            return; // plain text: as a letter it is an ordinary one
        const auto storedLetters = [] {
            QSettings onDisk(freshCopyOfSettingsFile(), QSettings::IniFormat);
            onDisk.beginGroup(SettingsStore::lettersKey);
            QVariantMap entries;
            for (const QString &key : onDisk.allKeys())
                entries.insert(key, onDisk.value(key));
            return entries;
        };
        const QByteArray withBadLetter = settingsFileText().replace("kitty.desktop=k\n", "kitty.desktop=k\n" + badLine + "\n");
        writeSettingsFile(withBadLetter);
        const QVariantMap before = storedLetters();
        QCOMPARE(before.size(), 2);
        Launch next(freshCopyOfSettingsFile());
        QVERIFY(next.store.letters().isEmpty());
        QCOMPARE(next.store.names(), AppTextMap({{"app.good", "Good"}}));
        QCOMPARE(storedLetters(), before);
    }

    void garbageInEveryKeyLeavesUsableSettings_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("words") << QByteArray("not a setting at all");
        QTest::newRow("a number beyond every type") << QByteArray("99999999999999999999999999999");
        QTest::newRow("@Variant of nothing") << QByteArray("@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x5)");
        QTest::newRow("@ByteArray") << QByteArray("@ByteArray(\\xff\\xfe)");
        QTest::newRow("a list") << QByteArray("a, b, c");
        QTest::newRow("not UTF-8") << QByteArray("\xff\xfe\xc3");
        QTest::newRow("deep JSON") << QByteArray(100000, '[');
        QTest::newRow("JSON of another shape") << QByteArray("\"{\\\"combo\\\":{\\\"keyCode\\\":-1,\\\"modifiers\\\":\\\"x\\\"}}\"");
        QTest::newRow("a megabyte") << QByteArray(1 << 20, 'z');
    }
    void garbageInEveryKeyLeavesUsableSettings()
    {
        QFETCH(QByteArray, value);
        TestEnvironment environment;
        writeSettingsFile(garbageFile(value));
        Launch launch;
        const SettingsStore &store = launch.store;

        QCOMPARE(store.hotkey(), HotkeyConfig::defaultTrigger());
        QVERIFY(store.clipboardHistoryLimit() >= SettingsStore::minimumHistoryLimit
                && store.clipboardHistoryLimit() <= SettingsStore::maximumHistoryLimit);
        // Four distinct letters the panel can receive, so every list stays reachable.
        for (const QString &key : {store.clipboardKey(), store.snippetKey(), store.linkKey(), store.commandKey()})
            QVERIFY2(key.size() == 1 && key.front() >= u'a' && key.front() <= u'z', qPrintable(key.left(20)));
        QCOMPARE(store.listKeys().size(), 4);
        QCOMPARE(store.pasteKeystroke(QStringLiteral("org.example.One.desktop")), std::nullopt);

        // Saving still works, and what it wrote reads back as written.
        QCOMPARE(launch.store.setCommandKey(QStringLiteral("k")).kind(),
                 store.clipboardKey() == u"k" || store.snippetKey() == u"k" || store.linkKey() == u"k"
                     ? KeyValidation::Kind::NotDistinct
                     : KeyValidation::Kind::Ok);
        launch.store.setClipboardHistoryLimit(7);
        Launch next;
        QCOMPARE(next.store.clipboardHistoryLimit(), 7);
        QCOMPARE(next.store.hotkey(), HotkeyConfig::defaultTrigger());
    }

    void settingsArePrivateWhateverTheUmask()
    {
        TestEnvironment environment;
        const mode_t savedMask = ::umask(0);
        const QString folder = QFileInfo(Paths::settingsFile()).absolutePath();
        {
            Launch launch;
            launch.store.setClipboardHistoryLimit(9);
        }
        QCOMPARE(StoreTesting::mode(folder), 0700);
        QCOMPARE(StoreTesting::mode(Paths::settingsFile()), 0600);

        // A folder and file left readable by everyone are closed at the next start; the
        // owner's own permissions stay as they were.
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(Paths::settingsFile()).constData(), 0664) == 0);
        {
            Launch launch;
            launch.store.setClipboardHistoryLimit(10);
        }
        ::umask(savedMask);
        QCOMPARE(StoreTesting::mode(folder), 0700);
        QCOMPARE(StoreTesting::mode(Paths::settingsFile()), 0600);
        QCOMPARE(Launch().store.clipboardHistoryLimit(), 10);
    }

    // What cannot be the settings is never read or written through: a folder others may
    // write in is left alone (the settings live in memory), and a link or a huge file
    // is moved aside unread. Each says so in one line, and the defaults are used.
    void whatCannotHoldTheSettingsIsLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("why");
        QTest::newRow("a folder open to everyone")
            << QStringLiteral("folder")
            << QStringLiteral("[Lettergate] ⚠️ %1 is not safe to keep Lettergate's files in: other users may write in it "
                              "(mode 0777); nothing is read from or saved there, and this session's changes are kept "
                              "in memory only");
        QTest::newRow("a link") << QStringLiteral("link")
                                << QStringLiteral("[Lettergate] ⚠️ The settings file %1 is a symbolic link, which "
                                                  "Lettergate never follows; it was kept as %2 and the defaults are used");
        QTest::newRow("18 MiB") << QStringLiteral("huge")
                                << QStringLiteral("[Lettergate] ⚠️ The settings file %1 is 18 MiB, larger than the 1 MiB a "
                                                  "settings file may hold; it was kept as %2 and the defaults are used");
        QTest::newRow("not INI") << QStringLiteral("unparsable")
                                 << QStringLiteral("[Lettergate] ⚠️ The settings file %1 could not be read; it was kept as %2");
        QTest::newRow("a file where the folder belongs")
            << QStringLiteral("blocked") << QStringLiteral("[Lettergate] ⚠️ Could not write the settings file %1");
    }
    void whatCannotHoldTheSettingsIsLeftAlone()
    {
        QFETCH(QString, kind);
        QFETCH(QString, why);
        TestEnvironment environment;
        const QString file = Paths::settingsFile();
        const QString folder = QFileInfo(file).absolutePath();
        const QString elsewhere = environment.root() + QStringLiteral("/elsewhere.ini");
        const QByteArray text = "[General]\nLettergate.clipboardHistoryLimit=3\n";
        writeSettingsFile(text, elsewhere);
        if (kind == u"folder") {
            writeSettingsFile(text);
            QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0777), 0);
        } else if (kind == u"link") {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(QFile::link(elsewhere, file));
        } else if (kind == u"huge") {
            QVERIFY(QDir().mkpath(folder));
            HostileFiles::writeSparse(file, text, qint64(18) << 20);
        } else if (kind == u"unparsable") {
            writeSettingsFile("{\"this\": \"is not ini\"}\n\x01\x02 binary\n[unterminated section\n");
        } else {
            writeSettingsFile("in the way", folder);
        }
        const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);

        LogCapture log;
        Launch launch;
        QCOMPARE(launch.store.clipboardHistoryLimit(), SettingsStore::defaultHistoryLimit);
        launch.store.setClipboardHistoryLimit(7);
        QCOMPARE(launch.store.clipboardHistoryLimit(), 7);
        QCOMPARE(settingsFileText(elsewhere), text);
        const QStringList copies = UnreadableCopies::of(file);
        if (kind == u"blocked") {
            // The value holds for this run; it just is not reported as saved.
            QCOMPARE(launch.tick(), 0);
            QCOMPARE(log.lines, QStringList(2, why.arg(file)));
            return;
        }
        if (kind == u"folder") {
            QCOMPARE(launch.tick(), 0);
            QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), before);
            QCOMPARE(settingsFileText(), text);
            QCOMPARE(log.lines, QStringList{why.arg(folder)});
            return;
        }
        QCOMPARE(copies.size(), 1);
        QCOMPARE(log.lines, QStringList{why.arg(file, copies.first())});
        // The next launch reads what this one wrote, and has nothing to complain about.
        log.clear();
        QCOMPARE(Launch(freshCopyOfSettingsFile()).store.clipboardHistoryLimit(), 7);
        QVERIFY(log.lines.isEmpty());
        QCOMPARE(UnreadableCopies::of(file).size(), 1);
        if (kind == u"link")
            QCOMPARE(QFileInfo(copies.first()).symLinkTarget(), elsewhere);
        else if (kind == u"huge")
            QCOMPARE(QFileInfo(copies.first()).size(), qint64(18) << 20);
    }
};

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "settings_file_test.moc"
