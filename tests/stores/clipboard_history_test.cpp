#include "StoreTesting.h"
#include "platform/Paths.h"
#include "stores/ClipboardHistory.h"
#include "support/ClipboardReads.h"
#include "support/FakePlatform.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QBuffer>
#include <QEventLoop>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>

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

// PNG's chunk checksum, so that an edited header still reads as sound.
quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
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

        QVERIFY(readClipboard(*history));
        QVERIFY(history->items().isEmpty());

        fixture.platform.board.copyText(QStringLiteral("A"));
        QVERIFY(readClipboard(*history));
        fixture.platform.board.copyText(QStringLiteral("A"));
        QVERIFY(readClipboard(*history));
        QCOMPARE(texts(*history), QStringList{QStringLiteral("A")});

        fixture.platform.board.copyText(QStringLiteral("B"));
        QVERIFY(readClipboard(*history));
        fixture.platform.board.copyText(QStringLiteral("A"));
        QVERIFY(readClipboard(*history));
        QCOMPARE(texts(*history), QStringList({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A")}));
        QCOMPARE(changes.count(), 3);

        // Blank text is recorded unchanged; no change count movement, no check.
        fixture.platform.board.copyText(QStringLiteral(" \n"));
        QVERIFY(readClipboard(*history));
        QVERIFY(readClipboard(*history));
        QCOMPARE(history->items().first().text, QStringLiteral(" \n"));
        QCOMPARE(history->items().size(), 4);

        // Every recorded copy has an identifier of its own.
        QCOMPARE(QSet<QUuid>({history->items()[0].id, history->items()[1].id, history->items()[3].id}).size(), 3);
    }

    void theSamePictureTwiceInARowIsOneCopyAsTextIs()
    {
        Fixture fixture;
        auto history = fixture.open();
        FakePasteboard &board = fixture.platform.board;
        ClipboardHistory *current = history.get();
        const auto copyAndCheck = [&](const QImage &image) {
            board.copyImage(image);
            QVERIFY(readClipboard(*current));
        };

        copyAndCheck(picture(6, 4, Qt::red));
        copyAndCheck(picture(6, 4, Qt::red));
        QCOMPARE(history->items().size(), 1);
        // Still the same once the first is held only as its file.
        QVERIFY(waitForImages(*history));
        QVERIFY(history->items().first().imageFile);
        copyAndCheck(picture(6, 4, Qt::red));
        QCOMPARE(history->items().size(), 1);

        // Other pixels, another size, or the same picture after another copy: new entries.
        QImage almost = picture(6, 4, Qt::red);
        almost.setPixelColor(5, 3, Qt::blue);
        copyAndCheck(almost);
        copyAndCheck(picture(4, 6, Qt::red));
        copyAndCheck(picture(6, 4, Qt::red));
        QCOMPARE(history->items().size(), 4);
        QCOMPARE(history->items()[1].picture.size(), QSize(4, 6));
        QCOMPARE(history->items()[2].picture.image().pixelColor(5, 3), QColor(Qt::blue));

        // A text is never the same as a picture, even with nothing to compare by.
        board.copyText(QStringLiteral("caption"));
        QVERIFY(readClipboard(*history));
        QCOMPARE(history->items().size(), 5);
        QVERIFY(waitForImages(*history));
        QCOMPARE(pngFiles(*history).size(), 4);

        // A picture read back from its file is not compared: its pixels are decoded only to
        // be pasted, never to compare a copy with.
        history.reset();
        auto reopened = fixture.open();
        current = reopened.get();
        copyAndCheck(picture(6, 4, Qt::green));
        copyAndCheck(picture(6, 4, Qt::green));
        QCOMPARE(reopened->items().size(), 6);
        QVERIFY(waitForImages(*reopened));
    }

    void picturesBytesOfferedAsTextAreNotRecorded()
    {
        Fixture fixture;
        auto history = fixture.open();
        FakePasteboard &board = fixture.platform.board;
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(picture(8, 8, Qt::red).save(&buffer, "PNG"));

        // What a text read of a picture's owner gives: its bytes decoded as UTF-8.
        LogCapture log;
        board.copyText(QString::fromUtf8(png));
        QVERIFY(readClipboard(*history));
        QVERIFY(history->items().isEmpty());
        QCOMPARE(log.lines, QStringList{QStringLiteral("[Lettergate] clipboard text holding binary data not recorded")});

        // Any other text, replacement characters and all, is a copy.
        board.copyText(QStringLiteral("caf\uFFFD \u2713"));
        QVERIFY(readClipboard(*history));
        QCOMPARE(texts(*history), QStringList{QStringLiteral("caf\uFFFD \u2713")});
    }

    void aChangeDuringAReadIsReadOnceAfterIt()
    {
        Fixture fixture;
        auto history = fixture.open();
        FakePasteboard &board = fixture.platform.board;
        history->start();
        QVERIFY(readClipboard(*history));
        const int requestsBefore = board.requests;

        // Two more copies while "first" is on its way: the read answers "first", and one
        // more read, not two, finds what the clipboard holds by then.
        board.duringRead = [&board] {
            board.duringRead = nullptr;
            board.copyText(QStringLiteral("second"));
            board.copyText(QStringLiteral("third"));
        };
        board.copyText(QStringLiteral("first"));
        // Nothing is recorded inside the request: the content arrives from the event loop.
        QVERIFY(history->items().isEmpty());
        QVERIFY(history->isReading());
        QSignalSpy changes(history.get(), &ClipboardHistory::itemsChanged);
        QVERIFY(readClipboard(*history));
        QCOMPARE(texts(*history), QStringList({QStringLiteral("third"), QStringLiteral("first")}));
        QCOMPARE(changes.count(), 2);
        QCOMPARE(board.requests, requestsBefore + 2);

        // Neither a poll tick nor an announcement without a change asks again.
        QVERIFY(readClipboard(*history));
        QCOMPARE(board.requests, requestsBefore + 2);
    }

    void textWinsOverAPictureAndAnEmptyTextLooksForOne()
    {
        Fixture fixture;
        auto history = fixture.open();
        FakePasteboard &board = fixture.platform.board;

        board.copyImage(picture(4, 3, Qt::red));
        board.setString(QStringLiteral("caption")); // both on the clipboard now
        QVERIFY(readClipboard(*history));
        QCOMPARE(history->items().size(), 1);
        QCOMPARE(history->items().first().kind, Kind::text);
        QCOMPARE(history->items().first().text, QStringLiteral("caption"));

        board.setString(QString()); // an empty text, the picture still there
        QVERIFY(readClipboard(*history));
        QCOMPARE(history->items().size(), 2);
        QCOMPARE(history->items().first().kind, Kind::image);
        QCOMPARE(history->items().first().picture.size(), QSize(4, 3));

        board.clear(); // nothing at all: no entry, no save
        QVERIFY(readClipboard(*history));
        QCOMPARE(history->items().size(), 2);
        QVERIFY(waitForImages(*history));
    }

    void writesTheStoredFormPrivatelyAndEachPictureOnce()
    {
        Fixture fixture;
        auto history = fixture.open();
        fixture.platform.board.copyText(QStringLiteral("secret"));
        QVERIFY(readClipboard(*history));
        const QImage red = picture(8, 6, Qt::red);
        fixture.platform.board.copyImage(red);
        QVERIFY(readClipboard(*history));
        const QImage blue = picture(8, 6, Qt::blue);
        fixture.platform.board.copyImage(blue);
        QVERIFY(readClipboard(*history));
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
            QCOMPARE(QImage(png).convertToFormat(QImage::Format_ARGB32), i == 0 ? blue : red);
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
            QVERIFY(readClipboard(*history));
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
        QVERIFY(readClipboard(*history));
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
        QVERIFY(readClipboard(*history));
        fixture.platform.board.copyImage(picture(5, 5, Qt::green));
        QVERIFY(readClipboard(*history));
        for (const char *text : {"one", "two", "three"}) {
            fixture.platform.board.copyText(QString::fromLatin1(text));
            QVERIFY(readClipboard(*history));
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

        // enforceLimit alone trims without writing; the caller saves. The list on disk
        // still names the trimmed picture, so its file stays until the list is written.
        history->setLimit(1);
        history->enforceLimit();
        QCOMPARE(texts(*history), QStringList{QStringLiteral("three")});
        QCOMPARE(jsonArray(fixture.jsonPath()).size(), 4);
        QCOMPARE(pngFiles(*history), QStringList{keptPicture});
        history->save();
        QCOMPARE(jsonArray(fixture.jsonPath()).size(), 1);
        QVERIFY(pngFiles(*history).isEmpty());

        // New copies push the oldest out at once.
        fixture.platform.board.copyText(QStringLiteral("four"));
        QVERIFY(readClipboard(*history));
        QCOMPARE(texts(*history), QStringList{QStringLiteral("four")});
        QCOMPARE(jsonArray(fixture.jsonPath()).size(), 1);
    }

    void trimmedPicturesOutliveEveryListThatNamesThem()
    {
        Fixture fixture;
        auto history = fixture.open();
        history->setLimit(1);
        fixture.platform.board.copyImage(picture(5, 5, Qt::red));
        QVERIFY(readClipboard(*history));
        QVERIFY(waitForImages(*history));
        const QString picturePath = history->imagesDirectory() + u'/' + *history->items().first().imageFile;
        QVERIFY(QFile::exists(picturePath));

        // The list that drops the picture cannot be written: the file it names stays.
        LogCapture log;
        {
            ReadOnlyDirectory readOnly(fixture.dataDirectory, fixture.environment.root());
            fixture.platform.board.copyText(QStringLiteral("pushes the picture out"));
            QVERIFY(readClipboard(*history));
            QCOMPARE(texts(*history), QStringList{QStringLiteral("pushes the picture out")});
            QVERIFY(jsonArray(fixture.jsonPath()).at(0).toObject().value(QStringLiteral("isImage")).toBool());
            QVERIFY(QFile::exists(picturePath));
            history->clear();
            QVERIFY(QFile::exists(picturePath));
        }
        QVERIFY(!log.lines.isEmpty());

        // The next list written without it lets the file go.
        fixture.platform.board.copyText(QStringLiteral("written"));
        QVERIFY(readClipboard(*history));
        QCOMPARE(jsonArray(fixture.jsonPath()).size(), 1);
        QVERIFY(!QFile::exists(picturePath));
        QVERIFY(pngFiles(*history).isEmpty());
    }

    void clearEmptiesTheFileAndKeepsTheLastChangeCount()
    {
        Fixture fixture;
        auto history = fixture.open();
        fixture.platform.board.copyImage(picture(5, 5, Qt::red));
        QVERIFY(readClipboard(*history));
        QVERIFY(waitForImages(*history));
        fixture.platform.board.copyText(QStringLiteral("still on the clipboard"));
        QVERIFY(readClipboard(*history));

        history->clear();
        QVERIFY(history->items().isEmpty());
        QCOMPARE(fileBytes(fixture.jsonPath()), QByteArray("[]"));
        QVERIFY(pngFiles(*history).isEmpty());

        QVERIFY(readClipboard(*history));
        QVERIFY(history->items().isEmpty());
        fixture.platform.board.copyText(QStringLiteral("new"));
        QVERIFY(readClipboard(*history));
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
                QVERIFY(readClipboard(*history));
            }
            fixture.platform.board.copyText(QStringLiteral("newest"));
            QVERIFY(readClipboard(*history));
            QVERIFY(waitForImages(*history));
            QFile::remove(history->imagesDirectory() + u'/' + *history->items()[1].imageFile);
            keptPicture = history->items()[2].id;
        }
        auto reloaded = fixture.open();
        QCOMPARE(texts(*reloaded), QStringList({QStringLiteral("newest"), QStringLiteral("<image>")}));
        QCOMPARE(reloaded->items()[1].id, keptPicture);
        QCOMPARE(reloaded->items()[1].picture.image().pixelColor(0, 0), QColor(Qt::red));
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
            QVERIFY(readClipboard(*history));
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
        QVERIFY(readClipboard(*history));
        LogCapture log;
        {
            ReadOnlyDirectory readOnly(fixture.dataDirectory, fixture.environment.root());
            ReadOnlyDirectory readOnlyImages(history->imagesDirectory(), fixture.environment.root());
            fixture.platform.board.copyText(QStringLiteral("during"));
            QVERIFY(readClipboard(*history));
            fixture.platform.board.copyImage(picture(5, 5, Qt::red));
            QVERIFY(readClipboard(*history));
            QVERIFY(waitForImages(*history));
            QCOMPARE(texts(*history),
                     QStringList({QStringLiteral("<image>"), QStringLiteral("during"), QStringLiteral("before")}));
            QCOMPARE(jsonArray(fixture.jsonPath()).size(), 1); // the file as it was
            QCOMPARE(log.lines.size(), 1);
        }
        fixture.platform.board.copyText(QStringLiteral("after"));
        QVERIFY(readClipboard(*history));
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
        QVERIFY(readClipboard(*history));
        QVERIFY(history->items().isEmpty());
        QVERIFY(!QFileInfo::exists(fixture.jsonPath()));

        fixture.platform.board.copyImage(QImage(8000, 8000, QImage::Format_RGB32));
        QVERIFY(readClipboard(*history));
        QVERIFY(history->items().isEmpty());
        QCOMPARE(log.lines,
                 QStringList({QStringLiteral("[Lettergate] clipboard text of 52428800 characters not recorded: the "
                                             "history takes at most 1048576"),
                              QStringLiteral("[Lettergate] clipboard picture of 8000×8000 pixels not recorded: the "
                                             "history takes at most 33554432 pixels")}));

        // Up to the limit a text is recorded.
        fixture.platform.board.copyText(QString(ClipboardHistory::maximumTextLength, u'y'));
        QVERIFY(readClipboard(*history));
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
            QVERIFY(readClipboard(*history));
            QCOMPARE(texts(*history), QStringList{QStringLiteral("newest")});
        }
        {
            auto history = fixture.open(); // a restart with the same text adds nothing
            history->start();
            QVERIFY(readClipboard(*history));
            QCOMPARE(texts(*history), QStringList{QStringLiteral("newest")});
        }
        fixture.platform.board.copyImage(picture(3, 3, Qt::red));
        auto history = fixture.open();
        history->start();
        history->start(); // a second start would record the picture again
        QVERIFY(readClipboard(*history));
        QCOMPARE(texts(*history), QStringList({QStringLiteral("<image>"), QStringLiteral("newest")}));
        QVERIFY(waitForImages(*history));
    }

    void announcedChangesAreRecordedAtOnceOursAsOthers()
    {
        Fixture fixture;
        FakePasteboard &board = fixture.platform.board;
        auto history = fixture.open();
        board.copyText(QStringLiteral("before start"));
        QVERIFY(history->items().isEmpty()); // nothing is listened to before start()
        history->start();
        QVERIFY(readClipboard(*history));

        // Two copies with no poll tick and no event loop turn between them.
        board.copyText(QStringLiteral("first"));
        board.copyText(QStringLiteral("second"));
        QVERIFY(readClipboard(*history));
        QCOMPARE(texts(*history), QStringList({QStringLiteral("second"), QStringLiteral("first"),
                                               QStringLiteral("before start")}));
        QCOMPARE(jsonArray(fixture.jsonPath()).size(), 3);

        // Our own paste clears, then writes: the clear records nothing, the text is a copy
        // like any other, and the newest text again is not a second entry.
        board.clear();
        board.setString(QStringLiteral("first"));
        board.clear();
        board.setString(QStringLiteral("first"));
        QVERIFY(readClipboard(*history));
        QCOMPARE(texts(*history), QStringList({QStringLiteral("first"), QStringLiteral("second"),
                                               QStringLiteral("first"), QStringLiteral("before start")}));

        // A history that is gone no longer listens; a new one hears every change.
        history.reset();
        board.copyText(QStringLiteral("unheard"));
        auto reopened = fixture.open();
        reopened->start();
        board.copyText(QStringLiteral("heard"));
        QVERIFY(readClipboard(*reopened));
        QCOMPARE(texts(*reopened).mid(0, 3), QStringList({QStringLiteral("heard"), QStringLiteral("unheard"),
                                                          QStringLiteral("first")}));
    }

    void contentMarkedSecretIsNeverRecorded()
    {
        Fixture fixture;
        FakePasteboard &board = fixture.platform.board;
        board.copySecretText(QStringLiteral("hunter2 on the clipboard at start"));
        auto history = fixture.open();
        history->start();
        QVERIFY(readClipboard(*history));
        QVERIFY(history->items().isEmpty());

        board.copyText(QStringLiteral("plain"));
        board.copySecretText(QStringLiteral("hunter2"));
        QVERIFY(readClipboard(*history));
        QCOMPARE(texts(*history), QStringList{QStringLiteral("plain")});
        board.copyText(QStringLiteral("after the password"));
        QVERIFY(readClipboard(*history));
        QCOMPARE(texts(*history), QStringList({QStringLiteral("after the password"), QStringLiteral("plain")}));
        QVERIFY(!fileBytes(fixture.jsonPath()).contains("hunter2"));
        QCOMPARE(jsonArray(fixture.jsonPath()).size(), 2);
    }

    void picturesAreKeptAsPngWithAPreviewMadeInTheBackground()
    {
        Fixture fixture;
        QImage wide(1200, 300, QImage::Format_RGB32);
        wide.fill(Qt::blue);
        wide.setPixelColor(0, 0, Qt::yellow);
        {
            auto history = fixture.open();
            fixture.platform.board.copyImage(wide);
            fixture.platform.board.copyImage(picture(40, 30, Qt::red));
            QVERIFY(readClipboard(*history));
            fixture.platform.board.copyImage(wide);
            QVERIFY(readClipboard(*history));
            QVERIFY(waitForImages(*history));
            const ClipPicture &written = history->items().first().picture;
            // Once written the picture is its file, and still pastes in full.
            QCOMPARE(written.file(), history->imagesDirectory() + u'/' + *history->items().first().imageFile);
            QCOMPARE(written.image().convertToFormat(QImage::Format_RGB32), wide);
            // Scaled down to the preview bounds, keeping its shape; a small one unchanged.
            QCOMPARE(written.preview().size(), QSize(400, 100));
            QCOMPARE(history->items()[1].picture.preview().size(), QSize(40, 30));
        }

        // Reading the history back decodes nothing: the previews follow start().
        auto reloaded = fixture.open();
        QCOMPARE(reloaded->items().size(), 2);
        QCOMPARE(reloaded->items().first().picture.size(), QSize(1200, 300));
        QVERIFY(reloaded->items().first().picture.preview().isNull());
        QSignalSpy changes(reloaded.get(), &ClipboardHistory::itemsChanged);
        reloaded->start();
        QTRY_VERIFY(!reloaded->items().first().picture.preview().isNull()
                    && !reloaded->items()[1].picture.preview().isNull());
        QCOMPARE(reloaded->items().first().picture.preview().size(), QSize(400, 100));
        QCOMPARE(reloaded->items().first().picture.image().pixelColor(0, 0), QColor(Qt::yellow));
        QVERIFY(changes.count() >= 1);

        // The full picture is read from the file, not kept: once the file is gone there
        // is nothing to paste, and the preview still shows.
        QVERIFY(QFile::remove(reloaded->items().first().picture.file()));
        QVERIFY(reloaded->items().first().picture.image().isNull());
        QVERIFY(!reloaded->items().first().picture.preview().isNull());
    }

    void damagedPictureFilesAreLeftOutUnread()
    {
        Fixture fixture;
        QUuid kept;
        QString hugeName;
        QString paddedName;
        QString pipeName;
        {
            auto history = fixture.open();
            for (const QColor &colour : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue), QColor(Qt::cyan)}) {
                fixture.platform.board.copyImage(picture(64, 64, colour));
                QVERIFY(readClipboard(*history));
            }
            QVERIFY(waitForImages(*history));
            kept = history->items()[0].id;
            hugeName = *history->items()[1].imageFile;
            paddedName = *history->items()[2].imageFile;
            pipeName = *history->items()[3].imageFile;
        }
        const QString images = fixture.dataDirectory + QStringLiteral("/clipboard_images/");
        // A header that claims a picture larger than the history takes: never decoded.
        QByteArray header = fileBytes(images + hugeName);
        const QByteArray side("\x00\x00\x80\x00", 4); // 32768 pixels each way
        header.replace(16, 4, side); // IHDR width
        header.replace(20, 4, side); // IHDR height
        const quint32 checksum = crc32(header.mid(12, 17)); // the chunk type and its data
        const char checksumBytes[] = {char(checksum >> 24), char(checksum >> 16), char(checksum >> 8), char(checksum)};
        header.replace(29, 4, QByteArray(checksumBytes, 4));
        writeFile(images + hugeName, header);
        // A sound header with half a gibibyte behind it (sparse): never read into memory.
        QFile padded(images + paddedName);
        QVERIFY(padded.resize(qint64(512) << 20));
        // A pipe in a picture's place: opening it would wait for a writer forever.
        QVERIFY(QFile::remove(images + pipeName));
        QCOMPARE(::mkfifo(QFile::encodeName(images + pipeName).constData(), 0600), 0);

        fixture.platform.board.clear(); // so that starting records nothing new
        auto reloaded = fixture.open();
        QCOMPARE(reloaded->items().size(), 1);
        QCOMPARE(reloaded->items().first().id, kept);
        reloaded->start();
        QTRY_VERIFY(!reloaded->items().first().picture.preview().isNull());
        // Loading writes nothing and deletes nothing.
        QCOMPARE(jsonArray(fixture.jsonPath()).size(), 4);
        QVERIFY(QFileInfo::exists(images + paddedName));
    }

    void pollKeepsRunningInsideANestedEventLoop()
    {
        Fixture fixture;
        auto history = fixture.open();
        history->start();
        QVERIFY(history->items().isEmpty());

        // A menu runs its own event loop; copies made meanwhile are still recorded, also
        // when the clipboard does not announce them.
        int recordedInside = 0;
        QObject::disconnect(&fixture.platform.board, &Pasteboard::changed, history.get(), nullptr);
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
