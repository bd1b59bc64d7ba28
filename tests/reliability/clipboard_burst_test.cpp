#include "RunningProgram.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace lettergate;

namespace {

// The quick round still copies ten times what the history keeps.
const int copies = Reliability::rounds(500, 2000);
constexpr int historyLimit = 50;
// 256 × 256 pictures take 256 KiB each in memory: holding every picture of the burst
// rather than the newest ones would add 125 MiB, twice the bound below.
constexpr qint64 residentGrowthBoundKiB = 64 * 1024;

// Every fourth copy is a picture that says which copy it is in its colour.
bool isPictureCopy(int copy)
{
    return copy % 4 == 2;
}

} // namespace

// Another process copies 500 times (2,000 in the full round) in a burst, texts and
// pictures mixed, while the history keeps 50 entries: the program keeps answering the
// trigger, keeps the newest copies in order, no picture it let go of stays on disk or in
// memory, and its file is whole.
class ClipboardBurstTest : public QObject {
    Q_OBJECT

private slots:
    void absorbsABurstOfCopies()
    {
        QTemporaryDir pictures;
        for (int copy = 2; copy <= copies; copy += 4) {
            QImage picture(256, 256, QImage::Format_RGB32);
            picture.fill(QColor(copy & 0xff, copy >> 8, 0x80));
            QVERIFY(picture.save(pictures.filePath(QStringLiteral("%1.png").arg(copy))));
        }
        RunningProgram program;
        program.writeSettings("[General]\nLettergate.clipboardHistoryLimit=" + QByteArray::number(historyLimit) + '\n');
        QVERIFY2(program.start(), program.output().constData());
        // The panel's first opening builds what every later one reuses. The waits are
        // generous: this proves the program answers at all.
        QCOMPARE(Reliability::openAndClosePanel(30000), QString());
        const qint64 residentBefore = program.residentKiB();

        QProcess copier;
        copier.setWorkingDirectory(pictures.path());
        copier.start(QStringLiteral("sh"),
                     {QStringLiteral("-c"),
                      QStringLiteral("i=0; while [ $i -lt %1 ]; do i=$((i+1)); "
                                     "if [ -f $i.png ]; then xclip -selection clipboard -t image/png -i $i.png; "
                                     "else printf 'copy %d' $i | xclip -selection clipboard; fi; done")
                          .arg(copies)});
        QVERIFY(copier.waitForStarted());
        while (copier.state() != QProcess::NotRunning) {
            VERIFY_OR_REPORT(program, Reliability::openAndClosePanel(30000).isEmpty());
            QTest::qWait(1000);
        }
        QCOMPARE(copier.exitStatus(), QProcess::NormalExit);

        // Settled: the last copy is entry 1, and exactly the pictures named are on disk
        // (the pictures of trimmed entries go after the list is written).
        const QString file = program.dataDirectory() + QStringLiteral("/clipboard.json");
        const QString imagesDirectory = program.dataDirectory() + QStringLiteral("/clipboard_images/");
        const QString lastCopy = QStringLiteral("copy %1").arg(copies);
        QJsonArray entries;
        QSet<QString> namedPictures, onDisk;
        const bool settled = QTest::qWaitFor(
            [&] {
                entries = Reliability::readJsonArray(file).value_or(QJsonArray());
                namedPictures.clear();
                for (const QJsonValue &entry : std::as_const(entries)) {
                    if (entry.toObject().value(QStringLiteral("isImage")).toBool())
                        namedPictures.insert(entry.toObject().value(QStringLiteral("imageFile")).toString());
                }
                const QStringList listed = QDir(imagesDirectory).entryList(QDir::Files);
                onDisk = QSet<QString>(listed.cbegin(), listed.cend());
                return entries.at(0).toObject().value(QStringLiteral("text")).toString() == lastCopy
                       && onDisk == namedPictures;
            },
            30000);
        QVERIFY2(Reliability::readJsonArray(file), "clipboard.json is not a whole JSON array");
        QCOMPARE(entries.at(0).toObject().value(QStringLiteral("text")).toString(), lastCopy);
        QVERIFY2(settled, qPrintable(QStringLiteral("30 s after the burst, only on disk: %1; only named: %2")
                                         .arg(QStringList((onDisk - namedPictures).values()).join(u' '),
                                              QStringList((namedPictures - onDisk).values()).join(u' '))));
        QVERIFY(entries.size() <= historyLimit);

        // Newest first, in copy order.
        int previousCopy = copies + 1;
        for (const QJsonValue &value : std::as_const(entries)) {
            const QJsonObject entry = value.toObject();
            int copy;
            if (entry.value(QStringLiteral("isImage")).toBool()) {
                const QString name = entry.value(QStringLiteral("imageFile")).toString();
                const QColor colour = QImage(imagesDirectory + name).pixelColor(0, 0);
                copy = colour.blue() == 0x80 ? colour.red() | colour.green() << 8 : -1;
                QVERIFY2(isPictureCopy(copy), qPrintable(name));
                // A picture may be recorded twice in a row: when its owner is replaced
                // while the program reads the clipboard, the read can answer the picture
                // it already had.
                if (copy == previousCopy)
                    continue;
            } else {
                const QString text = entry.value(QStringLiteral("text")).toString();
                // xclip answers a request for text with its picture's bytes; asked while
                // the owner changes, the program may record those as a text (an open
                // fault of the clipboard reading); every other text is a copy.
                if (text.startsWith(QStringLiteral("\uFFFDPNG\r\n")))
                    continue;
                copy = text.mid(5).toInt();
                QVERIFY2(text.startsWith(QStringLiteral("copy ")) && !isPictureCopy(copy), qPrintable(text.left(40)));
            }
            QVERIFY2(copy < previousCopy,
                     qPrintable(QStringLiteral("copy %1 after copy %2").arg(copy).arg(previousCopy)));
            previousCopy = copy;
        }

        // Still answering the trigger, and holding no more than the newest pictures.
        VERIFY_OR_REPORT(program, Reliability::openAndClosePanel(30000).isEmpty());
        const qint64 residentAfter = program.residentKiB();
        const QString figure = QStringLiteral("%1 / %2 MiB").arg(residentBefore / 1024).arg(residentAfter / 1024);
        Reliability::reportFigure(QStringLiteral("RSS before/after a burst of %1 copies").arg(copies), figure);
        QVERIFY2(!RunningProgram::residentSizeShowsGrowth || residentAfter - residentBefore < residentGrowthBoundKiB,
                 qPrintable(figure));
    }
};

QTEST_GUILESS_MAIN(ClipboardBurstTest)
#include "clipboard_burst_test.moc"
