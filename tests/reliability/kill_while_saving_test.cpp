#include "RunningProgram.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using Reliability::readJsonArray;

namespace {

constexpr int pictureCount = 3;
constexpr int historyLimit = 20;

} // namespace

// The real program killed (SIGKILL) again and again while another process keeps
// copying: every kill leaves each data file as one complete version, and the next
// start reads it without setting anything aside.
class KillWhileSavingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_copies.isValid());
        // Each text is 256 KiB after its first line, so every save of the history is a
        // few megabytes and takes long enough to be caught in the middle.
        QFile padding(m_copies.filePath(QStringLiteral("padding.txt")));
        QVERIFY(padding.open(QIODevice::WriteOnly));
        m_padding = QByteArray(256 * 1024, 'x');
        padding.write(m_padding);
        padding.close();
        for (int i = 0; i < pictureCount; ++i) {
            // Noisy, slow enough to encode that kills land while a PNG is being written.
            m_pictures.append(Reliability::noisyPicture(QSize(1200, 900), quint32(i + 1)));
            QVERIFY(m_pictures.last().save(m_copies.filePath(QStringLiteral("picture%1.png").arg(i))));
        }
    }

    void everyKillLeavesCompleteFiles()
    {
        m_program.writeSettings("[General]\nLettergate.clipboardHistoryLimit=" + QByteArray::number(historyLimit) + '\n');
        // Pictures and texts take turns on the clipboard, a few per poll of the program.
        m_copier.setWorkingDirectory(m_copies.path());
        m_copier.start(QStringLiteral("sh"),
                       {QStringLiteral("-c"), QStringLiteral("i=0; while :; do i=$((i+1)); "
                                                             "if [ $((i % 3)) = 0 ]; then "
                                                             "xclip -selection clipboard -t image/png -i picture$((i % %1)).png; "
                                                             "else { printf 'copy %d\\n' $i; cat padding.txt; } | xclip -selection clipboard; fi; "
                                                             "sleep 0.15; done")
                                                  .arg(pictureCount)});
        QVERIFY(m_copier.waitForStarted());

        const int kills = Reliability::rounds(12, 100);
        int killedWhileWriting = 0;
        int largestHistory = 0;
        for (int round = 0; round < kills; ++round) {
            QVERIFY2(m_program.start(), m_program.output().constData());
            // Every other round the kill waits for a write to be under way; the others
            // land wherever the program happens to be. Copies never stop here, so the
            // history is written every three seconds.
            QDeadlineTimer deadline(QRandomGenerator::global()->bounded(400, 6500));
            if (round % 2 == 0) {
                while (!deadline.hasExpired() && !m_program.isWritingData()) {
                }
            } else {
                QTest::qWait(int(deadline.remainingTime()));
            }
            m_program.pause();
            if (m_program.isWritingData())
                ++killedWhileWriting;
            m_program.killNow();
            QString damage;
            const std::optional<int> entries = checkDataFiles(damage);
            QVERIFY2(entries, qPrintable(QStringLiteral("after kill %1: %2").arg(round + 1).arg(damage)));
            largestHistory = std::max(largestHistory, *entries);
        }
        m_copier.kill();
        m_copier.waitForFinished();

        // The last start finds what the last kill left, and sets nothing aside.
        QVERIFY(m_program.start());
        QVERIFY2(!m_program.output().contains("unreadable"), m_program.output().constData());
        m_program.stop();
        QString damage;
        QVERIFY2(checkDataFiles(damage), qPrintable(damage));
        const QStringList setAside =
            QDir(m_program.dataDirectory()).entryList({QStringLiteral("*.unreadable-*")}, QDir::Files);
        QVERIFY2(setAside.isEmpty(), qPrintable(setAside.join(u' ')));

        Reliability::reportFigure(QStringLiteral("kills survived"), QString::number(kills));
        Reliability::reportFigure(QStringLiteral("kills while a data file was open for writing"),
                                  QString::number(killedWhileWriting));
        Reliability::reportFigure(QStringLiteral("kills between a trimmed picture's deletion and the list's write"),
                                  QString::number(m_trimmedPictureMissing));
        // Without entries on disk the kills proved nothing.
        QVERIFY2(largestHistory > 0, "the program never saved a copy");
        QVERIFY2(killedWhileWriting > 0, "no kill landed in a write");
    }

private:
    // Checks the history file and its pictures as the last kill left them: the number
    // of entries, or nothing and why.
    std::optional<int> checkDataFiles(QString &why)
    {
        const QString path = m_program.dataDirectory() + QStringLiteral("/clipboard.json");
        if (!QFile::exists(path))
            return 0;
        const std::optional<QJsonArray> entries = readJsonArray(path);
        if (!entries) {
            why = QStringLiteral("clipboard.json is not a whole JSON array (%1 bytes)").arg(QFileInfo(path).size());
            return std::nullopt;
        }
        int previousCopy = std::numeric_limits<int>::max();
        for (qsizetype index = 0; index < entries->size(); ++index) {
            const QJsonObject entry = entries->at(index).toObject();
            if (entry.value(QStringLiteral("isImage")).toBool()) {
                // A picture is named only once its file is whole: it must read back as
                // exactly one of the pictures copied.
                const QString file = entry.value(QStringLiteral("imageFile")).toString();
                if (file.isEmpty())
                    continue;
                const QString picturePath = m_program.dataDirectory() + QStringLiteral("/clipboard_images/") + file;
                // The one exception: the history deletes the picture of the entry it
                // trims before it writes the list without that entry, so a kill in
                // between leaves the last entry of a full list without its file (the
                // next start skips such an entry).
                if (!QFileInfo::exists(picturePath) && index == historyLimit - 1) {
                    ++m_trimmedPictureMissing;
                    continue;
                }
                const QImage stored(picturePath);
                const QImage comparable = stored.convertToFormat(QImage::Format_RGB32);
                if (!std::ranges::any_of(m_pictures, [&](const QImage &picture) { return picture == comparable; })) {
                    why = QStringLiteral("picture %1 is damaged (%2 bytes on disk, %3 × %4 pixels read)")
                              .arg(file)
                              .arg(QFileInfo(picturePath).size())
                              .arg(stored.width())
                              .arg(stored.height());
                    return std::nullopt;
                }
                continue;
            }
            // A text is one whole copy, and the list runs from the newest copy back.
            const QByteArray text = entry.value(QStringLiteral("text")).toString().toUtf8();
            const qsizetype lineEnd = text.indexOf('\n');
            const int copy = text.left(lineEnd).mid(5).toInt();
            if (!text.startsWith("copy ") || text.mid(lineEnd + 1) != m_padding || copy >= previousCopy) {
                why = QStringLiteral("a text entry is damaged or out of order: %1").arg(QString::fromUtf8(text.left(40)));
                return std::nullopt;
            }
            previousCopy = copy;
        }
        return int(entries->size());
    }

    QTemporaryDir m_copies;
    int m_trimmedPictureMissing = 0;
    QByteArray m_padding;
    QList<QImage> m_pictures;
    QProcess m_copier;
    RunningProgram m_program;
};

QTEST_GUILESS_MAIN(KillWhileSavingTest)
#include "kill_while_saving_test.moc"
