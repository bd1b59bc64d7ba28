#include "SettingsUiTesting.h"

#include "settings/ui/KeyField.h"
#include "settings/ui/SnippetImagePreview.h"
#include "settings/ui/SnippetsTab.h"
#include "support/ClipboardReads.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

using Tab = SettingsView::Tab;

namespace {

// The names in the tab's working copy.
QStringList draftNames(const SnippetsTab &tab)
{
    QStringList names;
    for (const SnippetEditor *editor : tab.editors())
        names << editor->record().name;
    return names;
}

void typeKeys(SnippetsTab &tab, const QString &clipboard, const QString &snippet)
{
    tab.clipboardKeyField().setText(clipboard);
    tab.snippetKeyField().setText(snippet);
}

// A picture file outside the store, as the user would pick one.
QString pictureFile(const QString &directory, const QString &name)
{
    QImage picture(32, 20, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    const QString path = directory + u'/' + name;
    QDir().mkpath(directory);
    return picture.save(path) ? path : QString();
}

} // namespace

class SnippetsTabTest : public QObject {
    Q_OBJECT
private slots:
    void rejectedSavesStoreNothingAndAreDiscardedWhenTheTabIsShownAgain_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("snippet");
        QTest::addColumn<QString>("message");
        // One row for each way the tab refuses; the store's own tests cover every rule.
        QTest::newRow("clipboard key emptied") << "" << "B" << "Keys must be letters";
        QTest::newRow("the link key") << "V" << "Q" << "Keys must be different";
        QTest::newRow("an app's letter") << "V" << "s" << "Key S conflicts with an app letter";
    }

    void rejectedSavesStoreNothingAndAreDiscardedWhenTheTabIsShownAgain()
    {
        QFETCH(QString, clipboard);
        QFETCH(QString, snippet);
        QFETCH(QString, message);
        SettingsFixture fixture;
        fixture.settings.applyLetters({{"app.with.s", "s"}});
        Snippet greeting;
        greeting.name = QStringLiteral("Greeting");
        fixture.snippets.replaceAll({greeting});
        ShownView shown(fixture, Tab::Snippets);
        SnippetsTab &tab = shown.view.snippetsTab();
        const int ticks = fixture.tick();

        tab.editors().first()->nameField()->setText(QStringLiteral("Renamed"));
        tab.addTextSnippet();
        tab.limitStepper().setValue(5);
        typeKeys(tab, clipboard, snippet);
        tab.save();

        QCOMPARE(tab.errorText(), std::optional<QString>(message));
        QCOMPARE(fixture.tick(), ticks);
        QCOMPARE(fixture.snippets.snippets(), QList<Snippet>{greeting});
        QCOMPARE(fixture.settings.clipboardHistoryLimit(), 20);
        QCOMPARE(fixture.history.limit(), 20);
        QCOMPARE(fixture.settings.clipboardKey(), QStringLiteral("v"));
        QCOMPARE(fixture.settings.snippetKey(), QStringLiteral("b"));

        // Shown again, the tab shows what is stored, without the message.
        shown.revisit(Tab::Snippets);
        QCOMPARE(draftNames(tab), QStringList{"Greeting"});
        QCOMPARE(tab.clipboardKeyField().text(), QStringLiteral("V"));
        QCOMPARE(tab.limitStepper().value(), 20);
        QCOMPARE(tab.errorText(), std::nullopt);
    }

    void saveStoresKeysLimitAndSnippetsWithoutReloading()
    {
        SettingsFixture fixture;
        for (int i = 0; i < 8; ++i) {
            fixture.platform.board.copyText(QStringLiteral("copy %1").arg(i));
            QVERIFY(readClipboard(fixture.history));
            QTRY_COMPARE(fixture.history.items().size(), i + 1); // a read may finish later
        }
        ShownView shown(fixture, Tab::Snippets);
        SnippetsTab &tab = shown.view.snippetsTab();
        QCOMPARE(tab.clipboardKeyField().text(), QStringLiteral("V"));
        QCOMPARE(tab.snippetKeyField().text(), QStringLiteral("B"));
        QCOMPARE(tab.limitStepper().value(), 20);

        tab.addTextSnippet();
        SnippetEditor *editor = tab.editors().constLast();
        editor->textEditor()->setPlainText(QStringLiteral("Kind regards"));
        typeKeys(tab, QStringLiteral("cx"), QStringLiteral("s"));
        tab.limitStepper().setValue(5);
        const int ticks = fixture.tick();
        tab.save();

        QCOMPARE(tab.errorText(), std::nullopt);
        QCOMPARE(fixture.settings.clipboardKey(), QStringLiteral("c"));
        QCOMPARE(fixture.settings.snippetKey(), QStringLiteral("s"));
        QCOMPARE(fixture.settings.clipboardHistoryLimit(), 5);
        QCOMPARE(fixture.history.items().size(), 5); // trimmed at once
        QCOMPARE(fixture.snippets.snippets().size(), 1);
        QCOMPARE(fixture.snippets.snippets().first().text, QStringLiteral("Kind regards"));
        QCOMPARE(fixture.tick(), ticks + 3); // keys, limit, snippets
        // Not reloaded: the fields keep the text as typed, the editor is the same one.
        QCOMPARE(tab.clipboardKeyField().text(), QStringLiteral("cx"));
        QCOMPARE(tab.editors().constLast(), editor);

        // Clearing the history asks first; confirmed, it acts at once and leaves unsaved
        // edits as they are.
        typeKeys(tab, QStringLiteral("b"), QStringLiteral("b"));
        QList<bool> answers{false, true};
        tab.setClearHistoryConfirmation([&answers](QWidget *) { return answers.takeFirst(); });
        auto *clear = tab.findChild<QPushButton *>(QStringLiteral("clearHistory"));
        clear->click();
        QCOMPARE(fixture.history.items().size(), 5); // declined
        clear->click();
        QVERIFY(answers.isEmpty());
        QVERIFY(fixture.history.items().isEmpty());
        QCOMPARE(tab.editors().constLast(), editor);
        QCOMPARE(tab.clipboardKeyField().text(), QStringLiteral("b"));
        QCOMPARE(fixture.settings.clipboardKey(), QStringLiteral("c"));
    }

    void picturesAreImportedAndTheirFilesFollowSaves()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::Snippets);
        SnippetsTab &tab = shown.view.snippetsTab();
        const QString picked = pictureFile(fixture.environment.root() + QStringLiteral("/Pictures"), "Team logo.jpg");
        std::optional<QUrl> choice;
        tab.setImageChooser([&choice](QWidget *) { return choice; });

        tab.importImage(); // cancelled
        QVERIFY(tab.editors().isEmpty());
        choice = QUrl::fromLocalFile(fixture.environment.root() + QStringLiteral("/no-such-file.png"));
        tab.importImage(); // not a picture
        QVERIFY(tab.editors().isEmpty());

        choice = QUrl::fromLocalFile(picked);
        tab.importImage();
        QCOMPARE(tab.editors().size(), 1);
        const Snippet imported = tab.editors().first()->record();
        QCOMPARE(imported.name, QStringLiteral("Team logo"));
        QCOMPARE(imported.kind, Snippet::Kind::image);
        const QString png = fixture.snippets.imageURL(imported)->toLocalFile();
        QVERIFY(QFile::exists(png)); // written at import, before any Save
        SnippetImagePreview *preview = tab.editors().first()->picture();
        QTRY_VERIFY(!preview->isLoading());
        QVERIFY(!preview->showsMissing());
        QVERIFY(!preview->pixmap().isNull());

        tab.save();
        QCOMPARE(fixture.snippets.snippets().size(), 1);

        // Deleted but not saved: switching tabs brings both snippet and file back.
        tab.editors().first()->findChild<QPushButton *>(QStringLiteral("delete"))->click();
        QVERIFY(tab.editors().isEmpty());
        shown.revisit(Tab::Snippets);
        QCOMPARE(tab.editors().size(), 1);
        QVERIFY(QFile::exists(png));

        // Deleted and saved: the file goes with it.
        tab.editors().first()->findChild<QPushButton *>(QStringLiteral("delete"))->click();
        tab.save();
        QVERIFY(fixture.snippets.snippets().isEmpty());
        QVERIFY(!QFile::exists(png));
    }

    void missingPictureIsShownAndKept()
    {
        SettingsFixture fixture;
        Snippet lost;
        lost.name = QStringLiteral("Diagram");
        lost.kind = Snippet::Kind::image;
        lost.imageFileName = QStringLiteral("gone.png");
        fixture.snippets.replaceAll({lost});
        ShownView shown(fixture, Tab::Snippets);
        SnippetsTab &tab = shown.view.snippetsTab();

        SnippetImagePreview *preview = tab.editors().first()->picture();
        QTRY_VERIFY(!preview->isLoading());
        QVERIFY(preview->showsMissing());
        QCOMPARE(preview->text(), QStringLiteral("(image file missing)"));

        tab.save();
        QCOMPARE(fixture.snippets.snippets(), QList<Snippet>{lost});
    }

    void helpTextNamesTheClipboardKeyAsTyped()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::Snippets);
        SnippetsTab &tab = shown.view.snippetsTab();
        const auto example = [&tab](const QString &key) {
            return showsTextContaining(tab, QStringLiteral("(e.g. %1").arg(key) + QStringLiteral("1); double-tap"));
        };
        QVERIFY(example(QStringLiteral("V")));
        tab.clipboardKeyField().setText(QStringLiteral("c"));
        QVERIFY(example(QStringLiteral("C")));
        tab.clipboardKeyField().setText(QString());
        QVERIFY(example(QStringLiteral("V"))); // an empty field names the stored key
    }
};

QTEST_MAIN(SnippetsTabTest)
#include "snippets_tab_test.moc"
