#include "X11TestSupport.h"
#include "platform/Keystrokes.h"
#include "platform/Pasteboard.h"
#include "platform/x11/X11Platform.h"
#include "support/TestEnvironment.h"

#include <QImage>
#include <QTemporaryFile>
#include <QTest>

using namespace lettergate;

using X11Test::HelperWindow;

// The server's clipboard as we write it, and the synthetic paste keystroke. How the
// backend reads the clipboard is the selection reader test's; the history over it
// with other clients copying is the reliability tests'.
class EndToEndClipboardTest : public QObject {
    Q_OBJECT

private slots:
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
        const QString png = X11Test::runServingEvents(
            QStringLiteral("sh"),
            {"-c", QStringLiteral("xclip -selection clipboard -o -t image/png > %1; echo done").arg(read.fileName())});
        QCOMPARE(png, QStringLiteral("done"));
        QCOMPARE(QImage(read.fileName(), "PNG").convertToFormat(QImage::Format_RGB32), picture);
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

private:
    TestEnvironment m_environment;
    const std::unique_ptr<X11Platform> m_platform = X11Test::sessionBackend<X11Platform>();
};

QTEST_MAIN(EndToEndClipboardTest)
#include "e2e_clipboard_test.moc"
