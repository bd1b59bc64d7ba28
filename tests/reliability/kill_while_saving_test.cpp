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

using namespace lettergate;

constexpr int pictureCount = 3;
constexpr int historyLimit = 20;

// The real program killed (SIGKILL) again and again while another process keeps
// copying: every kill leaves each data file as one complete version, and the next
// start reads it without setting anything aside.
class KillWhileSavingTest : public QObject {
    Q_OBJECT

private slots:
    void everyKillLeavesCompleteFiles()
    {
        // Each text is 256 KiB after its first line, so every save of the history is a
        // few megabytes and takes long enough to be caught in the middle; the pictures
        // are noisy, slow enough to encode that kills land while a PNG is being written.
        QFile padding(m_copies.filePath(QStringLiteral("padding.txt")));
        QVERIFY(padding.open(QIODevice::WriteOnly) && padding.write(m_padding) == m_padding.size());
        padding.close();
        for (int i = 0; i < pictureCount; ++i) {
            m_pictures.append(Reliability::noisyPicture(QSize(1200, 900), quint32(i + 1)));
            QVERIFY(m_pictures.last().save(m_copies.filePath(QStringLiteral("picture%1.png").arg(i))));
        }
        m_program.writeSettings("[General]\nLettergate.clipboardHistoryLimit=" + QByteArray::number(historyLimit)
                                + '\n');
        // Pictures and texts take turns on the clipboard, a few per poll of the program.
        QProcess copier;
        copier.setWorkingDirectory(m_copies.path());
        copier.start(QStringLiteral("sh"),
                     {QStringLiteral("-c"),
                      QStringLiteral(
                          "i=0; while :; do i=$((i+1)); if [ $((i % 3)) = 0 ]; then "
                          "xclip -selection clipboard -t image/png -i picture$((i % %1)).png; "
                          "else { printf 'copy %d\\n' $i; cat padding.txt; } | xclip -selection clipboard; fi; "
                          "sleep 0.15; done")
                          .arg(pictureCount)});
        QVERIFY(copier.waitForStarted());

        int killedWhileWriting = 0;
        int largestHistory = 0;
        for (int round = 0; round < Reliability::rounds(12, 100); ++round) {
            QVERIFY2(m_program.start(), m_program.output().constData());
            // Every other round the kill waits for a write to be under way; the others
            // land wherever the program happens to be.
            QDeadlineTimer deadline(QRandomGenerator::global()->bounded(400, 6500));
            if (round % 2 == 0) {
                while (!deadline.hasExpired() && !m_program.isWritingData()) {
                }
            } else {
                QTest::qWait(int(deadline.remainingTime()));
            }
            m_program.pause();
            killedWhileWriting += m_program.isWritingData();
            m_program.killNow();
            const std::optional<int> entries = checkDataFiles();
            QVERIFY2(entries, qPrintable(QStringLiteral("after kill %1: %2").arg(round + 1).arg(m_damage)));
            largestHistory = std::max(largestHistory, *entries);
        }
        copier.kill();
        copier.waitForFinished();

        // The last start finds what the last kill left, and sets nothing aside.
        QVERIFY(m_program.start());
        QVERIFY2(!m_program.output().contains("unreadable"), m_program.output().constData());
        m_program.stop();
        QVERIFY2(checkDataFiles(), qPrintable(m_damage));
        const QStringList setAside =
            QDir(m_program.dataDirectory()).entryList({QStringLiteral("*.unreadable-*")}, QDir::Files);
        QVERIFY2(setAside.isEmpty(), qPrintable(setAside.join(u' ')));
        Reliability::reportFigure(QStringLiteral("kills while a data file was open for writing"),
                                  QString::number(killedWhileWriting));
        // Without entries on disk, or without a kill in a write, the kills proved nothing.
        QVERIFY2(largestHistory > 0, "the program never saved a copy");
        QVERIFY2(killedWhileWriting > 0, "no kill landed in a write");
    }

private:
    // Checks the history file and its pictures as the last kill left them: the number
    // of entries, or nothing and why (in m_damage).
    std::optional<int> checkDataFiles()
    {
        const QString path = m_program.dataDirectory() + QStringLiteral("/clipboard.json");
        if (!QFile::exists(path))
            return 0;
        const std::optional<QJsonArray> entries = Reliability::readJsonArray(path);
        if (!entries) {
            m_damage =
                QStringLiteral("clipboard.json is not a whole JSON array (%1 bytes)").arg(QFileInfo(path).size());
            return std::nullopt;
        }
        int previousCopy = std::numeric_limits<int>::max();
        for (qsizetype index = 0; index < entries->size(); ++index) {
            const QJsonObject entry = entries->at(index).toObject();
            if (entry.value(QStringLiteral("isImage")).toBool()) {
                // A picture is named only once its file is whole: it must read back as
                // exactly one of the pictures copied.
                const QString file = entry.value(QStringLiteral("imageFile")).toString();
                const QString picturePath = m_program.dataDirectory() + QStringLiteral("/clipboard_images/") + file;
                // The one exception: the history deletes the picture of the entry it
                // trims before it writes the list without that entry, so a kill in
                // between leaves the last entry of a full list without its file (the
                // next start skips such an entry).
                if (file.isEmpty() || (!QFileInfo::exists(picturePath) && index == historyLimit - 1))
                    continue;
                if (!m_pictures.contains(QImage(picturePath).convertToFormat(QImage::Format_RGB32))) {
                    m_damage =
                        QStringLiteral("picture %1 is damaged (%2 bytes)").arg(file).arg(QFileInfo(picturePath).size());
                    return std::nullopt;
                }
                continue;
            }
            // A text is one whole copy, and the list runs from the newest copy back.
            const QByteArray text = entry.value(QStringLiteral("text")).toString().toUtf8();
            const qsizetype lineEnd = text.indexOf('\n');
            const int copy = text.left(lineEnd).mid(5).toInt();
            if (!text.startsWith("copy ") || text.mid(lineEnd + 1) != m_padding || copy >= previousCopy) {
                m_damage =
                    QStringLiteral("a text entry is damaged or out of order: %1").arg(QString::fromUtf8(text.left(40)));
                return std::nullopt;
            }
            previousCopy = copy;
        }
        return int(entries->size());
    }

    QTemporaryDir m_copies;
    const QByteArray m_padding = QByteArray(256 * 1024, 'x');
    QList<QImage> m_pictures;
    QString m_damage;
    RunningProgram m_program;
};

QTEST_GUILESS_MAIN(KillWhileSavingTest)
#include "kill_while_saving_test.moc"
