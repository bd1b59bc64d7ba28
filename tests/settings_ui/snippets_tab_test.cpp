#include "SettingsUiTesting.h"

#include "settings/ui/KeyField.h"
#include "settings/ui/SnippetImagePreview.h"
#include "settings/ui/SnippetsTab.h"
#include "support/ClipboardReads.h"
#include "support/HostileFiles.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

using namespace lettergate;

using Tab = SettingsView::Tab;

namespace {

void typeKeys(SnippetsTab &tab, const QString &clipboard, const QString &snippet)
{
    tab.clipboardKeyField().setText(clipboard);
    tab.snippetKeyField().setText(snippet);
}

} // namespace

class SnippetsTabTest : public QObject {
    Q_OBJECT
private slots:
    // A refused key stores nothing, neither the keys nor the limit nor the snippets (the
    // store's own tests cover every rule); an accepted Save stores all three and keeps
    // the edits as typed; leaving the tab discards what was not saved.
    void saveStoresKeysLimitAndSnippetsOnlyWhenTheKeysAreAccepted()
    {
        SettingsFixture fixture;
        fixture.settings.applyLetters({{"app.with.t", "t"}});
        for (int i = 0; i < 8; ++i) {
            fixture.platform.board.copyText(QStringLiteral("copy %1").arg(i));
            QVERIFY(readClipboard(fixture.history));
            QTRY_COMPARE(fixture.history.items().size(), i + 1); // a read may finish later
        }
        ShownView shown(fixture, Tab::Snippets);
        SnippetsTab &tab = shown.view.snippetsTab();
        tab.addTextSnippet();
        SnippetEditor *editor = tab.editors().constLast();
        editor->textEditor()->setPlainText(QStringLiteral("Kind regards"));
        tab.limitStepper().setValue(5);
        const int ticks = fixture.tick();
        typeKeys(tab, QStringLiteral("V"), QStringLiteral("t"));
        tab.save();
        QCOMPARE(tab.errorText(), std::optional<QString>(QStringLiteral("Key T conflicts with an app letter")));
        QCOMPARE(fixture.tick(), ticks); // every store ticks on a save

        typeKeys(tab, QStringLiteral("cx"), QStringLiteral("s"));
        tab.save();
        QCOMPARE(tab.errorText(), std::nullopt);
        QCOMPARE(fixture.settings.clipboardKey(), QStringLiteral("c"));
        QCOMPARE(fixture.history.items().size(), 5); // trimmed at once
        QCOMPARE(fixture.snippets.snippets().size(), 1);
        QCOMPARE(fixture.snippets.snippets().first().text, QStringLiteral("Kind regards"));
        QCOMPARE(fixture.tick(), ticks + 3); // keys, limit, snippets
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
        QVERIFY(fixture.history.items().isEmpty());
        QCOMPARE(tab.clipboardKeyField().text(), QStringLiteral("b"));

        // Shown again, the tab shows what is stored, without the message.
        tab.save();
        shown.revisit(Tab::Snippets);
        QCOMPARE(tab.clipboardKeyField().text(), QStringLiteral("C"));
        QCOMPARE(tab.errorText(), std::nullopt);
    }

    void picturesAreImportedTheirFilesFollowSavesAndAMissingOneIsKept()
    {
        SettingsFixture fixture;
        ShownView shown(fixture, Tab::Snippets);
        SnippetsTab &tab = shown.view.snippetsTab();
        // A picture file outside the store, as the user would pick one.
        const QString picked = fixture.environment.root() + QStringLiteral("/Team logo.jpg");
        QImage picture(32, 20, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY(picture.save(picked));
        std::optional<QUrl> choice;
        tab.setImageChooser([&choice](QWidget *) { return choice; });

        choice = QUrl::fromLocalFile(fixture.environment.root() + QStringLiteral("/no-such-file.png"));
        tab.importImage(); // not a picture
        QVERIFY(tab.editors().isEmpty());

        choice = QUrl::fromLocalFile(picked);
        tab.importImage();
        QCOMPARE(tab.editors().size(), 1);
        const Snippet imported = tab.editors().first()->record();
        QCOMPARE(imported.name, QStringLiteral("Team logo"));
        const QString png = fixture.snippets.imageURL(imported)->toLocalFile();
        QVERIFY(QFile::exists(png)); // written at import, before any Save

        tab.save();

        // Deleted but not saved: switching tabs brings both snippet and file back.
        tab.editors().first()->findChild<QPushButton *>(QStringLiteral("delete"))->click();
        shown.revisit(Tab::Snippets);
        QCOMPARE(tab.editors().size(), 1);
        QVERIFY(QFile::exists(png));

        // Deleted and saved: the file goes with it.
        tab.editors().first()->findChild<QPushButton *>(QStringLiteral("delete"))->click();
        tab.save();
        QVERIFY(fixture.snippets.snippets().isEmpty());
        QVERIFY(!QFile::exists(png));

        // A snippet whose picture has gone shows it missing, and a Save keeps it.
        const Snippet lost = HostileFiles::pictureSnippet(QStringLiteral("gone.png"));
        QVERIFY(fixture.snippets.replaceAll({lost}));
        shown.revisit(Tab::Snippets);
        QTRY_VERIFY(!tab.editors().first()->picture()->isLoading());
        QVERIFY(tab.editors().first()->picture()->showsMissing());
        tab.save();
        QCOMPARE(fixture.snippets.snippets(), QList<Snippet>{lost});
    }
};

QTEST_MAIN(SnippetsTabTest)
#include "snippets_tab_test.moc"
