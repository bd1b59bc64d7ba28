#include "SwitcherRig.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

// Every key of the panel's vocabulary on every page, and Backspace on every page, each
// row starting from a freshly reset panel over the same furnished stores.
class KeyVocabularyTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_rig = std::make_unique<SwitcherRig>();
        furnish(*m_rig);
    }
    void cleanupTestCase() { m_rig.reset(); }

    void keyVocabulary_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("stage");
        QTest::addColumn<QString>("pending");
        auto row = [](const char *name, QStringList before, QString key, QString result, QString stage, QString pending) {
            QTest::newRow(name) << before << key << result << stage << pending;
        };
        const QString apps = QStringLiteral("apps");
        const QString none = QStringLiteral("none");
        const QString rejected = QStringLiteral("rejected");
        const QString windows = QStringLiteral("windows 20");
        const QString clipboard = QStringLiteral("clipboard");

        // The apps page with nothing armed.
        row("app letter, one window", {}, "e", "fire 100", apps, none);
        row("app letter in upper case", {}, "E", "fire 100", apps, none);
        row("app letter, several windows", {}, "t", "drilled", windows, none);
        row("clipboard key", {}, "v", "awaiting", apps, clipboard);
        row("V acts as v", {}, "V", "awaiting", apps, clipboard);
        row("snippet key", {}, "b", "awaiting", apps, "snippet");
        row("link key", {}, "q", "awaiting", apps, "link");
        row("command key", {}, "m", "awaiting", apps, "command");
        row("stored letter with a name", {}, "f", "launchApp org.example.Files Files", apps, none);
        row("stored letter without a name", {}, "G", "launchApp org.example.Gone org.example.Gone", apps, none);
        row("unknown letter", {}, "z", rejected, apps, none);
        row("digit", {}, "1", rejected, apps, none);
        row("zero", {}, "0", rejected, apps, none);
        row("the exhausted letter", {}, "?", rejected, apps, none);
        row("nothing", {}, "", rejected, apps, none);
        // The apps page with a list key armed.
        row("list key twice", {"v"}, "v", "drilled", clipboard, none);
        row("list key and pick", {"v"}, "2", "pasteClip second", apps, none);
        row("list key and its last item", {"v"}, "3", "pasteClip third", apps, none);
        row("pick beyond the list", {"v"}, "4", rejected, apps, none);
        row("zero after a list key", {"v"}, "0", rejected, apps, none);
        row("app letter after a list key", {"v"}, "e", rejected, apps, none);
        row("another list key after a list key", {"v"}, "b", rejected, apps, none);
        row("snippet pick", {"b"}, "2", "pasteSnippet s2", apps, none);
        row("link pick", {"q"}, "1", "openLink l1", apps, none);
        row("command pick", {"m"}, "1", "runCommand c1", apps, none);
        // One app's windows.
        row("window pick", {"t"}, "1", "fire 201", windows, none);
        row("last window", {"t"}, "3", "fire 203", windows, none);
        row("pick beyond the windows", {"t"}, "4", rejected, windows, none);
        row("zero on the windows page", {"t"}, "0", rejected, windows, none);
        row("app letter on the windows page", {"t"}, "e", rejected, windows, none);
        row("list key on the windows page", {"t"}, "v", rejected, windows, none);
        // Full list pages.
        row("clipboard page pick", {"v", "v"}, "1", "pasteClip first", clipboard, none);
        row("clipboard page beyond the list", {"v", "v"}, "4", rejected, clipboard, none);
        row("list key on its own page", {"v", "v"}, "v", rejected, clipboard, none);
        row("app letter on a list page", {"v", "v"}, "e", rejected, clipboard, none);
        row("snippets page pick", {"b", "b"}, "2", "pasteSnippet s2", "snippets", none);
        row("links page pick", {"q", "q"}, "2", "openLink l2", "links", none);
        row("commands page pick", {"m", "m"}, "1", "runCommand c1", "commands", none);
        row("commands page beyond the list", {"m", "m"}, "2", rejected, "commands", none);
    }

    void keyVocabulary()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, key);
        SwitcherViewModel &model = showFurnishedPanel();
        type(model, before);

        QTEST(describe(model.handle(key)), "result");
        QTEST(describe(model.stage()), "stage");
        QTEST(describe(model.pending()), "pending");
    }

    void backUndoesOneStep_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<bool>("undone");
        QTest::newRow("apps page, nothing armed") << QStringList{} << false;
        QTest::newRow("apps page, prefix armed") << QStringList{"v"} << true;
        QTest::newRow("windows page") << QStringList{"t"} << true;
        QTest::newRow("clipboard page") << QStringList{"v", "v"} << true;
        QTest::newRow("snippets page") << QStringList{"b", "b"} << true;
        QTest::newRow("links page") << QStringList{"q", "q"} << true;
        QTest::newRow("commands page") << QStringList{"m", "m"} << true;
    }

    void backUndoesOneStep()
    {
        QFETCH(QStringList, before);
        QFETCH(bool, undone);
        SwitcherViewModel &model = showFurnishedPanel();
        type(model, before);
        const bool onAppsPage = model.stage() == Stage::apps();
        QSignalSpy stageChanges(&model, &SwitcherViewModel::stageChanged);
        QSignalSpy pendingChanges(&model, &SwitcherViewModel::pendingChanged);

        QCOMPARE(model.back(), undone);
        QCOMPARE(model.stage(), Stage::apps());
        QCOMPARE(model.pending(), std::nullopt);
        QCOMPARE(stageChanges.count(), onAppsPage ? 0 : 1);
        QCOMPARE(pendingChanges.count(), before == QStringList{"v"} ? 1 : 0);
        QVERIFY(!model.back()); // nothing left to undo
    }

private:
    SwitcherViewModel &showFurnishedPanel()
    {
        m_rig->model.reset(furnishedApps());
        return m_rig->model;
    }

    std::unique_ptr<SwitcherRig> m_rig;
};

QTEST_GUILESS_MAIN(KeyVocabularyTest)
#include "key_vocabulary_test.moc"
