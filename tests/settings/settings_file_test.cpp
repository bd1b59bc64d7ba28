#include "SettingsTestSupport.h"

#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

using AppTextMap = SettingsStore::AppTextMap;

namespace {

QStringList unreadableCopies()
{
    const QFileInfo settings(Paths::settingsFile());
    return settings.dir().entryList({settings.fileName() + QStringLiteral(".unreadable-*")}, QDir::Files);
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

// How the settings look on disk: a file a person can read and edit, which keeps every
// identifier exactly, and which is never silently lost.
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
        QVERIFY(unreadableCopies().isEmpty());
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

    void pasteKeystrokeThatNamesNoneIsLeftOutAlone_data()
    {
        QTest::addColumn<QByteArray>("badLine");
        QTest::addColumn<QString>("badApp");
        QTest::newRow("unknown name") << QByteArray("foot.desktop=ctrl+insert") << "foot.desktop";
        QTest::newRow("empty") << QByteArray("foot.desktop=") << "foot.desktop";
        QTest::newRow("list") << QByteArray("foot.desktop=ctrl+v, shift+insert") << "foot.desktop";
        QTest::newRow("bytes") << QByteArray("foot.desktop=@ByteArray(ctrl+v)") << "foot.desktop";
        QTest::newRow("nested group") << QByteArray("foot\\desktop=ctrl+v") << "foot/desktop";
    }

    void pasteKeystrokeThatNamesNoneIsLeftOutAlone()
    {
        QFETCH(QByteArray, badLine);
        QFETCH(QString, badApp);
        TestEnvironment environment;
        writeSettingsFile("[Lettergate.appLetters]\n"
                          "kitty.desktop=k\n"
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
    }

    void mapWithAnEntryThatIsNotPlainTextIsDroppedWhole_data()
    {
        QTest::addColumn<QByteArray>("badEntry");
        QTest::newRow("list") << QByteArray("app.bad=x, y");
        QTest::newRow("bytes") << QByteArray("app.bad=@ByteArray(x)");
        QTest::newRow("nested group") << QByteArray("app\\bad=x");
    }

    void mapWithAnEntryThatIsNotPlainTextIsDroppedWhole()
    {
        QFETCH(QByteArray, badEntry);
        TestEnvironment environment;
        writeSettingsFile("[Lettergate.appLetters]\n"
                          "app.good=g\n" + badEntry + "\n"
                          "\n"
                          "[Lettergate.appNames]\n"
                          "app.good=Good\n");
        const auto storedLetters = [] {
            QSettings onDisk(freshCopyOfSettingsFile(), QSettings::IniFormat);
            onDisk.beginGroup(SettingsStore::lettersKey);
            QVariantMap entries;
            for (const QString &key : onDisk.allKeys())
                entries.insert(key, onDisk.value(key));
            return entries;
        };
        const QVariantMap before = storedLetters();
        QCOMPARE(before.size(), 2);

        Launch launch;
        QVERIFY(launch.store.letters().isEmpty());
        QCOMPARE(launch.store.names(), AppTextMap({{"app.good", "Good"}}));
        // The load leaves the map as the person wrote it ...
        QCOMPARE(storedLetters(), before);

        // ... until the next save of the letters replaces it whole.
        QCOMPARE(launch.store.applyLetters({{"app.new", "n"}}), KeyValidation::ok());
        QCOMPARE(storedLetters(), QVariantMap({{"app.new", "n"}}));
    }

    void fileQSettingsCannotParseIsKeptAsACopy()
    {
        TestEnvironment environment;
        const QByteArray broken("{\"this\": \"is not ini\"}\n\x01\x02 binary\n[unterminated section\n");
        writeSettingsFile(broken);
        LogCapture log;

        Launch launch;
        QVERIFY(launch.store.letters().isEmpty());
        QCOMPARE(launch.tick(), 1);

        const QStringList copies = unreadableCopies();
        QCOMPARE(copies.size(), 1);
        const QString copy = QFileInfo(Paths::settingsFile()).absolutePath() + u'/' + copies.first();
        QCOMPARE(settingsFileText(copy), broken);
        QCOMPARE(log.lines,
                 QStringList{QStringLiteral("[Lettergate] ⚠️ The settings file %1 could not be read; it was kept as %2")
                                 .arg(Paths::settingsFile(), copy)});
        // The next launch reads what this one wrote, and has nothing to complain about.
        log.clear();
        Launch next;
        QVERIFY(log.lines.isEmpty());
        QCOMPARE(unreadableCopies().size(), 1);
    }

    void failedWriteIsNotConfirmed()
    {
        TestEnvironment environment;
        // The settings folder cannot be made where a plain file stands.
        writeSettingsFile("in the way", environment.configHome() + QStringLiteral("/Lettergate"));
        LogCapture log;
        const QString warning = QStringLiteral("[Lettergate] ⚠️ Could not write the settings file ") + Paths::settingsFile();

        Launch launch;
        QCOMPARE(launch.tick(), 0);
        QCOMPARE(log.lines, QStringList{warning});

        // The value still holds for this run; it just is not reported as saved.
        QCOMPARE(launch.store.setLinkKey("k"), KeyValidation::ok());
        QCOMPARE(launch.store.linkKey(), QStringLiteral("k"));
        QCOMPARE(launch.tick(), 0);
        QCOMPARE(log.count(warning), 2);
    }
};

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "settings_file_test.moc"
