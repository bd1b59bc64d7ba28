#include "X11TestSupport.h"
#include "platform/ScreenCapture.h"
#include "platform/x11/X11Platform.h"
#include "support/TestEnvironment.h"
#include "windows/ThumbnailService.h"
#include "windows/WindowActivation.h"
#include "windows/WindowList.h"

#include <QCoreApplication>
#include <QTest>
#include <QWindow>

using namespace lettergate;

using X11Test::HelperWindow;

namespace {

QList<WindowInfo> windowsOfOthers(Platform &platform)
{
    return listWindows(platform, qint32(QCoreApplication::applicationPid()));
}

std::optional<WindowInfo> find(const QList<WindowInfo> &windows, quint32 window)
{
    return X11Test::entryOf(windows, &WindowInfo::id, window);
}

std::optional<ShareableWindow> offered(ScreenCapture &capture, quint32 window)
{
    return X11Test::entryOf(capture.shareableContent().windows, &ShareableWindow::number, window);
}

} // namespace

// The switcher's window logic over the X11 backend: what the panel lists, what picking
// a minimised window does, the pictures it shows (through Composite, without a
// compositing manager), and windows of other programs that misbehave: titles that are
// not the text they claim to be, and windows that are gone by the time the switcher
// acts on them. Picking a listed window by its letter is the whole program's test.
class EndToEndWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_platform->screenCapture().preflight()); }

    void listsOrdinaryWindowsOfOtherProcessesOnlyAndRestoresAMinimisedOne()
    {
        HelperWindow square({"--title", "Square", "--size", "58x35"});
        HelperWindow narrow({"--title", "Narrow", "--size", "57x300"});
        HelperWindow dock({"--title", "Dock", "--type", "dock", "--size", "600x40", "--position", "300,900"});
        HelperWindow utility({"--title", "Utility", "--type", "utility"});
        HelperWindow minimised({"--title", "Minimised", "--iconic"});
        QWindow own;
        own.resize(300, 200);
        own.show();
        QVERIFY(X11Test::waitUntilManaged({&square, &narrow, &dock, &utility, &minimised}));
        QVERIFY(X11Test::waitUntilManaged(quint32(own.winId())));

        const QList<WindowInfo> windows = windowsOfOthers(*m_platform);
        // The frame counts: 58 × 35 framed is exactly 60 × 60 and passes; 57 wide does not.
        QVERIFY(find(windows, square.window()));
        for (quint32 hidden :
             {narrow.window(), dock.window(), utility.window(), minimised.window(), quint32(own.winId())})
            QVERIFY(!find(windows, hidden));

        // Picked though it was minimised since its card was shown, a window is restored,
        // brought to the front and listed again.
        const WindowInfo restored{minimised.window(),    qint32(minimised.pid()),     QStringLiteral("Min"),
                                  QStringLiteral("Min"), QStringLiteral("Minimised"), QRectF(0, 0, 400, 300)};
        QVERIFY(activateWindow(*m_platform, restored));
        QTRY_COMPARE(X11Test::activeWindow(), minimised.window());
        QTRY_VERIFY(find(windowsOfOthers(*m_platform), minimised.window()));
    }

    void aHalfCoveredWindowIsPicturedWithItsOwnContentAtTheSizeRulesDimensions()
    {
        // A red window, its right half then covered by a blue one.
        HelperWindow covered({"--title", "Covered", "--size", "1000x500", "--position", "10,10", "--color", "ff0000"});
        QVERIFY(X11Test::waitUntilManaged({&covered}));
        HelperWindow cover({"--title", "Cover", "--size", "500x700", "--position", "520,0", "--color", "0000ff"});
        QVERIFY(X11Test::waitUntilManaged({&cover}));
        X11Test::activate(cover.window());
        QTest::qWait(100);

        // At its own size the picture is the frame: the border's corner is not the client's.
        ScreenCapture &capture = m_platform->screenCapture();
        const auto window = offered(capture, covered.window());
        QVERIFY(window);
        const QImage full = capture.capture(*window, QSize(1002, 525));
        QCOMPARE(full.pixelColor(1 + 750, 21 + 250), QColor(Qt::red));
        QVERIFY(full.pixelColor(0, 0) != QColor(Qt::red));

        // For the panel: the thumbnail service scales the frame so the longer side is 720.
        ThumbnailService thumbnails(m_platform->screenCapture());
        QFuture<void> done = thumbnails.prefetch(windowsOfOthers(*m_platform), [](quint32, const QImage &) {});
        QTRY_VERIFY(done.isFinished());
        const QImage picture = thumbnails.thumbnails({covered.window()}).value(covered.window());
        QCOMPARE(picture.size(), QSize(720, 377));
        const QColor right = picture.pixelColor(540, 200);
        QVERIFY2(right.red() > 240 && right.green() < 16 && right.blue() < 16, qPrintable(right.name()));
    }

    void titlesThatAreNotUtf8AreListedReadably()
    {
        HelperWindow netName({"--title", "placeholder", "--class", "badnet,BadNet", "--position", "40,40"});
        HelperWindow legacyName({"--title", "placeholder", "--class", "badlegacy,BadLegacy", "--position", "400,40"});
        HelperWindow longName({"--title", "placeholder", "--class", "longname,LongName", "--position", "800,40"});
        QVERIFY(X11Test::waitUntilManaged({&netName, &legacyName, &longName}));

        // Cut sequences, overlong forms, an encoded surrogate, a stray NUL and bytes no
        // UTF-8 text holds.
        static const char brokenBytes[] =
            "Bad \xff\xfe title \xc3 \xe2\x82 \xc0\xaf \xed\xa0\x80 x\0y \xf8\x88\x80\x80\x80";
        const QByteArray broken(brokenBytes, sizeof brokenBytes - 1);
        setText(netName.window(), "_NET_WM_NAME", "UTF8_STRING", broken);
        // Only the legacy name, claiming UTF-8.
        xcb_delete_property(m_client.connection(), legacyName.window(), m_client.atom("_NET_WM_NAME"));
        setText(legacyName.window(), "WM_NAME", "UTF8_STRING", broken);
        // A megabyte of title ending in the middle of a character.
        setText(longName.window(), "_NET_WM_NAME", "UTF8_STRING", QByteArray(1 << 20, 'a') + "\xe2\x82");

        QList<WindowInfo> windows;
        const auto allRenamed = [&] {
            windows = windowsOfOthers(*m_platform);
            return std::ranges::all_of(QList<quint32>{netName.window(), legacyName.window(), longName.window()},
                                       [&](quint32 window) {
                                           const auto info = find(windows, window);
                                           return info && info->title != QStringLiteral("placeholder");
                                       });
        };
        QTRY_VERIFY(allRenamed());
        for (quint32 window : {netName.window(), legacyName.window(), longName.window()}) {
            const QString title = find(windows, window)->title;
            // It survives a round trip through UTF-8 unchanged: no lone surrogates.
            QVERIFY2(QString::fromUtf8(title.toUtf8()) == title, qPrintable(title.left(80)));
            // Read no further than a title needs.
            QVERIFY(title.size() <= 64 * 1024);
            QVERIFY(title.startsWith(window == longName.window() ? QStringLiteral("aaaa") : QStringLiteral("Bad ")));
        }
        // And such a window is still the one a letter raises.
        QVERIFY(activateWindow(*m_platform, *find(windows, netName.window())));
        QTRY_COMPARE(X11Test::activeWindow(), netName.window());
    }

    void aWindowGoneOrMinimisedIsNeitherPicturedNorActivatedNorReplaced()
    {
        HelperWindow front({"--title", "Front", "--class", "front,Front", "--position", "40,40"});
        HelperWindow destroyed({"--title", "Destroyed", "--class", "destroyed,Destroyed", "--position", "400,40"});
        HelperWindow ended({"--title", "Ended", "--class", "ended,Ended", "--position", "800,40"});
        HelperWindow minimised({"--title", "Minimised", "--iconic"});
        QVERIFY(X11Test::waitUntilManaged({&front, &destroyed, &ended, &minimised}));
        X11Test::activate(front.window());

        // Minimised, or never there: not offered for a picture, and none when asked.
        ScreenCapture &capture = m_platform->screenCapture();
        QVERIFY(!offered(capture, minimised.window()));
        QVERIFY(capture.capture({0x7fffff0, QRectF(0, 0, 10, 10)}, QSize(10, 10)).isNull());

        // Listed, then gone before the letter is typed: one window destroyed while its
        // process lives on, another with its process ended.
        const QList<WindowInfo> listed = windowsOfOthers(*m_platform);
        const auto destroyedInfo = find(listed, destroyed.window());
        const auto endedInfo = find(listed, ended.window());
        const auto endedPicture = offered(capture, ended.window());
        QVERIFY(destroyedInfo && endedInfo && endedPicture);
        xcb_destroy_window(m_client.connection(), destroyed.window());
        xcb_flush(m_client.connection());
        ended.close();
        QTRY_VERIFY(!find(windowsOfOthers(*m_platform), destroyed.window()));
        QVERIFY(!offered(capture, ended.window()));
        QVERIFY(capture.capture(*endedPicture, QSize(100, 100)).isNull());

        QVERIFY(!activateWindow(*m_platform, *destroyedInfo));
        QVERIFY(!activateWindow(*m_platform, *endedInfo));
        QTest::qWait(200);
        QCOMPARE(X11Test::activeWindow(), front.window());
    }

private:
    void setText(quint32 window, const char *property, const char *type, const QByteArray &bytes)
    {
        // Large values go in pieces, each well within the server's request size.
        constexpr qsizetype piece = 64 * 1024;
        for (qsizetype offset = 0; offset < bytes.size() || offset == 0; offset += piece) {
            const QByteArray part = bytes.mid(offset, piece);
            xcb_change_property(m_client.connection(), offset == 0 ? XCB_PROP_MODE_REPLACE : XCB_PROP_MODE_APPEND,
                                window, m_client.atom(property), m_client.atom(type), 8, uint32_t(part.size()),
                                part.constData());
        }
        xcb_flush(m_client.connection());
    }

    TestEnvironment m_environment;
    const std::unique_ptr<X11Platform> m_platform = X11Test::sessionBackend<X11Platform>();
    X11Test::OtherClient m_client;
};

QTEST_MAIN(EndToEndWindowsTest)
#include "e2e_windows_test.moc"
