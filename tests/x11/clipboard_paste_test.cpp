#include "X11TestSupport.h"
#include "platform/Keystrokes.h"
#include "platform/Pasteboard.h"
#include "platform/x11/X11Platform.h"
#include "support/TestEnvironment.h"

#include <QBuffer>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>

using X11Test::HelperWindow;
using X11Test::OtherClient;
using X11Test::xclipCopy;

namespace {

constexpr xcb_keycode_t keycodeAlt = 64;

// One read of the clipboard, as the history asks for it; nothing when none arrived.
std::optional<PasteboardContent> readContent(Pasteboard &board)
{
    QSignalSpy answers(&board, &Pasteboard::contentRead);
    board.requestContent();
    if (!answers.wait(20000))
        return std::nullopt;
    return answers.first().first().value<PasteboardContent>();
}

} // namespace

// The clipboard on the real server, written through Qt and read by the backend's own
// reader, and the synthetic paste keystroke.
class ClipboardPasteTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_platform = X11Platform::connect();
        QVERIFY(m_platform);
    }

    void copiesOfOthersAndOursMeetOnTheServersClipboard()
    {
        Pasteboard &board = m_platform->pasteboard();
        QTemporaryFile text;
        QVERIFY(text.open());
        text.write("copied by xclip ✓");
        text.close();

        const qint64 before = board.changeCount();
        xclipCopy(text.fileName());
        QTRY_VERIFY(board.changeCount() > before);
        std::optional<PasteboardContent> content = readContent(board);
        QVERIFY(content);
        QCOMPARE(content->kind, PasteboardContent::Kind::text);
        QCOMPARE(content->text, QStringLiteral("copied by xclip ✓"));

        const qint64 afterCopy = board.changeCount();
        QVERIFY(board.setString(QStringLiteral("written by us ✓")));
        QTRY_VERIFY(board.changeCount() > afterCopy);
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

        QTemporaryFile pngFile;
        QVERIFY(pngFile.open());
        QImage red(20, 10, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(&pngFile, "PNG"));
        pngFile.close();
        const qint64 beforeImage = board.changeCount();
        xclipCopy(pngFile.fileName(), QStringLiteral("image/png"));
        QTRY_VERIFY(board.changeCount() > beforeImage);
        content = readContent(board);
        QVERIFY(content);
        QCOMPARE(content->kind, PasteboardContent::Kind::image);
        QCOMPARE(content->image.size(), QSize(20, 10));
    }

    void thePasteKeystrokeReachesTheFocusedWindowAsPlainControlV()
    {
        HelperWindow target({"--title", "Paste target", "--accept-paste"});
        QVERIFY(X11Test::waitUntilManaged(target.window()));
        X11Test::run(QStringLiteral("xdotool"), {"windowactivate", "--sync", QString::number(target.window())});
        QTRY_COMPARE(X11Test::activeWindow(), target.window());
        m_platform->pasteboard().setString(QStringLiteral("pasted ✓"));

        m_platform->keystrokes().postPaste();
        QCOMPARE(target.waitForLine(QStringLiteral("paste")), QStringLiteral("paste: pasted ✓"));

        // Alt still held from the trigger must not turn it into Control+Alt+V, and the
        // server must still see Alt held afterwards.
        OtherClient client;
        X11Test::run(QStringLiteral("xdotool"), {"keydown", "alt"});
        m_platform->pasteboard().setString(QStringLiteral("with Alt held"));
        m_platform->keystrokes().postPaste();
        QCOMPARE(target.waitForLine(QStringLiteral("paste: with")), QStringLiteral("paste: with Alt held"));
        QVERIFY(client.isKeyDown(keycodeAlt));
        X11Test::run(QStringLiteral("xdotool"), {"keyup", "alt"});
        QVERIFY(!client.isKeyDown(keycodeAlt));
    }

private:
    TestEnvironment m_environment;
    std::unique_ptr<X11Platform> m_platform;
};

QTEST_MAIN(ClipboardPasteTest)
#include "clipboard_paste_test.moc"
