#include "StoreTesting.h"
#include "platform/Paths.h"
#include "stores/ClipPicture.h"
#include "stores/SnippetStore.h"
#include "support/TestEnvironment.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

using namespace StoreTesting;

namespace {

Snippet textSnippet(const QString &name, const QString &text)
{
    Snippet snippet;
    snippet.name = name;
    snippet.text = text;
    return snippet;
}

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

} // namespace

class SnippetStoreTest : public QObject {
    Q_OBJECT
private slots:
    void importTurnsAnyReadablePictureIntoAPng_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QSize>("size");
        // Formats built into Qt and one from the image formats plugins; names with dots and spaces.
        for (const auto &[fileName, format] :
             {std::pair{"Diagram.final.png", "png"}, {"Screen Shot.jpeg", "jpeg"}, {"icon.webp", "webp"}}) {
            QByteArray content;
            QBuffer buffer(&content);
            buffer.open(QIODevice::WriteOnly);
            QImageWriter writer(&buffer, format);
            QVERIFY2(writer.write(gradient()), qPrintable(writer.errorString()));
            QTest::newRow(format) << QString::fromUtf8(fileName) << content << QSize(16, 9);
        }
        // Qt reads GIF but cannot write it: one red pixel, made by hand.
        static const char gif[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00"
                                  ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;";
        QTest::newRow("gif") << QStringLiteral("dot.gif") << QByteArray(gif, sizeof gif - 1) << QSize(1, 1);
    }
    void importTurnsAnyReadablePictureIntoAPng()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QFETCH(QSize, size);
        TestEnvironment environment;
        SnippetStore store(Paths::dataDirectory());
        const QString source = environment.root() + u'/' + fileName;
        writeFile(source, content);

        const std::optional<Snippet> snippet = store.importImage(QUrl::fromLocalFile(source));
        QVERIFY(snippet);
        QCOMPARE(snippet->name, QFileInfo(fileName).completeBaseName());
        QCOMPARE(snippet->kind, Snippet::Kind::image);
        QVERIFY(store.snippets().isEmpty()); // not saved until the list is

        const QString png = store.imageURL(*snippet)->toLocalFile();
        QCOMPARE(png, store.imagesDirectory() + u'/' + *snippet->imageFileName);
        QCOMPARE(QImageReader(png).format(), QByteArray("png"));
        QCOMPARE(QImage(png).size(), size);
        QCOMPARE(mode(png), 0600);
        QCOMPARE(mode(store.imagesDirectory()), 0700);
    }

    void saveWritesTheStoredFormAndDeletesOnlyUnnamedPictures()
    {
        TestEnvironment environment;
        const QString file = Paths::dataDirectory() + QStringLiteral("/snippets.json");
        SnippetStore store(Paths::dataDirectory());
        const QString source = environment.root() + QStringLiteral("/a.png");
        QVERIFY(gradient().save(source));
        Snippet first = *store.importImage(QUrl::fromLocalFile(source));
        const Snippet second = *store.importImage(QUrl::fromLocalFile(source));
        Snippet text = textSnippet(QStringLiteral("Sig"), QStringLiteral("Regards"));
        text.letter = QStringLiteral("s"); // carried through unchanged
        QSignalSpy changes(&store, &SnippetStore::snippetsChanged);
        QSignalSpy saves(&store, &SnippetStore::listSaved);

        QVERIFY(store.replaceAll({first, second, text}));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(saves.count(), 1);
        const QJsonArray array = jsonArray(file);
        QCOMPARE(array[0].toObject(), QJsonObject({{"id", first.id.toString(QUuid::WithoutBraces).toUpper()},
                                                   {"name", "a"}, {"letter", ""}, {"kind", "image"}, {"text", ""},
                                                   {"imageFileName", *first.imageFileName}}));
        QCOMPARE(array[2].toObject(), QJsonObject({{"id", text.id.toString(QUuid::WithoutBraces).toUpper()},
                                                   {"name", "Sig"}, {"letter", "s"}, {"kind", "text"},
                                                   {"text", "Regards"}}));
        QCOMPARE(mode(file), 0600);

        // The same list again: written again, announced again, nothing deleted.
        QVERIFY(store.replaceAll(store.snippets()));
        QCOMPARE(saves.count(), 2);
        QCOMPARE(imageFiles(store).size(), 2);

        // Renaming keeps the picture; deleting the snippet deletes it, on Save.
        first.name = QStringLiteral("renamed");
        QVERIFY(store.replaceAll({first, text}));
        QCOMPARE(imageFiles(store), QStringList{*first.imageFileName});

        // A picture imported into the working copy but never saved is left alone.
        const Snippet unsaved = *store.importImage(QUrl::fromLocalFile(source));
        QVERIFY(store.replaceAll({text}));
        QCOMPARE(imageFiles(store), QStringList{*unsaved.imageFileName});

        SnippetStore reloaded(Paths::dataDirectory());
        QCOMPARE(reloaded.snippets(), QList<Snippet>{text});
    }

    void previewsAreMadeInTheBackgroundAndKeptForListedPicturesOnly()
    {
        TestEnvironment environment;
        SnippetStore store(Paths::dataDirectory());
        const QString source = environment.root() + QStringLiteral("/wide.png");
        QImage wide(800, 500, QImage::Format_RGB32);
        wide.fill(Qt::darkCyan);
        QVERIFY(wide.save(source));
        QSignalSpy made(&store.previews(), &SnippetPreviews::previewMade);

        // An import's preview is scaled from the picture in hand, off the GUI thread.
        const Snippet picture = *store.importImage(QUrl::fromLocalFile(source));
        QVERIFY(!store.previews().preview(picture));
        QTRY_COMPARE(made.size(), 1);
        QCOMPARE(made.constFirst().constFirst().toString(), *picture.imageFileName);
        QCOMPARE(store.previews().preview(picture)->size(), ClipPicture::previewBounds);
        QVERIFY(store.replaceAll({picture}));

        // A store that loads the list decodes its pictures in the background.
        {
            SnippetStore loaded(Paths::dataDirectory());
            QVERIFY(!loaded.previews().preview(picture));
            QTRY_VERIFY(loaded.previews().preview(picture));
            QCOMPARE(loaded.previews().preview(picture)->pixelColor(0, 0), QColor(Qt::darkCyan));
        }

        // A picture imported and dropped before its preview was in keeps none; a deleted
        // snippet's preview is forgotten.
        const Snippet dropped = *store.importImage(QUrl::fromLocalFile(source));
        QVERIFY(store.replaceAll({picture}));
        QTRY_VERIFY(store.previews().isIdle());
        QVERIFY(!store.previews().preview(dropped));
        QVERIFY(store.replaceAll({}));
        QVERIFY(!store.previews().preview(picture));
    }

    void aFailedSaveKeepsThePicturesTheFileStillNames()
    {
        TestEnvironment environment;
        SnippetStore store(Paths::dataDirectory());
        const QString source = environment.root() + QStringLiteral("/a.png");
        QVERIFY(gradient().save(source));
        const Snippet picture = *store.importImage(QUrl::fromLocalFile(source));
        QVERIFY(store.replaceAll({picture}));
        QSignalSpy saves(&store, &SnippetStore::listSaved);
        QSignalSpy writes(&store, &SnippetStore::fileWriteFinished);
        {
            ReadOnlyDirectory readOnly(Paths::dataDirectory(), environment.root());
            QVERIFY(!store.replaceAll({}));
        }
        QVERIFY(store.snippets().isEmpty());
        QCOMPARE(saves.count(), 0);
        // The failure is reported, for the save indicator to show.
        QVERIFY(!writes.isEmpty());
        QCOMPARE(writes.last().at(0).toString(), Paths::dataDirectory() + QStringLiteral("/snippets.json"));
        QCOMPARE(writes.last().at(1).toBool(), false);
        QCOMPARE(imageFiles(store), QStringList{*picture.imageFileName});
        SnippetStore reloaded(Paths::dataDirectory());
        QCOMPARE(reloaded.snippets(), QList<Snippet>{picture});
        QVERIFY(QFileInfo::exists(reloaded.imageURL(picture)->toLocalFile()));
    }

    void loadIsStrictAboutKindAndLenientAboutMissingPictures()
    {
        TestEnvironment environment;
        const QString file = Paths::dataDirectory() + QStringLiteral("/snippets.json");
        const QByteArray missingPicture = R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","name":"gone","letter":"",)"
                                          R"("kind":"image","text":"","imageFileName":"GONE.png"}])";
        writeFile(file, missingPicture);
        {
            SnippetStore store(Paths::dataDirectory());
            QCOMPARE(store.snippets().size(), 1);
            const std::optional<QUrl> url = store.imageURL(store.snippets().first());
            QVERIFY(url);
            QVERIFY(QImage(url->toLocalFile()).isNull()); // readers show it as missing its picture
            QVERIFY(!store.imageURL(textSnippet(QStringLiteral("t"), QStringLiteral("t"))));
        }

        const QByteArray badKind = R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","name":"n","letter":"",)"
                                   R"("kind":"video","text":""}])";
        writeFile(file, badKind);
        SnippetStore store(Paths::dataDirectory());
        QVERIFY(store.snippets().isEmpty());
        QCOMPARE(keptCopies(file).size(), 1);
        QCOMPARE(fileBytes(Paths::dataDirectory() + u'/' + keptCopies(file).first()), badKind);

        // A missing required member is as bad.
        writeFile(file, R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","name":"n","kind":"text","text":""}])");
        QVERIFY(SnippetStore(Paths::dataDirectory()).snippets().isEmpty());
    }

    void storedNamesNeverReachOutsideTheImagesDirectory()
    {
        TestEnvironment environment;
        const QString file = Paths::dataDirectory() + QStringLiteral("/snippets.json");
        const QString outside = Paths::dataDirectory() + QStringLiteral("/precious.txt");
        writeFile(outside, "mine");
        writeFile(file, R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","name":"n","letter":"",)"
                        R"("kind":"image","text":"","imageFileName":"../precious.txt"}])");
        SnippetStore store(Paths::dataDirectory());
        QCOMPARE(store.snippets().size(), 1);
        QVERIFY(!store.imageURL(store.snippets().first()));
        QVERIFY(store.replaceAll({}));
        QCOMPARE(fileBytes(outside), QByteArray("mine"));
    }
};

QTEST_GUILESS_MAIN(SnippetStoreTest)
#include "snippet_store_test.moc"
