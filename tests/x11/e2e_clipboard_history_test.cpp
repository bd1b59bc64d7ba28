#include "X11TestSupport.h"
#include "platform/Paths.h"
#include "platform/Pasteboard.h"
#include "platform/qt/QtPasteboard.h"
#include "platform/x11/X11ClipboardOwner.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11Platform.h"
#include "stores/ClipboardHistory.h"
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

    void twoQuickCopiesAreBothRecordedNewestFirst()
    {
        Pasteboard &board = m_platform->pasteboard();
        QTemporaryFile first;
        QTemporaryFile second;
        QVERIFY(first.open() && second.open());
        first.write("first quick copy");
        second.write("second quick copy");
        first.close();
        second.close();

        // The second copy follows as soon as the clipboard has announced the first, long
        // before the next poll tick; by then the first has been read from its owner.
        const qint64 before = board.changeCount();
        X11Test::xclipCopy(first.fileName());
        QTRY_VERIFY(board.changeCount() > before);
        const qint64 afterFirst = board.changeCount();
        X11Test::xclipCopy(second.fileName());
        QTRY_VERIFY(board.changeCount() > afterFirst);

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
        // The password is on the clipboard for pasting, marked as the owner marks it...
        QCOMPARE(board.string(), QStringLiteral("hunter2 ✓"));
        QVERIFY(board.isMarkedSecret());
        // ...and neither in the history nor in its file.
        m_history->checkPasteboard();
        QCOMPARE(m_history->items().size(), recorded);
        QVERIFY(!historyFile(*m_history).contains("hunter2"));

        before = board.changeCount();
        HelperWindow editor({"--title", "Editor", "--clipboard", "not a secret"});
        QCOMPARE(editor.waitForLine(QStringLiteral("clipboard")), QStringLiteral("clipboard owned"));
        QTRY_VERIFY(board.changeCount() > before);
        QVERIFY(!board.isMarkedSecret());
        QCOMPARE(m_history->items().size(), recorded + 1);
        QCOMPARE(m_history->items().first().text, QStringLiteral("not a secret"));
        QVERIFY(!historyFile(*m_history).contains("hunter2"));
    }

    void aReadAcrossAChangeOfOwnerDoesNotCount()
    {
        // A clipboard of its own, so that the history's reads do not interleave with ours.
        const std::unique_ptr<X11Display> display = X11Display::open();
        QVERIFY(display);
        const X11ClipboardOwner owner(*display);
        QtPasteboard board([&owner] { return owner.current(); });
        QTemporaryFile first;
        QTemporaryFile second;
        QVERIFY(first.open() && second.open());
        first.write("owned by the first xclip");
        second.write("owned by the second xclip");
        first.close();
        second.close();

        qint64 before = board.changeCount();
        X11Test::xclipCopy(first.fileName());
        QTRY_VERIFY(board.changeCount() > before);
        const std::optional<quint32> firstOwner = owner.current();
        QVERIFY(firstOwner && *firstOwner != XCB_NONE);

        // One owner throughout: the read counts.
        board.beginRead();
        QCOMPARE(board.string(), QStringLiteral("owned by the first xclip"));
        QVERIFY(board.endRead());

        // Another client takes the clipboard while it is read: the read does not count.
        board.beginRead();
        QCOMPARE(board.string(), QStringLiteral("owned by the first xclip"));
        before = board.changeCount();
        X11Test::xclipCopy(second.fileName());
        QTRY_VERIFY(owner.current() != firstOwner);
        QVERIFY(!board.endRead());
        QTRY_VERIFY(board.changeCount() > before);

        board.beginRead();
        QCOMPARE(board.string(), QStringLiteral("owned by the second xclip"));
        QVERIFY(board.endRead());
    }

private:
    TestEnvironment m_environment;
    std::unique_ptr<X11Platform> m_platform;
    std::unique_ptr<ClipboardHistory> m_history;
};

QTEST_MAIN(EndToEndClipboardHistoryTest)
#include "e2e_clipboard_history_test.moc"
