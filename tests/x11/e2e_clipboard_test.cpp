#include "X11TestSupport.h"
#include "platform/Keystrokes.h"
#include "platform/Paths.h"
#include "platform/Pasteboard.h"
#include "platform/x11/X11Platform.h"
#include "stores/ClipboardHistory.h"
#include "support/ClipboardReads.h"
#include "support/TestEnvironment.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryFile>
#include <QTest>
#include <functional>

using X11Test::HelperWindow;

namespace {

void copyText(const QByteArray &text)
{
    QTemporaryFile file;
    if (file.open() && file.write(text) == text.size() && file.flush())
        X11Test::xclipCopy(file.fileName());
}

} // namespace

// The server's clipboard as we write it, the synthetic paste keystroke, and the
// clipboard history over it with other clients copying. How the backend reads the
// clipboard is the selection reader test's.
class EndToEndClipboardTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_platform = X11Platform::connect();
        QVERIFY(m_platform);
    }

    void ourCopiesAreTheServersClipboardAndCountAsChanges()
    {
        Pasteboard &board = m_platform->pasteboard();
        const qint64 before = board.changeCount();
        QVERIFY(board.setString(QStringLiteral("written by us ✓")));
        QTRY_VERIFY(board.changeCount() > before);
        QCOMPARE(X11Test::runServingEvents(QStringLiteral("xclip"), {"-selection", "clipboard", "-o"}),
                 QStringLiteral("written by us ✓"));

        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY(board.writeImage(picture));
        QTemporaryFile read;
        QVERIFY(read.open());
        const QString png = X11Test::runServingEvents(QStringLiteral("sh"),
            {"-c", QStringLiteral("xclip -selection clipboard -o -t image/png > %1; echo done").arg(read.fileName())});
        QCOMPARE(png, QStringLiteral("done"));
        QImage back;
        QVERIFY(back.load(read.fileName(), "PNG"));
        QCOMPARE(back.size(), QSize(40, 30));
        QCOMPARE(back.pixelColor(5, 5), QColor(Qt::darkCyan));
    }

    void thePasteKeystrokeReachesTheFocusedWindowAsPlainControlV()
    {
        HelperWindow target({"--title", "Paste target", "--accept-paste"});
        QVERIFY(X11Test::waitUntilManaged({&target}));
        X11Test::activate(target.window());

        // Alt still held from the trigger must not turn it into Control+Alt+V, and the
        // server must still see Alt held afterwards.
        X11Test::OtherClient client;
        constexpr xcb_keycode_t keycodeAlt = 64;
        X11Test::run(QStringLiteral("xdotool"), {"keydown", "alt"});
        m_platform->pasteboard().setString(QStringLiteral("pasted with Alt held ✓"));
        m_platform->keystrokes().postPaste(PasteKeystroke::controlV);
        QCOMPARE(target.waitForLine(QStringLiteral("paste")), QStringLiteral("paste: pasted with Alt held ✓"));
        QVERIFY(client.isKeyDown(keycodeAlt));
        X11Test::run(QStringLiteral("xdotool"), {"keyup", "alt"});
        QVERIFY(!client.isKeyDown(keycodeAlt));
    }

    void copiesAreRecordedNewestFirstAndSecretsNever()
    {
        m_history = std::make_unique<ClipboardHistory>(m_platform->pasteboard(), Paths::dataDirectory());
        m_history->start();
        // The second copy follows as soon as the first is recorded, long before the next
        // poll tick: each is read as the clipboard announces it.
        QVERIFY(copied([] { copyText("first quick copy"); }));
        QVERIFY(copied([] { copyText("second quick copy"); }));
        QCOMPARE(texts().mid(0, 2), QStringList({QStringLiteral("second quick copy"), QStringLiteral("first quick copy")}));
        // Written a moment after the copies stop.
        QTRY_VERIFY(historyFile().contains("first quick copy"));

        // A password manager's copy is neither in the history nor in its file; the next
        // copy is recorded as ever.
        const qsizetype recorded = texts().size();
        std::optional<HelperWindow> passwords;
        std::optional<HelperWindow> editor;
        QVERIFY(copied([&] { passwords.emplace(QStringList{"--clipboard", "hunter2 ✓", "--secret"}); }));
        QCOMPARE(texts().size(), recorded);
        QVERIFY(copied([&] { editor.emplace(QStringList{"--clipboard", "not a secret"}); }));
        QCOMPARE(texts().size(), recorded + 1);
        QCOMPARE(texts().first(), QStringLiteral("not a secret"));
        QTRY_VERIFY(historyFile().contains("not a secret"));
        QVERIFY(!historyFile().contains("hunter2"));
    }

    // Each copy of a picture is an entry of its own, the same picture too; a change
    // announced again without a new owner is not read as another copy.
    void eachCopyOfAPictureIsReadOnceAndRecorded()
    {
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(Qt::darkMagenta);
        QTemporaryFile png;
        QVERIFY(png.open() && picture.save(&png, "PNG") && png.flush());
        const qsizetype before = m_history->items().size();
        for (int copy = 0; copy < 2; ++copy)
            QVERIFY(copied([&png] { X11Test::xclipCopy(png.fileName(), QStringLiteral("image/png")); }));
        QCOMPARE(m_history->items().size(), before + 2);
        QVERIFY(m_history->items().at(0).isImage() && m_history->items().at(1).isImage());

        QVERIFY(copied([] { emit QGuiApplication::clipboard()->dataChanged(); }));
        QCOMPARE(m_history->items().size(), before + 2);
    }

private:
    // Makes a copy, waits until the clipboard announces it, and then until the history
    // has read it.
    bool copied(const std::function<void()> &copy)
    {
        Pasteboard &board = m_platform->pasteboard();
        const qint64 before = board.changeCount();
        copy();
        return QTest::qWaitFor([&] { return board.changeCount() > before; }, 10000) && readClipboard(*m_history);
    }

    QStringList texts() const
    {
        QStringList result;
        for (const ClipboardHistory::Item &item : m_history->items())
            result << item.text;
        return result;
    }

    QByteArray historyFile() const
    {
        QFile file(Paths::dataDirectory() + QStringLiteral("/clipboard.json"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TestEnvironment m_environment;
    std::unique_ptr<X11Platform> m_platform;
    std::unique_ptr<ClipboardHistory> m_history;
};

QTEST_MAIN(EndToEndClipboardTest)
#include "e2e_clipboard_test.moc"
