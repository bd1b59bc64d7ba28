#include "SettingsTestSupport.h"

#include <sys/stat.h>

#include "platform/UnreadableCopies.h"
#include "support/HostileFiles.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

using namespace lettergate;

using AppTextMap = SettingsStore::AppTextMap;

namespace {

// A value for every kind of garbage a settings key may hold by hand or by damage.
QByteArray garbageFile(const QByteArray &value)
{
    QByteArray file = "[General]\n";
    for (const char *key :
         {"hotkey", "clipboardKey", "snippetKey", "linkKey", "commandKey", "clipboardHistoryLimit", "showInDock"})
        file += "Lettergate." + QByteArray(key) + '=' + value + '\n';
    for (const char *group : {"appLetters", "appNames", "appPasteKeys"})
        file += "[Lettergate." + QByteArray(group) + "]\norg.example.One.desktop=" + value + '\n';
    return file;
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
    void anyIdentifierAndNameRoundTripsExactly()
    {
        const QStringList identifiers{"org.gnome.Terminal.desktop",
                                      "//leading/and/trailing//",
                                      "back\\slash",
                                      "%2F",
                                      "%25",
                                      "%",
                                      "",
                                      "=;#[]\"',",
                                      "Ünïcödé.😀",
                                      "Case.Sensitive",
                                      "case.sensitive",
                                      "line\nbreak",
                                      "General",
                                      "@Variant(x)"};
        const QStringList names{
            "Foo, Inc.", "  padded  ", "@ByteArray(x)", "\"quoted\"", "", "line\nbreak", "true", "; not a comment",
        };
        // No list keys among the letters: the load would rightly drop those.
        const QString freeLetters = QStringLiteral("acdefghijklnoprstuwxyz");
        AppTextMap letters;
        AppTextMap namesByIdentifier;
        for (qsizetype i = 0; i < identifiers.size(); ++i) {
            letters.insert(identifiers[i], i % 3 == 0 ? QString() : QString(freeLetters[i]));
            namesByIdentifier.insert(identifiers[i], names[i % names.size()]);
        }

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

    // One line per app; identifiers are escaped as in the letters' group, "%2F" and "%25"
    // then escaped by QSettings in turn.
    void pasteKeystrokeIsOneLinePerAppAndAutomaticHasNone()
    {
        const QList<std::tuple<QString, PasteKeystroke, QByteArray>> rows{
            {"org.gnome.gedit.desktop", PasteKeystroke::controlV, "org.gnome.gedit.desktop=ctrl+v"},
            {"kitty/kitty", PasteKeystroke::controlShiftV, "kitty%252Fkitty=ctrl+shift+v"},
            {"100%.desktop", PasteKeystroke::shiftInsert, "100%2525.desktop=shift+insert"},
        };
        for (const auto &[bundleID, keystroke, line] : rows) {
            TestEnvironment environment;
            QCOMPARE(Launch().store.applyAppShortcuts({{bundleID, "t"}, {"xterm", ""}},
                                                      {{bundleID, keystroke}, {"xterm", PasteKeystroke::shiftInsert}}),
                     KeyValidation::ok());
            QCOMPARE(pasteKeysGroup(settingsFileText()),
                     "[Lettergate.appPasteKeys]\n" + line + "\nxterm=shift+insert\n");
            QCOMPARE(Launch(freshCopyOfSettingsFile()).store.pasteKeystroke(bundleID), std::optional(keystroke));
        }
    }

    // A paste keystroke line that names none is left out alone; a letters map with an
    // entry that is not plain text is dropped whole, and stays on disk as the person
    // wrote it until the next save of the letters replaces it.
    void entriesThatAreNotPlainTextAreLeftOut()
    {
        const QList<std::pair<QByteArray, QString>> rows{
            {"foot.desktop=ctrl+insert", "foot.desktop"},
            {"foot.desktop=ctrl+v, shift+insert", "foot.desktop"},
            {"foot\\desktop=ctrl+v", "foot/desktop"},
        };
        for (const auto &[badLine, badApp] : rows) {
            TestEnvironment environment;
            writeSettingsFile("[Lettergate.appLetters]\nkitty.desktop=k\n\n[Lettergate.appNames]\napp.good=Good\n\n"
                              "[Lettergate.appPasteKeys]\nkitty.desktop=ctrl+shift+v\n"
                              + badLine + "\nxterm= Shift+Insert \n");
            LogCapture log;
            Launch launch;
            QCOMPARE(launch.store.pasteKeystrokes(),
                     SettingsStore::PasteKeystrokeMap(
                         {{"kitty.desktop", PasteKeystroke::controlShiftV}, {"xterm", PasteKeystroke::shiftInsert}}));
            QCOMPARE(launch.store.letters(), AppTextMap({{"kitty.desktop", "k"}}));
            QCOMPARE(log.lines.size(), 1);
            QVERIFY2(log.lines.first().contains(QStringLiteral("stored for %1 in").arg(badApp)),
                     qPrintable(log.lines.first()));
            if (!badLine.contains(',') && !badLine.contains('\\'))
                continue; // plain text: as a letter it is an ordinary one
            const QByteArray withBadLetter = settingsFileText().replace("kitty.desktop=k\n",
                                                                        "kitty.desktop=k\n" + badLine + "\n");
            writeSettingsFile(withBadLetter);
            Launch next(freshCopyOfSettingsFile());
            QVERIFY(next.store.letters().isEmpty());
            QCOMPARE(next.store.names(), AppTextMap({{"app.good", "Good"}}));
            QCOMPARE(settingsFileText(), withBadLetter);
        }
    }

    void garbageInEveryKeyLeavesUsableSettings()
    {
        const QList<QByteArray> values{
            "99999999999999999999999999999", "@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x5)",
            "@ByteArray(\\xff\\xfe)",        "\xff\xfe\xc3",
            QByteArray(100000, '['),         "\"{\\\"combo\\\":{\\\"keyCode\\\":-1,\\\"modifiers\\\":\\\"x\\\"}}\"",
        };
        for (const QByteArray &value : values) {
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
            launch.store.setClipboardHistoryLimit(7);
            QCOMPARE(Launch().store.clipboardHistoryLimit(), 7);
        }
    }

    void settingsArePrivateWhateverTheUmask()
    {
        TestEnvironment environment;
        const mode_t savedMask = ::umask(0);
        const QString folder = QFileInfo(Paths::settingsFile()).absolutePath();
        Launch().store.setClipboardHistoryLimit(9);
        QCOMPARE(std::pair(StoreTesting::mode(folder), StoreTesting::mode(Paths::settingsFile())),
                 std::pair(0700, 0600));
        // A folder and file left readable by everyone are closed at the next start; the
        // owner's own permissions stay as they were.
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(Paths::settingsFile()).constData(), 0664) == 0);
        Launch().store.setClipboardHistoryLimit(10);
        ::umask(savedMask);
        QCOMPARE(std::pair(StoreTesting::mode(folder), StoreTesting::mode(Paths::settingsFile())),
                 std::pair(0700, 0600));
    }

    // What cannot be the settings is never read or written through: a folder others may
    // write in is left alone (the settings live in memory), and a link or a huge file
    // is moved aside unread. Each says so in one line, and the defaults are used.
    void whatCannotHoldTheSettingsIsLeftAlone()
    {
        const QString kept = QStringLiteral("; it was kept as %2");
        const QList<std::pair<QString, QString>> rows{
            {"folder",
             "[Lettergate] ⚠️ %1 is not safe to keep Lettergate's files in: other users may write in it (mode "
             "0777); nothing is read from or saved there, and this session's changes are kept in memory only"},
            {"link", "[Lettergate] ⚠️ The settings file %1 is a symbolic link, which Lettergate never follows"
                         + kept + " and the defaults are used"},
            {"huge",
             "[Lettergate] ⚠️ The settings file %1 is 18 MiB, larger than the 1 MiB a settings file may hold" + kept
                 + " and the defaults are used"},
            {"unparsable", "[Lettergate] ⚠️ The settings file %1 could not be read" + kept},
            {"blocked", "[Lettergate] ⚠️ Could not write the settings file %1"},
        };
        for (const auto &[kind, why] : rows) {
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
                continue;
            }
            if (kind == u"folder") {
                QCOMPARE(launch.tick(), 0);
                QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), before);
                QCOMPARE(settingsFileText(), text);
                QCOMPARE(log.lines, QStringList{why.arg(folder)});
                continue;
            }
            QCOMPARE(copies.size(), 1);
            QCOMPARE(log.lines, QStringList{why.arg(file, copies.first())});
            // The next launch reads what this one wrote, and has nothing to complain about.
            log.clear();
            QCOMPARE(Launch(freshCopyOfSettingsFile()).store.clipboardHistoryLimit(), 7);
            QVERIFY(log.lines.isEmpty()); // nor another copy to make
            if (kind == u"link")
                QCOMPARE(QFileInfo(copies.first()).symLinkTarget(), elsewhere);
            else if (kind == u"huge")
                QCOMPARE(QFileInfo(copies.first()).size(), qint64(18) << 20);
        }
    }
};

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "settings_file_test.moc"
