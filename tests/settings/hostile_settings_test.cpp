#include "SettingsTestSupport.h"
#include "platform/UnreadableCopies.h"
#include "support/HostileFiles.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QSettings>
#include <sys/stat.h>

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

} // namespace

// A settings file with garbage in every key, and the permissions of the settings.
class HostileSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void garbageInEveryKeyLeavesUsableSettings_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("words") << QByteArray("not a setting at all");
        QTest::newRow("a number beyond every type") << QByteArray("99999999999999999999999999999");
        QTest::newRow("negative") << QByteArray("-2147483649");
        QTest::newRow("@Variant of nothing") << QByteArray("@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x5)");
        QTest::newRow("@ByteArray") << QByteArray("@ByteArray(\\xff\\xfe)");
        QTest::newRow("@Invalid") << QByteArray("@Invalid()");
        QTest::newRow("a list") << QByteArray("a, b, c");
        QTest::newRow("escapes") << QByteArray("\\x1\\x2\\0\\t\\n\\r");
        QTest::newRow("not UTF-8") << QByteArray("\xff\xfe\xc3");
        QTest::newRow("deep JSON") << QByteArray(100000, '[');
        QTest::newRow("JSON of another shape") << QByteArray("\"{\\\"combo\\\":{\\\"keyCode\\\":-1,\\\"modifiers\\\":\\\"x\\\"}}\"");
        QTest::newRow("a megabyte") << QByteArray(1 << 20, 'z');
        QTest::newRow("a combining mark") << QByteArray("\xcc\x81");
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
        } else {
            QVERIFY(QDir().mkpath(folder));
            HostileFiles::writeSparse(file, text, qint64(18) << 20);
        }
        const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);

        LogCapture log;
        Launch launch;
        QCOMPARE(launch.store.clipboardHistoryLimit(), SettingsStore::defaultHistoryLimit);
        launch.store.setClipboardHistoryLimit(7);
        QCOMPARE(launch.store.clipboardHistoryLimit(), 7);
        QCOMPARE(settingsFileText(elsewhere), text);
        const QStringList copies = UnreadableCopies::of(file);
        if (kind == u"folder") {
            QCOMPARE(launch.tick(), 0);
            QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), before);
            QCOMPARE(settingsFileText(), text);
            QCOMPARE(log.lines, QStringList{why.arg(folder)});
            return;
        }
        QCOMPARE(copies.size(), 1);
        QCOMPARE(log.lines, QStringList{why.arg(file, copies.first())});
        QCOMPARE(Launch(freshCopyOfSettingsFile()).store.clipboardHistoryLimit(), 7);
        if (kind == u"link")
            QCOMPARE(QFileInfo(copies.first()).symLinkTarget(), elsewhere);
        else
            QCOMPARE(QFileInfo(copies.first()).size(), qint64(18) << 20);
    }
};

QTEST_GUILESS_MAIN(HostileSettingsTest)
#include "hostile_settings_test.moc"
