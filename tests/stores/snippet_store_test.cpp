#include "StoreTesting.h"
#include "platform/Paths.h"
#include "stores/ClipPicture.h"
#include "stores/SnippetStore.h"
#include "support/TestEnvironment.h"

#include <QImageReader>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

using namespace lettergate;

using namespace StoreTesting;

namespace {

QImage gradient()
{
    QImage image(16, 9, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, QColor(x * 16, y * 28, 128));
    return image;
}

QStringList imageFiles(const SnippetStore &store)
{
    return QDir(store.imagesDirectory()).entryList(QDir::Files, QDir::Name);
}

// A store in a fresh data directory, and a picture file to import.
struct Fixture {
    TestEnvironment environment;
    SnippetStore store{Paths::dataDirectory()};
    QString source = environment.root() + QStringLiteral("/a.png");
    Fixture() { gradient().save(source); }
    Snippet import() { return *store.importImage(QUrl::fromLocalFile(source)); }
};

} // namespace

class SnippetStoreTest : public QObject {
    Q_OBJECT
private slots:
    // A picture of another format, under a name with dots and spaces.
    void importTurnsAnyReadablePictureIntoAPng()
    {
        Fixture fixture;
        const QString source = fixture.environment.root() + QStringLiteral("/Screen Shot.final.jpeg");
        QVERIFY(gradient().save(source, "jpeg"));
        const std::optional<Snippet> snippet = fixture.store.importImage(QUrl::fromLocalFile(source));
        QVERIFY(snippet);
        QCOMPARE(snippet->name, QStringLiteral("Screen Shot.final"));
        QCOMPARE(snippet->kind, Snippet::Kind::image);
        QVERIFY(fixture.store.snippets().isEmpty()); // not saved until the list is
        const QString png = fixture.store.imageURL(*snippet)->toLocalFile();
        QCOMPARE(QImageReader(png).format(), QByteArray("png"));
        QCOMPARE(QImage(png).size(), QSize(16, 9));
    }

    void saveWritesTheStoredFormAndDeletesOnlyPicturesTheFileNoLongerNames()
    {
        Fixture fixture;
        SnippetStore &store = fixture.store;
        Snippet first = fixture.import();
        const Snippet second = fixture.import();
        Snippet text;
        text.name = QStringLiteral("Sig");
        text.text = QStringLiteral("Regards");
        text.letter = QStringLiteral("s");
        QSignalSpy saves(&store, &SnippetStore::listSaved);

        QVERIFY(store.replaceAll({first, second, text}));
        QCOMPARE(saves.count(), 1);
        QCOMPARE(jsonArray(Paths::dataDirectory() + QStringLiteral("/snippets.json"))[0].toObject(),
                 QJsonObject({{"id", first.id.toString(QUuid::WithoutBraces).toUpper()},
                              {"name", "a"},
                              {"letter", ""},
                              {"kind", "image"},
                              {"text", ""},
                              {"imageFileName", *first.imageFileName}}));
        // Renaming keeps the picture; deleting the snippet deletes it, on Save.
        first.name = QStringLiteral("renamed");
        QVERIFY(store.replaceAll({first, text}));
        QCOMPARE(imageFiles(store), QStringList{*first.imageFileName});
        // A picture imported into the working copy but never saved is left alone.
        const Snippet unsaved = fixture.import();
        QVERIFY(store.replaceAll({text}));
        QCOMPARE(imageFiles(store), QStringList{*unsaved.imageFileName});
        QCOMPARE(SnippetStore(Paths::dataDirectory()).snippets(), QList<Snippet>{text});

        // A failed save keeps the pictures the file still names, and is reported for the
        // save indicator to show.
        QVERIFY(store.replaceAll({unsaved}));
        QSignalSpy writes(&store, &SnippetStore::fileWriteFinished);
        {
            ReadOnlyDirectory readOnly(Paths::dataDirectory(), fixture.environment.root());
            QVERIFY(!store.replaceAll({}));
        }
        QCOMPARE(writes.last().at(1).toBool(), false);
        QCOMPARE(imageFiles(store), QStringList{*unsaved.imageFileName});
        QCOMPARE(SnippetStore(Paths::dataDirectory()).snippets(), QList<Snippet>{unsaved});
    }

    void previewsAreMadeInTheBackgroundAndKeptForListedPicturesOnly()
    {
        Fixture fixture;
        SnippetStore &store = fixture.store;
        QImage wide(800, 500, QImage::Format_RGB32);
        wide.fill(Qt::darkCyan);
        QVERIFY(wide.save(fixture.source));
        const Snippet picture = fixture.import();
        QVERIFY(!store.previews().preview(picture));
        QTRY_VERIFY(store.previews().preview(picture));
        QCOMPARE(store.previews().preview(picture)->size(), ClipPicture::previewBounds);
        QVERIFY(store.replaceAll({picture}));
        SnippetStore loaded(Paths::dataDirectory());
        QTRY_VERIFY(loaded.previews().preview(picture));
        QCOMPARE(loaded.previews().preview(picture)->pixelColor(0, 0), QColor(Qt::darkCyan));
        // A picture dropped before its preview was in keeps none; a deleted snippet's
        // preview is forgotten.
        const Snippet dropped = fixture.import();
        QVERIFY(store.replaceAll({picture}));
        QTRY_VERIFY(store.previews().isIdle());
        QVERIFY(!store.previews().preview(dropped));
        QVERIFY(store.replaceAll({}));
        QVERIFY(!store.previews().preview(picture));
    }

    // A missing picture still loads; an unknown kind or a missing member sets the file
    // aside whole; a stored name never reaches outside the pictures' folder.
    void loadIsStrictAboutKindAndLenientAboutMissingPictures()
    {
        TestEnvironment environment;
        const QString file = Paths::dataDirectory() + QStringLiteral("/snippets.json");
        const QByteArray head = R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","name":"n","letter":"",)";
        writeFile(file, head + R"("kind":"image","text":"","imageFileName":"GONE.png"}])");
        QCOMPARE(SnippetStore(Paths::dataDirectory()).snippets().size(), 1);

        const QString outside = Paths::dataDirectory() + QStringLiteral("/precious.txt");
        writeFile(outside, "mine");
        writeFile(file, head + R"("kind":"image","text":"","imageFileName":"../precious.txt"}])");
        {
            SnippetStore store(Paths::dataDirectory());
            QVERIFY(!store.imageURL(store.snippets().first()));
            QVERIFY(store.replaceAll({}));
            QCOMPARE(fileBytes(outside), QByteArray("mine"));
        }

        for (const QByteArray &bad :
             {head + R"("kind":"video","text":""}])",
              QByteArray(R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","name":"n","kind":"text","text":""}])")}) {
            writeFile(file, bad);
            QVERIFY2(SnippetStore(Paths::dataDirectory()).snippets().isEmpty(), bad.constData());
        }
        QCOMPARE(keptCopies(file).size(), 2);
    }
};

QTEST_GUILESS_MAIN(SnippetStoreTest)
#include "snippet_store_test.moc"
