#include "StoreTesting.h"
#include "platform/Paths.h"
#include "stores/ClipboardHistory.h"
#include "support/FakePlatform.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QEventLoop>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace StoreTesting;
using Kind = ClipboardHistory::Item::Kind;

namespace {

QImage picture(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

QStringList texts(const ClipboardHistory &history)
{
    QStringList result;
    for (const ClipboardHistory::Item &item : history.items())
        result << (item.isImage() ? QStringLiteral("<image>") : item.text);
    return result;
}

QStringList pngFiles(const ClipboardHistory &history)
{
    return QDir(history.imagesDirectory()).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
}

bool waitForImages(const ClipboardHistory &history)
{
    return QTest::qWaitFor([&history] { return !history.isWritingImages(); }, 10000);
}

// A history over the fake clipboard, in the test environment's data directory.
struct Fixture {
    TestEnvironment environment;
    FakePlatform platform;
    QString dataDirectory = Paths::dataDirectory();

    std::unique_ptr<ClipboardHistory> open()
    {
        return std::make_unique<ClipboardHistory>(platform.board, dataDirectory);
    }
    QString jsonPath() const { return dataDirectory + QStringLiteral("/clipboard.json"); }
};

} // namespace

class ClipboardHistoryTest : public QObject {
    Q_OBJECT
private slots:
    void recordsCopiesNewestFirstComparingOnlyTheNewestText()
    {
        Fixture fixture;
        auto history = fixture.open();
        QSignalSpy changes(history.get(), &ClipboardHistory::itemsChanged);

        history->checkPasteboard();
        QVERIFY(history->items().isEmpty());

        fixture.platform.board.copyText(QStringLiteral("A"));
        history->checkPasteboard();
        fixture.platform.board.copyText(QStringLiteral("A"));
        history->checkPasteboard();
        QCOMPARE(texts(*history), QStringList{QStringLiteral("A")});

        fixture.platform.board.copyText(QStringLiteral("B"));
        history->checkPasteboard();
        fixture.platform.board.copyText(QStringLiteral("A"));
        history->checkPasteboard();
        QCOMPARE(texts(*history), QStringList({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A")}));
        QCOMPARE(changes.count(), 3);

        // Blank text is recorded unchanged; no change count movement, no check.
        fixture.platform.board.copyText(QStringLiteral(" \n"));
        history->checkPasteboard();
        history->checkPasteboard();
        QCOMPARE(history->items().first().text, QStringLiteral(" \n"));
        QCOMPARE(history->items().size(), 4);

        // Every recorded copy has an identifier of its own.
        QCOMPARE(QSet<QUuid>({history->items()[0].id, history->items()[1].id, history->items()[3].id}).size(), 3);
    }

    void textWinsOverAPictureAndAnEmptyTextLooksForOne()
    {
        Fixture fixture;
        auto history = fixture.open();
        FakePasteboard &board = fixture.platform.board;

        board.copyImage(picture(4, 3, Qt::red));
        board.setString(QStringLiteral("caption")); // both on the clipboard now
        history->checkPasteboard();
        QCOMPARE(history->items().size(), 1);
        QCOMPARE(history->items().first().kind, Kind::text);
        QCOMPARE(history->items().first().text, QStringLiteral("caption"));

        board.setString(QString()); // an empty text, the picture still there
        history->checkPasteboard();
        QCOMPARE(history->items().size(), 2);
        QCOMPARE(history->items().first().kind, Kind::image);
        QCOMPARE(history->items().first().image.size(), QSize(4, 3));

        board.clear(); // nothing at all: no entry, no save
        history->checkPasteboard();
        QCOMPARE(history->items().size(), 2);
        QVERIFY(waitForImages(*history));
    }

    void writesTheStoredFormPrivatelyAndEachPictureOnce()
    {
        Fixture fixture;
        auto history = fixture.open();
        fixture.platform.board.copyText(QStringLiteral("secret"));
        history->checkPasteboard();
        const QImage red = picture(8, 6, Qt::red);
        fixture.platform.board.copyImage(red);
        history->checkPasteboard();
        fixture.platform.board.copyImage(red); // the same picture again: a second entry
        history->checkPasteboard();
        QVERIFY(waitForImages(*history));

        const QList<ClipboardHistory::Item> &items = history->items();
        QCOMPARE(items.size(), 3);
        const QByteArray bytes = fileBytes(fixture.jsonPath());
        QVERIFY(!bytes.contains('\n'));
        QVERIFY(!bytes.contains(": "));
        const QJsonArray array = QJsonDocument::fromJson(bytes).array();
        QCOMPARE(array.size(), 3);
        for (int i = 0; i < 2; ++i) {
            const QJsonObject image = array[i].toObject();
            const QString id = items[i].id.toString(QUuid::WithoutBraces).toUpper();
            QCOMPARE(image.value(QLatin1StringView("id")).toString(), id);
            QCOMPARE(image.value(QLatin1StringView("isImage")), QJsonValue(true));
            QCOMPARE(image.value(QLatin1StringView("imageFile")).toString(), id + QStringLiteral(".png"));
            QVERIFY(!image.contains(QLatin1StringView("text")));
            QCOMPARE(items[i].imageFile, std::optional<QString>(id + QStringLiteral(".png")));
            const QString png = history->imagesDirectory() + u'/' + id + QStringLiteral(".png");
            QCOMPARE(QImage(png).convertToFormat(QImage::Format_ARGB32), red);
            QCOMPARE(mode(png), 0600);
        }
        const QJsonObject text = array[2].toObject();
        QCOMPARE(text, QJsonObject({{QLatin1StringView("id"), items[2].id.toString(QUuid::WithoutBraces).toUpper()},
                                    {QLatin1StringView("isImage"), false},
                                    {QLatin1StringView("text"), QStringLiteral("secret")}}));
        QCOMPARE(pngFiles(*history).size(), 2);

        QCOMPARE(mode(fixture.dataDirectory), 0700);
        QCOMPARE(mode(history->imagesDirectory()), 0700);
        QCOMPARE(mode(fixture.jsonPath()), 0600);

        // Later saves do not write the pictures again.
        const QDateTime written = QFileInfo(history->imagesDirectory() + u'/' + *items[0].imageFile).lastModified();
        QTest::qWait(20);
        history->save();
        QVERIFY(!history->isWritingImages());
        QCOMPARE(QFileInfo(history->imagesDirectory() + u'/' + *items[0].imageFile).lastModified(), written);
    }

    void imageFileIsRecordedOnlyOnceItsPictureIsWritten()
    {
        Fixture fixture;
        auto history = fixture.open();
        fixture.platform.board.copyImage(picture(10, 10, Qt::blue));
        {
            ReadOnlyDirectory readOnly(history->imagesDirectory(), fixture.environment.root());
            history->checkPasteboard();
            // Straight after the copy the list is saved without a file name...
            QCOMPARE(history->items().size(), 1);
            QVERIFY(!history->items().first().imageFile);
            QVERIFY(!jsonArray(fixture.jsonPath()).first().toObject().contains(QLatin1StringView("imageFile")));
            // ...and a picture that could not be written gets none.
            QVERIFY(waitForImages(*history));
            QVERIFY(!history->items().first().imageFile);
            QVERIFY(!jsonArray(fixture.jsonPath()).first().toObject().contains(QLatin1StringView("imageFile")));
            QVERIFY(pngFiles(*history).isEmpty());
        }
        // The next save tries again.
        history->save();
        QVERIFY(waitForImages(*history));
        const QString name = history->items().first().imageFile.value_or(QString());
        QVERIFY(QFileInfo::exists(history->imagesDirectory() + u'/' + name));
        QCOMPARE(jsonArray(fixture.jsonPath()).first().toObject().value(QLatin1StringView("imageFile")).toString(), name);

        // A picture whose entry is cleared while it is written leaves no file behind.
        fixture.platform.board.copyImage(picture(300, 300, Qt::green));
        history->checkPasteboard();
        history->clear();
        QVERIFY(waitForImages(*history));
        QVERIFY(pngFiles(*history).isEmpty());
    }

    void limitTrimsDeletesTrimmedPicturesAndRewrites()
    {
        Fixture fixture;
        auto history = fixture.open();
        QCOMPARE(history->limit(), 20);
        fixture.platform.board.copyImage(picture(5, 5, Qt::red));
        history->checkPasteboard();
        fixture.platform.board.copyImage(picture(5, 5, Qt::green));
        history->checkPasteboard();
        for (const char *text : {"one", "two", "three"}) {
            fixture.platform.board.copyText(QString::fromLatin1(text));
            history->checkPasteboard();
        }
        QVERIFY(waitForImages(*history));
        QCOMPARE(pngFiles(*history).size(), 2);
        const QString keptPicture = *history->items()[3].imageFile;

        history->applyHistoryLimit(4);
        QCOMPARE(texts(*history), QStringList({QStringLiteral("three"), QStringLiteral("two"), QStringLiteral("one"),
                                               QStringLiteral("<image>")}));
        QCOMPARE(pngFiles(*history), QStringList{keptPicture});
        QCOMPARE(jsonArray(fixture.jsonPath()).size(), 4);

        history->applyHistoryLimit(10); // raising changes nothing
        QCOMPARE(history->items().size(), 4);

        // enforceLimit alone trims without writing; the caller saves.
        history->setLimit(1);
        history->enforceLimit();
        QCOMPARE(texts(*history), QStringList{QStringLiteral("three")});
        QCOMPARE(jsonArray(fixture.jsonPath()).size(), 4);
        QVERIFY(pngFiles(*history).isEmpty());

        // New copies push the oldest out at once.
        fixture.platform.board.copyText(QStringLiteral("four"));
        history->checkPasteboard();
        QCOMPARE(texts(*history), QStringList{QStringLiteral("four")});
        QCOMPARE(jsonArray(fixture.jsonPath()).size(), 1);
    }

    void clearEmptiesTheFileAndKeepsTheLastChangeCount()
    {
        Fixture fixture;
        auto history = fixture.open();
        fixture.platform.board.copyImage(picture(5, 5, Qt::red));
        history->checkPasteboard();
        QVERIFY(waitForImages(*history));
        fixture.platform.board.copyText(QStringLiteral("still on the clipboard"));
        history->checkPasteboard();

        history->clear();
        QVERIFY(history->items().isEmpty());
        QCOMPARE(fileBytes(fixture.jsonPath()), QByteArray("[]"));
        QVERIFY(pngFiles(*history).isEmpty());

        history->checkPasteboard();
        QVERIFY(history->items().isEmpty());
        fixture.platform.board.copyText(QStringLiteral("new"));
        history->checkPasteboard();
        QCOMPARE(texts(*history), QStringList{QStringLiteral("new")});
    }

    void loadsInOrderAndSkipsPicturesThatAreGone()
    {
        Fixture fixture;
        QUuid keptPicture;
        {
            auto history = fixture.open();
            for (const QColor &colour : {QColor(Qt::red), QColor(Qt::green)}) {
                fixture.platform.board.copyImage(picture(6, 6, colour));
                history->checkPasteboard();
            }
            fixture.platform.board.copyText(QStringLiteral("newest"));
            history->checkPasteboard();
            QVERIFY(waitForImages(*history));
            QFile::remove(history->imagesDirectory() + u'/' + *history->items()[1].imageFile);
            keptPicture = history->items()[2].id;
        }
        auto reloaded = fixture.open();
        QCOMPARE(texts(*reloaded), QStringList({QStringLiteral("newest"), QStringLiteral("<image>")}));
        QCOMPARE(reloaded->items()[1].id, keptPicture);
        QCOMPARE(reloaded->items()[1].image.pixelColor(0, 0), QColor(Qt::red));
        // Loading writes nothing: the file still names the missing picture.
        QCOMPARE(jsonArray(fixture.jsonPath()).size(), 3);

        // An absent "text" reads as the empty string; null members count as absent.
        writeFile(fixture.jsonPath(),
                  R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","isImage":false},)"
                  R"({"id":"6ba7b811-9dad-11d1-80b4-00c04fd430c8","isImage":false,"text":"x","imageFile":null}])");
        auto lenient = fixture.open();
        QCOMPARE(texts(*lenient), QStringList({QString(), QStringLiteral("x")}));
        QCOMPARE(lenient->items()[1].id, QUuid::fromString(QStringLiteral("6BA7B811-9DAD-11D1-80B4-00C04FD430C8")));
    }

    void undecodableFileStartsEmptyAndIsKeptAsADatedCopy_data()
    {
        QTest::addColumn<QByteArray>("content");
        const QByteArray valid = R"({"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","isImage":false,"text":"t"})";
        QTest::newRow("missing isImage") << QByteArray("[" + valid + R"(,{"id":"6BA7B811-9DAD-11D1-80B4-00C04FD430C8","text":"u"}])");
        QTest::newRow("isImage a string") << QByteArray(R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","isImage":"false"}])");
        QTest::newRow("id not a UUID") << QByteArray(R"([{"id":"not-a-uuid","isImage":false}])");
        QTest::newRow("id in braces") << QByteArray(R"([{"id":"{6BA7B810-9DAD-11D1-80B4-00C04FD430C8}","isImage":false}])");
        QTest::newRow("text a number") << QByteArray(R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","isImage":false,"text":5}])");
        QTest::newRow("element not an object") << QByteArray("[" + valid + ",3]");
        QTest::newRow("object, not array") << valid;
        QTest::newRow("truncated") << QByteArray("[" + valid.left(30));
    }
    void undecodableFileStartsEmptyAndIsKeptAsADatedCopy()
    {
        QFETCH(QByteArray, content);
        Fixture fixture;
        writeFile(fixture.jsonPath(), content);
        LogCapture log;
        auto history = fixture.open();
        QVERIFY(history->items().isEmpty());
        const QStringList copies = keptCopies(fixture.jsonPath());
        QCOMPARE(copies.size(), 1);
        const QString copy = fixture.dataDirectory + u'/' + copies.first();
        QCOMPARE(fileBytes(copy), content);
        QCOMPARE(log.lines, QStringList{QStringLiteral("[Lettergate] ⚠️ %1 could not be read; kept it as %2")
                                            .arg(fixture.jsonPath(), copy)});

        // Start-up then saves the empty list; the copy stays.
        history->applyHistoryLimit(20);
        QCOMPARE(fileBytes(fixture.jsonPath()), QByteArray("[]"));
        QCOMPARE(fileBytes(copy), content);
    }

    void emptyFileOrDirectoryInPlaceOfTheFile()
    {
        Fixture fixture;
        writeFile(fixture.jsonPath(), QByteArray());
        {
            auto history = fixture.open();
            QVERIFY(history->items().isEmpty());
            QVERIFY(keptCopies(fixture.jsonPath()).isEmpty()); // nothing in it worth keeping
            history->save();
            QCOMPARE(fileBytes(fixture.jsonPath()), QByteArray("[]"));
        }

        QFile::remove(fixture.jsonPath());
        QDir().mkpath(fixture.jsonPath());
        writeFile(fixture.jsonPath() + QStringLiteral("/mine.txt"), "keep me");
        LogCapture log;
        auto history = fixture.open();
        QVERIFY(history->items().isEmpty());
        for (const char *text : {"one", "two"}) {
            fixture.platform.board.copyText(QString::fromLatin1(text));
            history->checkPasteboard();
        }
        QCOMPARE(texts(*history), QStringList({QStringLiteral("two"), QStringLiteral("one")}));
        QCOMPARE(fileBytes(fixture.jsonPath() + QStringLiteral("/mine.txt")), QByteArray("keep me"));
        // The failure is logged once, not at every copy.
        QCOMPARE(log.lines.size(), 1);
        QVERIFY2(log.lines.first().startsWith(QStringLiteral("[Lettergate] ⚠️ could not write %1: ").arg(fixture.jsonPath())),
                 qPrintable(log.lines.first()));
    }

    void readOnlyDataDirectoryKeepsTheHistoryInMemory()
    {
        Fixture fixture;
        auto history = fixture.open();
        fixture.platform.board.copyText(QStringLiteral("before"));
        history->checkPasteboard();
        LogCapture log;
        {
            ReadOnlyDirectory readOnly(fixture.dataDirectory, fixture.environment.root());
            ReadOnlyDirectory readOnlyImages(history->imagesDirectory(), fixture.environment.root());
            fixture.platform.board.copyText(QStringLiteral("during"));
            history->checkPasteboard();
            fixture.platform.board.copyImage(picture(5, 5, Qt::red));
            history->checkPasteboard();
            QVERIFY(waitForImages(*history));
            QCOMPARE(texts(*history),
                     QStringList({QStringLiteral("<image>"), QStringLiteral("during"), QStringLiteral("before")}));
            QCOMPARE(jsonArray(fixture.jsonPath()).size(), 1); // the file as it was
            QCOMPARE(log.lines.size(), 1);
        }
        fixture.platform.board.copyText(QStringLiteral("after"));
        history->checkPasteboard();
        QVERIFY(waitForImages(*history));
        QCOMPARE(jsonArray(fixture.jsonPath()).size(), 4);
        QVERIFY(history->items()[1].imageFile);
    }

    void hugeCopiesAreLeftOutQuickly()
    {
        Fixture fixture;
        auto history = fixture.open();
        LogCapture log;

        fixture.platform.board.copyText(QString(50 * 1024 * 1024, u'x'));
        history->checkPasteboard();
        QVERIFY(history->items().isEmpty());
        QVERIFY(!QFileInfo::exists(fixture.jsonPath()));

        fixture.platform.board.copyImage(QImage(8000, 8000, QImage::Format_RGB32));
        history->checkPasteboard();
        QVERIFY(history->items().isEmpty());
        QCOMPARE(log.lines,
                 QStringList({QStringLiteral("[Lettergate] clipboard text of 52428800 characters not recorded: the "
                                             "history takes at most 1048576"),
                              QStringLiteral("[Lettergate] clipboard picture of 8000×8000 pixels not recorded: the "
                                             "history takes at most 33554432 pixels")}));

        // Up to the limit a text is recorded.
        fixture.platform.board.copyText(QString(ClipboardHistory::maximumTextLength, u'y'));
        history->checkPasteboard();
        QCOMPARE(history->items().size(), 1);
        QCOMPARE(jsonArray(fixture.jsonPath()).first().toObject().value(QLatin1StringView("text")).toString().size(),
                 ClipboardHistory::maximumTextLength);
    }

    void startOffersTheCurrentContentOnce()
    {
        Fixture fixture;
        fixture.platform.board.copyText(QStringLiteral("newest"));
        {
            auto history = fixture.open();
            history->start();
            history->start();
            QCOMPARE(texts(*history), QStringList{QStringLiteral("newest")});
        }
        {
            auto history = fixture.open(); // a restart with the same text adds nothing
            history->start();
            QCOMPARE(texts(*history), QStringList{QStringLiteral("newest")});
        }
        fixture.platform.board.copyImage(picture(3, 3, Qt::red));
        auto history = fixture.open();
        history->start();
        history->start(); // a second start would record the picture again
        QCOMPARE(texts(*history), QStringList({QStringLiteral("<image>"), QStringLiteral("newest")}));
        QVERIFY(waitForImages(*history));
    }

    void pollKeepsRunningInsideANestedEventLoop()
    {
        Fixture fixture;
        auto history = fixture.open();
        history->start();
        QVERIFY(history->items().isEmpty());

        // A menu runs its own event loop; copies made meanwhile are still recorded.
        int recordedInside = 0;
        QTimer::singleShot(0, this, [&] {
            QEventLoop menu;
            fixture.platform.board.copyText(QStringLiteral("while the menu is open"));
            QTimer::singleShot(1500, &menu, &QEventLoop::quit);
            menu.exec();
            recordedInside = int(history->items().size());
        });
        QTRY_COMPARE_WITH_TIMEOUT(recordedInside, 1, 3000);
        QCOMPARE(history->items().first().text, QStringLiteral("while the menu is open"));
    }

    void storedNamesNeverReachOutsideTheImagesDirectory()
    {
        Fixture fixture;
        const QString outside = fixture.dataDirectory + QStringLiteral("/outside.png");
        QVERIFY(QDir().mkpath(fixture.dataDirectory));
        QVERIFY(picture(4, 4, Qt::red).save(outside));
        writeFile(fixture.jsonPath(), R"([{"id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8","isImage":true,)"
                                      R"("imageFile":"../outside.png"},)"
                                      R"({"id":"6BA7B811-9DAD-11D1-80B4-00C04FD430C8","isImage":false,"text":"t"}])");
        auto history = fixture.open();
        QCOMPARE(texts(*history), QStringList{QStringLiteral("t")});
        history->clear();
        QVERIFY(QFileInfo::exists(outside));
    }
};

QTEST_GUILESS_MAIN(ClipboardHistoryTest)
#include "clipboard_history_test.moc"
