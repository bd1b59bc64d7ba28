#include "RunningProgram.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The quick round still copies ten times what the history keeps.
const int copies = Reliability::rounds(500, 2000);
constexpr int historyLimit = 50;
// 256 × 256 pictures take 256 KiB each in memory: holding every picture of the burst
// rather than the newest ones would add 125 MiB, twice the bound below.
constexpr int pictureSide = 256;
constexpr qint64 residentGrowthBoundKiB = 64 * 1024;
constexpr int answerBoundMs = 30000;

// Every fourth copy is a picture; the last copy is a text.
bool isPictureCopy(int copy)
{
    return copy % 4 == 2;
}

// A picture that says which copy it is in its colour.
QImage pictureOfCopy(int copy)
{
    QImage picture(pictureSide, pictureSide, QImage::Format_RGB32);
    picture.fill(QColor(copy & 0xff, (copy >> 8) & 0xff, 0x80));
    return picture;
}

int copyOfPicture(const QImage &picture)
{
    const QColor colour = picture.pixelColor(0, 0);
    return colour.blue() == 0x80 ? colour.red() | colour.green() << 8 : -1;
}

} // namespace

// Another process copies 500 times (2,000 in the full round) in a burst, texts and pictures mixed, while the
// history keeps 50 entries: the program stays responsive, keeps the newest copies in
// order, no picture it let go of stays on disk or in memory, and its file is whole.
class ClipboardBurstTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_copies.isValid());
        for (int copy = 1; copy <= copies; ++copy) {
            if (isPictureCopy(copy))
                QVERIFY(pictureOfCopy(copy).save(m_copies.filePath(QStringLiteral("%1.png").arg(copy))));
        }
        m_program.writeSettings("[General]\nLettergate.clipboardHistoryLimit=" + QByteArray::number(historyLimit) + '\n');
        QVERIFY2(m_program.start(), m_program.output().constData());
    }

    void absorbsABurstOfCopies()
    {
        // The panel's first opening builds what every later one reuses.
        QCOMPARE(openAndClosePanel(), QString());
        const qint64 residentBefore = m_program.residentKiB();

        QProcess copier;
        copier.setWorkingDirectory(m_copies.path());
        copier.start(QStringLiteral("sh"),
                     {QStringLiteral("-c"),
                      QStringLiteral("i=0; while [ $i -lt %1 ]; do i=$((i+1)); "
                                     "if [ -f $i.png ]; then xclip -selection clipboard -t image/png -i $i.png; "
                                     "else printf 'copy %d' $i | xclip -selection clipboard; fi; done")
                          .arg(copies)});
        QVERIFY(copier.waitForStarted());
        QElapsedTimer burst;
        burst.start();
        int openedDuringBurst = 0;
        while (copier.state() != QProcess::NotRunning) {
            const QString failure = openAndClosePanel();
            if (!failure.isEmpty())
                QFAIL(qPrintable(failure + QStringLiteral(" during the burst") + reportState()));
            ++openedDuringBurst;
            QTest::qWait(1000);
        }
        QCOMPARE(copier.exitStatus(), QProcess::NormalExit);
        const qint64 burstMs = burst.elapsed();

        // Settled: the last copy is entry 1 and every picture kept is on disk.
        const QString file = m_program.dataDirectory() + QStringLiteral("/clipboard.json");
        QJsonArray entries;
        QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired()) {
            entries = Reliability::readJsonArray(file).value_or(QJsonArray());
            if (entries.at(0).toObject().value(QStringLiteral("text")).toString() == QStringLiteral("copy %1").arg(copies)
                && std::ranges::none_of(entries, [](const QJsonValue &entry) {
                       return entry.toObject().value(QStringLiteral("isImage")).toBool()
                           && !entry.toObject().contains(QStringLiteral("imageFile"));
                   }))
                break;
            QTest::qWait(100);
        }
        QVERIFY2(Reliability::readJsonArray(file), "clipboard.json is not a whole JSON array");
        QCOMPARE(entries.at(0).toObject().value(QStringLiteral("text")).toString(), QStringLiteral("copy %1").arg(copies));
        QVERIFY(entries.size() <= historyLimit);

        // Newest first, in copy order, and exactly the pictures named are on disk.
        const QString imagesDirectory = m_program.dataDirectory() + QStringLiteral("/clipboard_images/");
        QSet<QString> namedPictures;
        int previousCopy = copies + 1;
        int repeatedPictures = 0;
        int picturesRecordedAsText = 0;
        for (const QJsonValue &value : std::as_const(entries)) {
            const QJsonObject entry = value.toObject();
            int copy;
            if (entry.value(QStringLiteral("isImage")).toBool()) {
                const QString name = entry.value(QStringLiteral("imageFile")).toString();
                namedPictures.insert(name);
                copy = copyOfPicture(QImage(imagesDirectory + name));
                QVERIFY2(isPictureCopy(copy), qPrintable(name));
            } else {
                const QString text = entry.value(QStringLiteral("text")).toString();
                // xclip answers a request for text with its picture's bytes; asked while
                // the owner changes, the program may record those as a text. Counted
                // (an open fault of the clipboard reading), every other text is a copy.
                if (text.startsWith(QStringLiteral("\uFFFDPNG\r\n"))) {
                    ++picturesRecordedAsText;
                    continue;
                }
                copy = text.mid(5).toInt();
                QVERIFY2(text.startsWith(QStringLiteral("copy ")) && !isPictureCopy(copy), qPrintable(text.left(40).toUtf8().toHex(' ')));
            }
            // A picture may be recorded twice in a row: when its owner is replaced while
            // the program reads the clipboard, the read can answer the picture it already
            // had. Counted, not hidden.
            if (copy == previousCopy && isPictureCopy(copy)) {
                ++repeatedPictures;
                continue;
            }
            QVERIFY2(copy < previousCopy, qPrintable(QStringLiteral("copy %1 after copy %2").arg(copy).arg(previousCopy)));
            previousCopy = copy;
        }
        const QStringList onDisk = QDir(imagesDirectory).entryList(QDir::Files);
        QCOMPARE(QSet<QString>(onDisk.cbegin(), onDisk.cend()), namedPictures);

        // Still answering the trigger, and holding no more than the newest pictures.
        const QString failure = openAndClosePanel();
        if (!failure.isEmpty())
            QFAIL(qPrintable(failure + QStringLiteral(" after the burst") + reportState()));
        const qint64 residentAfter = m_program.residentKiB();
        QVERIFY2(!RunningProgram::residentSizeShowsGrowth || residentAfter - residentBefore < residentGrowthBoundKiB,
                 qPrintable(QStringLiteral("%1 KiB before, %2 KiB after").arg(residentBefore).arg(residentAfter)));

        Reliability::reportFigure(QStringLiteral("copies absorbed"), QStringLiteral("%1 in %2 s").arg(copies).arg(burstMs / 1000.0, 0, 'f', 1));
        Reliability::reportFigure(QStringLiteral("entries kept (limit %1)").arg(historyLimit), QString::number(entries.size()));
        Reliability::reportFigure(QStringLiteral("pictures on disk"), QString::number(onDisk.size()));
        Reliability::reportFigure(QStringLiteral("pictures recorded twice in a row"), QString::number(repeatedPictures));
        Reliability::reportFigure(QStringLiteral("pictures recorded as text"), QString::number(picturesRecordedAsText));
        Reliability::reportFigure(QStringLiteral("panel openings during the burst"), QString::number(openedDuringBurst));
        Reliability::reportFigure(QStringLiteral("slowest open and close of the panel"), QStringLiteral("%1 ms").arg(m_slowestAnswerMs));
        Reliability::reportFigure(QStringLiteral("RSS before/after the burst"),
                                  QStringLiteral("%1 / %2 MiB").arg(residentBefore / 1024.0, 0, 'f', 1).arg(residentAfter / 1024.0, 0, 'f', 1));
    }

private:
    // As Reliability::openAndClosePanel, with the slowest answer kept. The wait is
    // generous: this proves the program answers at all.
    QString openAndClosePanel()
    {
        QElapsedTimer answer;
        answer.start();
        const QString failure = Reliability::openAndClosePanel(answerBoundMs);
        m_slowestAnswerMs = std::max(m_slowestAnswerMs, answer.elapsed());
        return failure;
    }

    // Prints the session's and the program's state when it seems not to answer, as a
    // warning: it is longer than a failure message may be.
    QString reportState() const
    {
        qWarning("%s", qPrintable(m_program.stateReport()));
        return QStringLiteral(" (the state of the session and the program is printed above)");
    }

    QTemporaryDir m_copies;
    RunningProgram m_program;
    qint64 m_slowestAnswerMs = 0;
};

QTEST_GUILESS_MAIN(ClipboardBurstTest)
#include "clipboard_burst_test.moc"
