#include "RunningProgram.h"
#include "x11/X11TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>

namespace {

// 32 megapixels, the largest picture the history takes: 128 MiB decoded, a few hundred
// KiB as a PNG of one colour.
constexpr int burstSide = 5792;
constexpr int burstCopies = 20;
// Generous: a handful of decoded pictures alive at once passes it.
constexpr qint64 peakBoundKiB = 400 * 1024;
// What the program may hold a few seconds after the burst beyond what it held before.
constexpr qint64 settledGrowthBoundKiB = 64 * 1024;

QImage uniformPicture(int copy)
{
    QImage picture(burstSide, burstSide, QImage::Format_RGB32);
    picture.fill(QColor::fromHsv(copy * 360 / burstCopies, 200, 200));
    return picture;
}

// CPU time the process has used, in clock ticks.
qint64 cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = stat.readAll().split(')').value(1).split(' ');
    // utime and stime are fields 14 and 15; the split leaves "" and the state first.
    return fields.value(12).toLongLong() + fields.value(13).toLongLong();
}

// Serves the event loop until the program has used no CPU for a second.
bool waitUntilIdle(const RunningProgram &program, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    qint64 before = cpuTicks(program.pid());
    while (!deadline.hasExpired()) {
        QTest::qWait(1000);
        const qint64 now = cpuTicks(program.pid());
        if (now == before)
            return true;
        before = now;
    }
    return false;
}

} // namespace

// The largest pictures the history takes, copied by another process faster than they
// can be saved, and a picture copied just before the program is told to end.
class LargePicturesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_pictures.isValid());
        for (int copy = 0; copy < burstCopies; ++copy)
            QVERIFY(uniformPicture(copy).save(burstFile(copy)));
    }

    // Twenty 32-megapixel pictures in about six seconds, the panel opened halfway:
    // memory stays bounded, and comes back a few seconds after.
    void aBurstOfLargePicturesStaysBounded()
    {
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
            X11Test::xclipCopy(burstFile(copy), QStringLiteral("image/png"));
            QTest::qWait(300);
            if (copy == burstCopies / 2)
                QCOMPARE(Reliability::openAndClosePanel(30000), QString());
        }
        QVERIFY2(waitUntilIdle(program, 120000), "the program kept working two minutes after the burst");
        QTest::qWait(3000);
        sampler.stop();
        const qint64 settled = program.residentKiB();

        // The newest copy is kept, on disk, whatever was let go of.
        const std::optional<QJsonArray> entries =
            Reliability::readJsonArray(program.dataDirectory() + QStringLiteral("/clipboard.json"));
        QVERIFY(entries && !entries->isEmpty());
        const QString newest = program.dataDirectory() + QStringLiteral("/clipboard_images/")
                               + entries->first().toObject().value(QStringLiteral("imageFile")).toString();
        QImageReader reader(newest);
        reader.setClipRect(QRect(0, 0, 1, 1));
        QCOMPARE(reader.read().pixelColor(0, 0), uniformPicture(burstCopies - 1).pixelColor(0, 0));

        const QString figure = QStringLiteral("%1 / %2 / %3 MiB").arg(idle / 1024).arg(peak / 1024).arg(settled / 1024);
        Reliability::reportFigure(
            QStringLiteral("RSS idle/peak/3 s after a burst of %1 pictures of %2 x %2").arg(burstCopies).arg(burstSide), figure);
        if (!RunningProgram::residentSizeShowsGrowth)
            return;
        QVERIFY2(peak < peakBoundKiB, qPrintable(figure));
        QVERIFY2(settled - idle < settledGrowthBoundKiB, qPrintable(figure));
    }

    // A picture still being saved when the program is told to end is on disk, with its
    // entry, once the program has gone.
    void aPictureBeingSavedSurvivesSigterm()
    {
        const QString file = m_pictures.filePath(QStringLiteral("noise.png"));
        // A 4K screenshot's worth of noise: its PNG takes the better part of a second to encode.
        QVERIFY(Reliability::noisyPicture(QSize(3840, 2160), 12345).save(file));
        // Whatever an earlier test left on the clipboard is not what is read at start.
        X11Test::run(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("echo before | xclip -selection clipboard")});
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

        const std::optional<QJsonArray> entries =
            Reliability::readJsonArray(program.dataDirectory() + QStringLiteral("/clipboard.json"));
        QVERIFY2(entries && !entries->isEmpty(), program.output().constData());
        const QString imageFile = entries->first().toObject().value(QStringLiteral("imageFile")).toString();
        QVERIFY(!imageFile.isEmpty());
        QCOMPARE(QImageReader(program.dataDirectory() + QStringLiteral("/clipboard_images/") + imageFile).size(),
                 QSize(3840, 2160));
    }

private:
    QString burstFile(int copy) const { return m_pictures.filePath(QStringLiteral("%1.png").arg(copy)); }

    QTemporaryDir m_pictures;
};

QTEST_GUILESS_MAIN(LargePicturesTest)
#include "large_pictures_test.moc"
