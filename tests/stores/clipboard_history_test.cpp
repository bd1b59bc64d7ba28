#include "StoreTesting.h"
#include "platform/Paths.h"
#include "stores/ClipboardHistory.h"
#include "support/ClipboardReads.h"
#include "support/FakePlatform.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QBuffer>
#include <QEventLoop>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace lettergate;

using namespace StoreTesting;
using namespace Qt::StringLiterals;

namespace {

QImage picture(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

QStringList pngFiles(const ClipboardHistory &history)
{
    return QDir(history.imagesDirectory()).entryList({u"*.png"_s}, QDir::Files, QDir::Name);
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

// A history over the fake clipboard, in the test environment's data directory; copy()
// is another application copying, followed by the read it causes.
struct Fixture {
    TestEnvironment environment;
    FakePlatform platform;
    QString dataDirectory = Paths::dataDirectory();
    std::unique_ptr<ClipboardHistory> history;

    // A run of the program: the previous history goes before the next one reads the file.
    ClipboardHistory &open()
    {
        history.reset();
        history = std::make_unique<ClipboardHistory>(platform.board, dataDirectory);
        return *history;
    }
    bool copy(const QString &text)
    {
        platform.board.copyText(text);
        return readClipboard(*history);
    }
    bool copy(const QImage &image)
    {
        platform.board.copyImage(image);
        return readClipboard(*history);
    }
    QStringList texts() const
    {
        QStringList result;
        for (const ClipboardHistory::Item &item : history->items())
            result << (item.isImage() ? u"<image>"_s : item.text);
        return result;
    }
    bool waitForImages() const
    {
        return QTest::qWaitFor([this] { return !history->isWritingImages(); }, 10000);
    }
    // The list's file, with what the history has pending written first.
    QString jsonPath() const
    {
        if (history)
            history->flushPendingWrites();
        return dataDirectory + u"/clipboard.json"_s;
    }
    QString picturePath(int index) const
    {
        return history->imagesDirectory() + u'/' + history->items()[index].imageFile.value_or(QString());
    }
};

} // namespace

class ClipboardHistoryTest : public QObject {
    Q_OBJECT
private slots:
    // A copy is recorded unless it equals the newest text. A pasted entry moves to the
    // top, on disk at once, instead of coming back.
    void recordsCopiesAndMovesAPastedEntryUp()
    {
        Fixture fixture;
        ClipboardHistory &history = fixture.open();
        QSignalSpy changes(&history, &ClipboardHistory::itemsChanged);
        for (const char *text : {"A", "A", "B", "A", " \n"})
            QVERIFY(fixture.copy(text));
        QCOMPARE(fixture.texts(), QStringList({" \n", "A", "B", "A"}));
        QCOMPARE(changes.count(), 4);
        QVERIFY(fixture.copy(picture(6, 4, Qt::red)));
        QVERIFY(fixture.copy(u"C"_s));
        QVERIFY(fixture.waitForImages());

        const auto paste = [&fixture](qsizetype index) {
            const ClipboardHistory::Item item = fixture.history->items().at(index);
            const QImage image = item.picture.image();
            fixture.history->notePasted(item.id, image);
            item.isImage() ? fixture.platform.board.copyImage(image) : fixture.platform.board.copyText(item.text);
            return readClipboard(*fixture.history);
        };
        QVERIFY(paste(4));
        fixture.open();
        QCOMPARE(fixture.texts(), QStringList({"B", "C", "<image>", " \n", "A", "A"}));
        // A picture read back from its file is known by its pixels, too.
        QVERIFY(paste(2));
        QCOMPARE(fixture.texts(), QStringList({"<image>", "B", "C", " \n", "A", "A"}));
    }

    // A picture's bytes read as text and copies beyond the limits are left out, with the
    // reason logged; a secret copy at start is not recorded either.
    void whatCannotBeACopyIsLeftOut()
    {
        Fixture fixture;
        fixture.platform.board.copySecretText(u"hunter2"_s);
        ClipboardHistory &history = fixture.open();
        history.start();
        QVERIFY(readClipboard(history));
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(picture(8, 8, Qt::red).save(&buffer, "PNG"));
        LogCapture log;
        QVERIFY(fixture.copy(QString::fromUtf8(png)));
        QVERIFY(fixture.copy(QString(ClipboardHistory::maximumTextLength + 1, u'x')));
        QVERIFY(fixture.copy(QImage(8000, 8000, QImage::Format_RGB32)));
        QVERIFY(history.items().isEmpty());
        QCOMPARE(log.lines.size(), 3);
        // The longest text allowed is a copy like any other.
        QVERIFY(fixture.copy(QString(ClipboardHistory::maximumTextLength, u'y')));
        QCOMPARE(history.items().size(), 1);
    }

    // Two more copies while one is on its way: one more read, not two, finds what the
    // clipboard holds by then.
    void readsEachChangeOnceFromTheEventLoop()
    {
        Fixture fixture;
        ClipboardHistory &history = fixture.open();
        FakePasteboard &board = fixture.platform.board;
        board.copyText(u"before start"_s);
        history.start();
        QVERIFY(readClipboard(history));
        const int requestsBefore = board.requests;
        board.duringRead = [&board] {
            board.duringRead = nullptr;
            board.copyText(u"second"_s);
            board.copyText(u"third"_s);
        };
        board.copyText(u"first"_s);
        QVERIFY(readClipboard(history));
        QCOMPARE(fixture.texts(), QStringList({"third", "first", "before start"}));
        QVERIFY(readClipboard(history));
        QCOMPARE(board.requests, requestsBefore + 2);
    }

    // A trim or Clear removes the files of the entries it drops, once the list no longer names them.
    void pictureFilesFollowTheList()
    {
        Fixture fixture;
        ClipboardHistory &history = fixture.open();
        for (const QColor &colour : {QColor(Qt::blue), QColor(Qt::green)})
            QVERIFY(fixture.copy(picture(5, 5, colour)));
        for (const char *text : {"one", "two", "three"})
            QVERIFY(fixture.copy(text));
        QVERIFY(fixture.waitForImages());
        const QString keptPicture = *history.items()[3].imageFile;
        history.applyHistoryLimit(4);
        QCOMPARE(jsonArray(fixture.jsonPath()).size(), 4);
        QCOMPARE(pngFiles(history), QStringList{keptPicture});
        // enforceLimit alone trims without writing; the file stays until the list is written.
        history.setLimit(1);
        history.enforceLimit();
        QCOMPARE(fixture.texts(), QStringList{"three"});
        QCOMPARE(pngFiles(history), QStringList{keptPicture});
        history.save();
        QCOMPARE(jsonArray(fixture.jsonPath()).size(), 1);
        QVERIFY(pngFiles(history).isEmpty());

        // Clear removes the pictures written and one still being written; what is still
        // on the clipboard after Clear is not recorded again.
        history.setLimit(5);
        QVERIFY(fixture.copy(picture(5, 5, Qt::red)));
        QVERIFY(fixture.waitForImages());
        QCOMPARE(pngFiles(history).size(), 1);
        QVERIFY(fixture.copy(picture(300, 300, Qt::green)));
        history.clear();
        QVERIFY(fixture.waitForImages());
        QCOMPARE(fileBytes(fixture.jsonPath()), QByteArray("[]"));
        QVERIFY(pngFiles(history).isEmpty());
        QVERIFY(readClipboard(history));
        QVERIFY(history.items().isEmpty());
    }

    // While the list cannot be written the history lives on in memory, and no picture
    // file that the list on disk still names is deleted, by a trim or by Clear.
    void readOnlyDataDirectoryKeepsTheHistoryInMemoryAndThePicturesOnDisk()
    {
        Fixture fixture;
        ClipboardHistory &history = fixture.open();
        history.setLimit(3);
        QVERIFY(fixture.copy(picture(5, 5, Qt::red)));
        QVERIFY(fixture.waitForImages());
        const QString redFile = fixture.picturePath(0);
        QCOMPARE(jsonArray(fixture.jsonPath()).size(), 1);
        LogCapture log;
        {
            ReadOnlyDirectory readOnly(fixture.dataDirectory, fixture.environment.root());
            QVERIFY(fixture.copy(u"during"_s));
            QVERIFY(fixture.copy(picture(5, 5, Qt::green)));
            QVERIFY(fixture.copy(u"pushes the red picture out"_s));
            QVERIFY(fixture.waitForImages());
            QCOMPARE(fixture.texts(), QStringList({"pushes the red picture out", "<image>", "during"}));
            QCOMPARE(jsonArray(fixture.jsonPath()).size(), 1); // the file as it was
            QVERIFY(QFile::exists(redFile));
            QCOMPARE(log.lines.size(), 1); // logged once, not at every copy
        }
        QVERIFY(fixture.copy(u"after"_s));
        QVERIFY(fixture.waitForImages());
        QCOMPARE(jsonArray(fixture.jsonPath()).size(), 3);
        QVERIFY(!QFile::exists(redFile)); // the written list no longer names it

        const QString greenFile = fixture.picturePath(2);
        ReadOnlyDirectory readOnly(fixture.dataDirectory, fixture.environment.root());
        history.clear();
        QVERIFY(QFile::exists(greenFile));
    }

    // An entry whose picture is gone, or whose file name leaves the pictures' folder, is
    // left out; pictures no entry names are removed once the list loads, and files whose
    // names the program never gives are someone else's.
    void loadLeavesOutWhatCannotBeShownAndRemovesOnlyItsOwnStrays()
    {
        Fixture fixture;
        ClipboardHistory &history = fixture.open();
        QVERIFY(fixture.copy(picture(6, 6, Qt::red)));
        QVERIFY(fixture.copy(picture(6, 6, Qt::green)));
        QVERIFY(fixture.waitForImages());
        QFile::remove(fixture.picturePath(0));
        const QString kept = fixture.picturePath(1);
        const QString folder = history.imagesDirectory() + u'/';
        const QStringList strays{folder + u"6BA7B810-9DAD-11D1-80B4-00C04FD430C8.png"_s, kept + u".Fs0OOS"_s};
        const QStringList foreign{folder + u"notes.txt"_s, folder + u"holiday.png"_s,
                                  folder + u"6ba7b810-9dad-11d1-80b4-00c04fd430c8.png"_s,
                                  folder + u"6BA7B810-9DAD-11D1-80B4-00C04FD430C8.png.old"_s};
        for (const QString &stray : strays + foreign)
            writeFile(stray, fileBytes(kept));
        const QByteArray list = fileBytes(fixture.jsonPath());
        // A list set aside as unreadable may still name them: nothing goes.
        writeFile(fixture.jsonPath(), "[{");
        {
            LogCapture setAside;
            fixture.open();
        }
        for (const QString &stray : strays)
            QVERIFY2(QFileInfo::exists(stray), qPrintable(stray));

        writeFile(fixture.jsonPath(), list);
        LogCapture log;
        ClipboardHistory &reloaded = fixture.open();
        QCOMPARE(reloaded.items().size(), 1);
        QCOMPARE(reloaded.items()[0].picture.image().pixelColor(0, 0), QColor(Qt::red));
        QCOMPARE(jsonArray(fixture.jsonPath()).size(), 2); // loading writes nothing
        for (const QString &file : foreign + QStringList{kept})
            QVERIFY2(QFileInfo::exists(file), qPrintable(file));
        for (const QString &stray : strays)
            QVERIFY2(!QFileInfo::exists(stray), qPrintable(stray));
        QCOMPARE(log.lines, QStringList{u"[Lettergate] removed 2 picture file(s) no clipboard entry names"_s});

        // A stored name that leaves the pictures' folder is never shown nor deleted.
        const QString outside = fixture.dataDirectory + u"/outside.png"_s;
        QVERIFY(picture(4, 4, Qt::red).save(outside));
        writeFile(fixture.jsonPath(),
                  R"([{"id":"6BA7B812-9DAD-11D1-80B4-00C04FD430C8","isImage":true,"imageFile":"../outside.png"}])");
        QVERIFY(fixture.open().items().isEmpty());
        fixture.history->clear();
        QVERIFY(QFileInfo::exists(outside));
    }

    // An undecodable list starts empty and is kept as a dated copy; each start keeps one
    // more, down to the newest three, and Clear removes them all, and only the list's.
    void undecodableListsAreKeptAsideAndGoWithClear()
    {
        const QByteArray id = R"("id":"6BA7B810-9DAD-11D1-80B4-00C04FD430C8")";
        const QByteArray valid = "{" + id + R"(,"isImage":false,"text":"t"})";
        const QList<QByteArray> damaged{
            "[" + valid + R"(,{"id":"6BA7B811-9DAD-11D1-80B4-00C04FD430C8","text":"u"}])", // no isImage
            "[{" + id + R"(,"isImage":"false"}])",
            R"([{"id":"{6BA7B810-9DAD-11D1-80B4-00C04FD430C8}","isImage":false}])",
            "[{" + id + R"(,"isImage":false,"text":5}])",
            "[" + valid.left(30),
        };
        Fixture fixture;
        const QString otherCopy = fixture.dataDirectory + u"/snippets.json.unreadable-20250101-000000"_s;
        writeFile(otherCopy, "kept");
        for (const QByteArray &content : damaged) {
            writeFile(fixture.jsonPath(), content);
            LogCapture log;
            QVERIFY2(fixture.open().items().isEmpty(), content.constData());
            QCOMPARE(log.lines.size(), 1);
            QCOMPARE(fileBytes(log.lines.first().section(u' ', -1)), content);
            fixture.history->applyHistoryLimit(20);
            QCOMPARE(fileBytes(fixture.jsonPath()), QByteArray("[]"));
        }
        // Only the newest three are kept.
        QSet<QByteArray> kept;
        for (const QString &copy : keptCopies(fixture.jsonPath()))
            kept << fileBytes(fixture.dataDirectory + u'/' + copy);
        QCOMPARE(kept, QSet<QByteArray>(damaged.begin() + 2, damaged.end()));
        fixture.history->clear();
        QVERIFY(keptCopies(fixture.jsonPath()).isEmpty());
        QCOMPARE(fileBytes(otherCopy), QByteArray("kept"));
    }

    // Pictures are kept as private PNG files, with a preview made off the GUI thread.
    void picturesAreKeptAsPngWithAPreviewMadeInTheBackground()
    {
        Fixture fixture;
        QImage wide(1200, 300, QImage::Format_RGB32);
        wide.fill(Qt::blue);
        wide.setPixelColor(0, 0, Qt::yellow);
        ClipboardHistory &history = fixture.open();
        QVERIFY(fixture.copy(picture(40, 30, Qt::red)));
        QVERIFY(fixture.copy(wide));
        QVERIFY(fixture.waitForImages());
        const ClipPicture &written = history.items().first().picture;
        QCOMPARE(written.image().convertToFormat(QImage::Format_RGB32), wide);
        QCOMPARE(written.preview().size(), QSize(400, 100));
        QCOMPARE(history.items()[1].picture.preview().size(), QSize(40, 30));
        QCOMPARE(mode(fixture.picturePath(0)), 0600);
        QCOMPARE(mode(history.imagesDirectory()), 0700);
    }

    void damagedPictureFilesAreLeftOutUnread()
    {
        Fixture fixture;
        ClipboardHistory &history = fixture.open();
        for (const QColor &colour : {QColor(Qt::red), QColor(Qt::green)})
            QVERIFY(fixture.copy(picture(64, 64, colour)));
        QVERIFY(fixture.waitForImages());
        const QUuid kept = history.items()[0].id;
        const QString huge = fixture.picturePath(1);
        fixture.history.reset();

        // A header that claims a picture larger than the history takes: never decoded.
        QByteArray header = fileBytes(huge);
        const QByteArray side("\x00\x00\x80\x00", 4);       // 32768 pixels each way
        header.replace(16, 4, side);                        // IHDR width
        header.replace(20, 4, side);                        // IHDR height
        const quint32 checksum = crc32(header.mid(12, 17)); // the chunk type and its data
        const char checksumBytes[] = {char(checksum >> 24), char(checksum >> 16), char(checksum >> 8), char(checksum)};
        header.replace(29, 4, QByteArray(checksumBytes, 4));
        writeFile(huge, header);

        ClipboardHistory &reloaded = fixture.open();
        QCOMPARE(reloaded.items().size(), 1);
        QCOMPARE(reloaded.items().first().id, kept);
        QCOMPARE(jsonArray(fixture.jsonPath()).size(), 2); // loading writes nothing
    }

    // A menu runs its own event loop; copies made meanwhile are still recorded, also
    // when the clipboard does not announce them.
    void pollKeepsRunningInsideANestedEventLoop()
    {
        Fixture fixture;
        ClipboardHistory &history = fixture.open();
        history.start();
        int recordedInside = 0;
        QObject::disconnect(&fixture.platform.board, &Pasteboard::changed, &history, nullptr);
        QTimer::singleShot(0, this, [&] {
            QEventLoop menu;
            fixture.platform.board.copyText(u"while the menu is open"_s);
            QTimer::singleShot(1500, &menu, &QEventLoop::quit);
            menu.exec();
            recordedInside = int(history.items().size());
        });
        QTRY_COMPARE_WITH_TIMEOUT(recordedInside, 1, 3000);
    }
};

QTEST_GUILESS_MAIN(ClipboardHistoryTest)
#include "clipboard_history_test.moc"
