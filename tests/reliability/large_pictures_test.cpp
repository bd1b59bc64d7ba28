#include "RunningProgram.h"
#include "x11/X11TestSupport.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QImageReader>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>

using namespace lettergate;

namespace {

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

// The largest pictures the history takes, copied by another process faster than they
// can be saved, and a picture copied just before the program is told to end.
class LargePicturesTest : public QObject {
    Q_OBJECT

private slots:
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

QTEST_GUILESS_MAIN(LargePicturesTest)
#include "large_pictures_test.moc"
