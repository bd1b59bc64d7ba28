#include "RunningProgram.h"
#include "x11/X11TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>

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

// 32 megapixels, the largest picture the history takes: 128 MiB decoded, a few hundred
// KiB as a PNG of one colour.
constexpr int burstSide = 5792;
constexpr int burstCopies = 20;
// Generous: a handful of decoded pictures alive at once passes it.
constexpr qint64 peakBoundKiB = 400 * 1024;
// What the program may hold a few seconds after the burst beyond what it held before.
constexpr qint64 settledGrowthBoundKiB = 64 * 1024;

QColor colourOfCopy(int copy)
{
    return QColor::fromHsv(copy * 360 / burstCopies, 200, 200);
}

// Serves the event loop until the program has used no CPU (utime and stime of
// /proc/PID/stat, fields 14 and 15) for a second.
bool waitUntilIdle(const RunningProgram &program, int timeoutMs)
{
    const auto cpuTicks = [&program] {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(program.pid()));
        const QList<QByteArray> fields = stat.open(QIODevice::ReadOnly) ? stat.readAll().split(')').value(1).split(' ')
                                                                        : QList<QByteArray>();
        return fields.value(12).toLongLong() + fields.value(13).toLongLong();
    };
    QDeadlineTimer deadline(timeoutMs);
    for (qint64 before = cpuTicks(); !deadline.hasExpired();) {
        QTest::qWait(1000);
        const qint64 now = cpuTicks();
        if (now == before)
            return true;
        before = now;
    }
    return false;
}

// The newest entry's picture file, as the program left it.
QString newestPicture(const RunningProgram &program)
{
    const std::optional<QJsonArray> entries = Reliability::readJsonArray(program.dataDirectory()
                                                                         + QStringLiteral("/clipboard.json"));
    const QString name = entries && !entries->isEmpty()
                             ? entries->first().toObject().value(QStringLiteral("imageFile")).toString()
                             : QString();
    return name.isEmpty() ? QString() : program.dataDirectory() + QStringLiteral("/clipboard_images/") + name;
}

} // namespace

// Bursts of copies from another process: many small texts and pictures, the largest
// pictures the history takes faster than they can be saved, and a picture copied just
// before the program is told to end.
class ClipboardBurstsTest : public QObject {
    Q_OBJECT

private slots:
    // Another process copies 500 times (2,000 in the full round) in a burst, texts and
    // pictures mixed, while the history keeps 50 entries: the program keeps answering the
    // trigger, keeps the newest copies in order, no picture it let go of stays on disk or in
    // memory, and its file is whole.
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
                return entries.at(0).toObject().value(QStringLiteral("text")).toString()
                           == QStringLiteral("copy %1").arg(copies)
                       && onDisk == namedPictures;
            },
            30000);
        QVERIFY2(Reliability::readJsonArray(file), "clipboard.json is not a whole JSON array");
        QVERIFY2(settled,
                 qPrintable(QStringLiteral("30 s after the burst, entry 1: %1; only on disk: %2; only named: %3")
                                .arg(entries.at(0).toObject().value(QStringLiteral("text")).toString(),
                                     QStringList((onDisk - namedPictures).values()).join(u' '),
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

    // Twenty 32-megapixel pictures in about six seconds, the panel opened halfway:
    // memory stays bounded, and comes back a few seconds after.
    void aBurstOfLargePicturesStaysBounded()
    {
        for (int copy = 0; copy < burstCopies; ++copy) {
            QImage picture(burstSide, burstSide, QImage::Format_RGB32);
            picture.fill(colourOfCopy(copy));
            QVERIFY(picture.save(m_pictures.filePath(QStringLiteral("%1.png").arg(copy))));
        }
        RunningProgram program;
        QVERIFY2(program.start(), program.output().constData());
        QCOMPARE(Reliability::openAndClosePanel(30000), QString());
        QVERIFY(waitUntilIdle(program, 30000));
        const qint64 idle = program.residentKiB();
        qint64 peak = idle;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this, [&] { peak = std::max(peak, program.residentKiB()); });
        sampler.start(10);
        for (int copy = 0; copy < burstCopies; ++copy) {
            X11Test::xclipCopy(m_pictures.filePath(QStringLiteral("%1.png").arg(copy)), QStringLiteral("image/png"));
            QTest::qWait(300);
            if (copy == burstCopies / 2)
                QCOMPARE(Reliability::openAndClosePanel(30000), QString());
        }
        QVERIFY2(waitUntilIdle(program, 120000), "the program kept working two minutes after the burst");
        QTest::qWait(3000);
        sampler.stop();
        const qint64 settled = program.residentKiB();

        // The newest copy is kept, on disk, whatever was let go of.
        QImageReader reader(newestPicture(program));
        reader.setClipRect(QRect(0, 0, 1, 1));
        QCOMPARE(reader.read().pixel(0, 0), colourOfCopy(burstCopies - 1).rgb());
        const QString figure = QStringLiteral("%1 / %2 / %3 MiB").arg(idle / 1024).arg(peak / 1024).arg(settled / 1024);
        Reliability::reportFigure(QStringLiteral("RSS idle/peak/3 s after a burst of large pictures"), figure);
        QVERIFY2(!RunningProgram::residentSizeShowsGrowth
                     || (peak < peakBoundKiB && settled - idle < settledGrowthBoundKiB),
                 qPrintable(figure));
    }

    // A picture still being saved when the program is told to end is on disk, with its
    // entry, once the program has gone.
    void aPictureBeingSavedSurvivesSigterm()
    {
        // A 4K screenshot's worth of noise: its PNG takes the better part of a second to encode.
        const QString file = m_pictures.filePath(QStringLiteral("noise.png"));
        QVERIFY(Reliability::noisyPicture(QSize(3840, 2160), 12345).save(file));
        // Whatever an earlier test left on the clipboard is not what is read at start.
        X11Test::run(QStringLiteral("sh"),
                     {QStringLiteral("-c"), QStringLiteral("echo before | xclip -selection clipboard")});
        RunningProgram program;
        QVERIFY2(program.start(), program.output().constData());
        QVERIFY(waitUntilIdle(program, 30000));
        const qint64 idle = program.residentKiB();
        X11Test::xclipCopy(file, QStringLiteral("image/png"));
        // Read and decoded (32 MiB more) and handed over to be saved: the PNG takes far
        // longer to encode than this wait.
        QVERIFY(QTest::qWaitFor([&] { return program.residentKiB() - idle > 24 * 1024; }, 20000));
        QTest::qWait(50);
        ::kill(pid_t(program.pid()), SIGTERM);
        QVERIFY(program.process().waitForFinished(10000));
        QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(QImageReader(newestPicture(program)).size(), QSize(3840, 2160));
    }

private:
    QTemporaryDir m_pictures;
};

QTEST_GUILESS_MAIN(ClipboardBurstsTest)
#include "clipboard_bursts_test.moc"
