#include "X11TestSupport.h"
#include "platform/Accessibility.h"
#include "platform/Apps.h"
#include "platform/ScreenCapture.h"
#include "platform/WindowServer.h"
#include "platform/x11/X11Platform.h"
#include "support/TestEnvironment.h"
#include "windows/WindowActivation.h"
#include "windows/WindowList.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

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

// Windows of other processes over the X11 backend: as the window manager lists them,
// their applications as desktop entries and the windows themselves describe them, the
// primitives that bring one to the front (judged by the window manager's
// _NET_ACTIVE_WINDOW), what the panel lists, the pictures it shows (through Composite,
// without a compositing manager), and windows of other programs that misbehave: titles
// that are not the text they claim to be, and windows that are gone by the time the
// switcher acts on them. Picking a listed window by its letter (the request stamped so
// that the window manager grants it) is the whole program's test.
class EndToEndWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Entries in the temporary data directory, which GIO reads before the system's.
        const QString applications = m_environment.dataHome() + QStringLiteral("/applications");
        QVERIFY(QDir().mkpath(applications));
        m_marker = m_environment.root() + QStringLiteral("/launched");
        QImage icon(32, 32, QImage::Format_ARGB32);
        icon.fill(Qt::magenta);
        const QString iconFile = m_environment.root() + QStringLiteral("/helper-icon.png");
        QVERIFY(icon.save(iconFile));
        writeEntry(applications + QStringLiteral("/org.example.Helper.desktop"),
                   "Name=Helper Deluxe\nStartupWMClass=LgHelper\nIcon=" + iconFile.toUtf8() + "\nExec=touch " +
                       m_marker.toUtf8() + "\n");
        writeEntry(applications + QStringLiteral("/org.example.Declared.desktop"), "Name=Declared\nExec=true\n");
        m_platform = X11Platform::connect();
        QVERIFY(m_platform);
        QVERIFY(m_platform->hasWindowManager());
        QVERIFY(m_platform->screenCapture().preflight());
    }

    void listsForeignWindowsFrontMostFirstAndNamesTheirApplications()
    {
        HelperWindow claimed({"--title", "Alpha", "--class", "alpha,LgHelper", "--size", "300x200", "--position", "50,60"});
        HelperWindow unnamed({"--title", "Bravo ✓", "--class", "bravo,Bravo", "--no-pid", "--position", "400,60",
                              "--icon", "00ff00"});
        HelperWindow declared({"--title", "Declared", "--class", "whatever,Whatever", "--gtk-app-id", "org.example.Declared"});
        HelperWindow classless({"--title", "Classless", "--class", ","});
        QVERIFY(X11Test::waitUntilManaged({&claimed, &unnamed, &declared, &classless}));
        X11Test::activate(claimed.window());

        const QList<WindowRecord> records = m_platform->windowServer().onScreenWindows().value();
        QCOMPARE(records.value(0).number, claimed.window());
        // openbox frames a client with a 1-pixel border and a 20-pixel title bar above a
        // 5-pixel handle; the frame is what stands at the position asked for.
        QCOMPARE(records.value(0).bounds, QRectF(50, 60, 302, 225));
        QCOMPARE(records.value(0).ownerName, QStringLiteral("Helper Deluxe"));
        // Without _NET_WM_PID the server still knows the client's pid; without a desktop
        // entry the class names the application.
        const WindowRecord bravo = *X11Test::entryOf(records, &WindowRecord::number, unnamed.window());
        QCOMPARE(bravo.ownerPid, qint32(unnamed.pid()));
        QCOMPARE(bravo.ownerName, QStringLiteral("Bravo"));
        QCOMPARE(bravo.title, QStringLiteral("Bravo ✓"));

        // The application's identity: what the window declares, else a desktop entry
        // claiming its class, else the class; the icon: the entry's, else the window's.
        Apps &apps = m_platform->apps();
        const struct {
            const HelperWindow &window;
            std::optional<QString> identity;
            QColor icon;
        } identities[] = {{declared, QStringLiteral("org.example.Declared"), {}},
                          {claimed, QStringLiteral("org.example.Helper"), Qt::magenta},
                          {unnamed, QStringLiteral("Bravo"), Qt::green},
                          {classless, std::nullopt, {}}};
        for (const auto &app : identities) {
            QCOMPARE(apps.bundleIdentifier(qint32(app.window.pid())), app.identity);
            if (app.icon.isValid())
                QCOMPARE(apps.iconForBundle(*app.identity).pixmap(16).toImage().pixelColor(5, 5), app.icon);
        }
    }

    void openingAnApplicationRaisesItWhenItRunsAndStartsItOtherwise()
    {
        Apps &apps = m_platform->apps();
        QVERIFY(apps.openApplication(QStringLiteral("org.example.Helper")));
        QTRY_VERIFY(QFileInfo::exists(m_marker));
        QFile::remove(m_marker);

        HelperWindow running({"--title", "Running", "--class", "lghelper,LgHelper"});
        HelperWindow other({"--title", "Other", "--class", "other,Other"});
        QVERIFY(X11Test::waitUntilManaged({&running, &other}));
        QTRY_COMPARE(apps.frontmostApp(), qint32(other.pid()));
        // The window manager's report of the new active window names its process.
        QSignalSpy broughtToFront(&apps, &Apps::frontmostAppChanged);
        QSignalSpy reported(&apps, &Apps::activeWindowReported);
        QVERIFY(apps.openApplication(QStringLiteral("org.example.Helper")));
        QTRY_COMPARE(X11Test::activeWindow(), running.window());
        QTRY_COMPARE(broughtToFront.size(), 1);
        QCOMPARE(broughtToFront.constFirst().constFirst().value<qint32>(), qint32(running.pid()));
        // ... and the window itself, which a switch waits for.
        QTRY_VERIFY(!reported.isEmpty());
        QCOMPARE(reported.constLast().constFirst().value<quint32>(), quint32(running.window()));
        QTest::qWait(200);
        QVERIFY(!QFileInfo::exists(m_marker));

        // An identifier without an entry and without windows: nothing to open.
        QVERIFY(!apps.openApplication(QStringLiteral("org.example.Nothing")));
        QCOMPARE(X11Test::activeWindow(), running.window());
    }

    void anApplicationOfSeveralProcessesComesBackByItsMostRecentWindowEvenMinimised()
    {
        // Two processes of one window class and no desktop entry, as terminals are.
        HelperWindow older({"--title", "Older", "--class", "tool,LgTool"});
        HelperWindow recent({"--title", "Recent", "--class", "tool,LgTool"});
        HelperWindow other({"--title", "Other", "--class", "other,Other"});
        QVERIFY(X11Test::waitUntilManaged({&older, &recent, &other}));
        Apps &apps = m_platform->apps();
        QVERIFY(apps.activateApp(qint32(recent.pid())));
        QTRY_COMPARE(X11Test::activeWindow(), recent.window());
        QVERIFY(apps.activateApp(qint32(other.pid())));
        QTRY_COMPARE(X11Test::activeWindow(), other.window());
        QVERIFY(QProcess::execute(QStringLiteral("xdotool"), {"windowminimize", QString::number(recent.window())}) == 0);
        QTRY_VERIFY(X11Test::isHidden(recent.window()));

        QVERIFY(apps.openApplication(QStringLiteral("LgTool")));
        QTRY_COMPARE(X11Test::activeWindow(), recent.window());
        QVERIFY(!X11Test::isHidden(recent.window()));

        // Once the focus has moved elsewhere, activating an application again is a
        // request of its own, not a repeat of the last one.
        QVERIFY(apps.activateApp(qint32(other.pid())));
        QTRY_COMPARE(X11Test::activeWindow(), other.window());
    }

    void theWindowJustFocusedWinsOverItsApplicationsOtherWindows()
    {
        // Two windows of one process; the other one is in front. Focusing a window and
        // activating its application at once, before the window manager has answered,
        // must not bring the other window back.
        HelperWindow app({"--title", "Pair", "--windows", "2"});
        QVERIFY(X11Test::waitUntilManaged({&app}));
        const QList<quint32> windows = app.windows();
        X11Test::activate(windows[1]);
        QTRY_COMPARE(m_platform->apps().frontmostApp(), qint32(app.pid()));

        Accessibility &ax = m_platform->accessibility();
        ax.raise(windows[0]);
        ax.focus(qint32(app.pid()), windows[0]);
        ax.makeMain(windows[0]);
        QVERIFY(m_platform->apps().activateApp(qint32(app.pid())));
        QTRY_COMPARE(X11Test::activeWindow(), windows[0]);
        QTest::qWait(100);
        QCOMPARE(X11Test::activeWindow(), windows[0]);
    }

    void listsOrdinaryWindowsOnlyAndRestoresAMinimisedOne()
    {
        HelperWindow square({"--title", "Square", "--size", "58x35"});
        HelperWindow narrow({"--title", "Narrow", "--size", "57x300"});
        HelperWindow utility({"--title", "Utility", "--type", "utility"});
        HelperWindow minimised({"--title", "Minimised", "--iconic"});
        QVERIFY(X11Test::waitUntilManaged({&square, &narrow, &utility, &minimised}));

        const QList<WindowInfo> windows = windowsOfOthers(*m_platform);
        // The frame counts: 58 × 35 framed is exactly 60 × 60 and passes; 57 wide does not.
        QVERIFY(find(windows, square.window()));
        for (quint32 hidden : {narrow.window(), utility.window(), minimised.window()})
            QVERIFY(!find(windows, hidden));

        // Picked though it was minimised since its card was shown, a window is restored,
        // brought to the front and listed again.
        const WindowInfo restored{minimised.window(), qint32(minimised.pid()), QStringLiteral("Min"),
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

        // Scaled for the panel, the longer side 720.
        const QImage picture = capture.capture(*window, QSize(720, 377));
        QCOMPARE(picture.size(), QSize(720, 377));
        const QColor right = picture.pixelColor(540, 200);
        QVERIFY2(right.red() > 240 && right.green() < 16 && right.blue() < 16, qPrintable(right.name()));
    }

    void titlesThatAreNotUtf8AreListedReadably()
    {
        HelperWindow legacyName({"--title", "placeholder", "--class", "badlegacy,BadLegacy", "--position", "400,40"});
        HelperWindow longName({"--title", "placeholder", "--class", "longname,LongName", "--position", "800,40"});
        QVERIFY(X11Test::waitUntilManaged({&legacyName, &longName}));

        // Cut sequences, overlong forms, an encoded surrogate, a stray NUL and bytes no
        // UTF-8 text holds.
        static const char brokenBytes[] = "Bad \xff\xfe title \xc3 \xe2\x82 \xc0\xaf \xed\xa0\x80 x\0y \xf8\x88\x80\x80\x80";
        // Only the legacy name, claiming UTF-8: the fallback reads as _NET_WM_NAME does.
        xcb_delete_property(m_client.connection(), legacyName.window(), m_client.atom("_NET_WM_NAME"));
        setText(legacyName.window(), "WM_NAME", "UTF8_STRING", QByteArray(brokenBytes, sizeof brokenBytes - 1));
        // A megabyte of title ending in the middle of a character.
        setText(longName.window(), "_NET_WM_NAME", "UTF8_STRING", QByteArray(1 << 20, 'a') + "\xe2\x82");

        QList<WindowInfo> windows;
        const auto allRenamed = [&] {
            windows = windowsOfOthers(*m_platform);
            return std::ranges::all_of(QList<quint32>{legacyName.window(), longName.window()},
                                       [&](quint32 window) {
                                           const auto info = find(windows, window);
                                           return info && info->title != QStringLiteral("placeholder");
                                       });
        };
        QTRY_VERIFY(allRenamed());
        for (quint32 window : {legacyName.window(), longName.window()}) {
            const QString title = find(windows, window)->title;
            // It survives a round trip through UTF-8 unchanged: no lone surrogates.
            QVERIFY2(QString::fromUtf8(title.toUtf8()) == title, qPrintable(title.left(80)));
            // Read no further than a title needs.
            QVERIFY(title.size() <= 64 * 1024);
            QVERIFY(title.startsWith(window == longName.window() ? QStringLiteral("aaaa") : QStringLiteral("Bad ")));
        }
        // And such a window is still the one a letter raises.
        QVERIFY(activateWindow(*m_platform, *find(windows, legacyName.window())));
        QTRY_COMPARE(X11Test::activeWindow(), legacyName.window());
    }

    void aWindowGoneOrMinimisedIsNeitherPicturedNorActivatedNorReplaced()
    {
        HelperWindow front({"--title", "Front", "--class", "front,Front", "--position", "40,40"});
        HelperWindow ended({"--title", "Ended", "--class", "ended,Ended", "--position", "800,40"});
        HelperWindow minimised({"--title", "Minimised", "--iconic"});
        QVERIFY(X11Test::waitUntilManaged({&front, &ended, &minimised}));
        X11Test::activate(front.window());

        // Minimised, or never there: not offered for a picture, and none when asked.
        ScreenCapture &capture = m_platform->screenCapture();
        QVERIFY(!offered(capture, minimised.window()));
        QVERIFY(capture.capture({0x7fffff0, QRectF(0, 0, 10, 10)}, QSize(10, 10)).isNull());

        // Listed, then gone with its process before the letter is typed.
        const auto endedInfo = find(windowsOfOthers(*m_platform), ended.window());
        const auto endedPicture = offered(capture, ended.window());
        QVERIFY(endedInfo && endedPicture);
        ended.close();
        QVERIFY(!find(windowsOfOthers(*m_platform), ended.window()));
        QVERIFY(!offered(capture, ended.window()));
        QVERIFY(capture.capture(*endedPicture, QSize(100, 100)).isNull());
        QVERIFY(!activateWindow(*m_platform, *endedInfo));
        QTest::qWait(200);
        QCOMPARE(X11Test::activeWindow(), front.window());
    }

private:
    static void writeEntry(const QString &path, const QByteArray &keys)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nType=Application\n" + keys);
    }

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
    QString m_marker;
    std::unique_ptr<X11Platform> m_platform;
    X11Test::OtherClient m_client;
};

QTEST_MAIN(EndToEndWindowsTest)
#include "e2e_windows_test.moc"
