#include "X11TestSupport.h"
#include "platform/Paths.h"
#include "platform/Pasteboard.h"
#include "platform/x11/X11Platform.h"
#include "stores/ClipboardHistory.h"
#include "support/ClipboardReads.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QTemporaryFile>
#include <QTest>

using X11Test::HelperWindow;

namespace {

QStringList texts(const ClipboardHistory &history)
{
    QStringList result;
    for (const ClipboardHistory::Item &item : history.items())
        result << item.text;
    return result;
}

QByteArray historyFile(const ClipboardHistory &history)
{
    QFile file(history.filePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// The clipboard history over the server's clipboard, with other clients copying.
class EndToEndClipboardHistoryTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_platform = X11Platform::connect();
        QVERIFY(m_platform);
        m_history = std::make_unique<ClipboardHistory>(m_platform->pasteboard(), Paths::dataDirectory());
        m_history->start();
    }

    void copiesAreRecordedNewestFirst()
    {
        Pasteboard &board = m_platform->pasteboard();
        QTemporaryFile first;
        QTemporaryFile second;
        QVERIFY(first.open() && second.open());
        first.write("first quick copy");
        second.write("second quick copy");
        first.close();
        second.close();

        // The second copy follows as soon as the first is recorded, long before the next
        // poll tick: each is read as the clipboard announces it.
        const qint64 before = board.changeCount();
        X11Test::xclipCopy(first.fileName());
        QTRY_VERIFY(board.changeCount() > before);
        QVERIFY(readClipboard(*m_history));
        const qint64 afterFirst = board.changeCount();
        X11Test::xclipCopy(second.fileName());
        QTRY_VERIFY(board.changeCount() > afterFirst);
        QVERIFY(readClipboard(*m_history));

        QCOMPARE(texts(*m_history).mid(0, 2),
                 QStringList({QStringLiteral("second quick copy"), QStringLiteral("first quick copy")}));
        QVERIFY(historyFile(*m_history).contains("first quick copy"));
    }

    void aCopyMarkedSecretIsNotRecordedAndTheNextCopyIs()
    {
        Pasteboard &board = m_platform->pasteboard();
        const qsizetype recorded = m_history->items().size();

        qint64 before = board.changeCount();
        HelperWindow passwords({"--title", "Passwords", "--clipboard", "hunter2 ✓", "--secret"});
        QCOMPARE(passwords.waitForLine(QStringLiteral("clipboard")), QStringLiteral("clipboard owned"));
        QTRY_VERIFY(board.changeCount() > before);
        // The password is neither in the history nor in its file.
        QVERIFY(readClipboard(*m_history));
        QCOMPARE(m_history->items().size(), recorded);
        QVERIFY(!historyFile(*m_history).contains("hunter2"));

        before = board.changeCount();
        HelperWindow editor({"--title", "Editor", "--clipboard", "not a secret"});
        QCOMPARE(editor.waitForLine(QStringLiteral("clipboard")), QStringLiteral("clipboard owned"));
        QTRY_VERIFY(board.changeCount() > before);
        QVERIFY(readClipboard(*m_history));
        QCOMPARE(m_history->items().size(), recorded + 1);
        QCOMPARE(m_history->items().first().text, QStringLiteral("not a secret"));
        QVERIFY(!historyFile(*m_history).contains("hunter2"));
    }

private:
    TestEnvironment m_environment;
    std::unique_ptr<X11Platform> m_platform;
    std::unique_ptr<ClipboardHistory> m_history;
};

QTEST_MAIN(EndToEndClipboardHistoryTest)
#include "e2e_clipboard_history_test.moc"
