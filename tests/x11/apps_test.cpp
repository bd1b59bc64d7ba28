#include "X11TestSupport.h"
#include "platform/Apps.h"
#include "platform/OwnEnvironment.h"
#include "platform/WindowServer.h"
#include "platform/x11/X11Platform.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

using namespace lettergate;

using X11Test::HelperWindow;

// Windows of other processes and their applications, as the window manager lists them
// and desktop entries and the windows themselves describe them. Which of them the
// switcher keeps is the end-to-end windows test's.
class AppsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Entries in the temporary data directory, which GIO reads before the system's.
        const QString applications = m_environment.dataHome() + QStringLiteral("/applications");
        const QByteArray entry = "[Desktop Entry]\nType=Application\n";
        m_marker = m_environment.root() + QStringLiteral("/launched");
        QImage icon(32, 32, QImage::Format_ARGB32);
        icon.fill(Qt::magenta);
        const QString iconFile = m_environment.root() + QStringLiteral("/helper-icon.png");
        QVERIFY(icon.save(iconFile));
        writeFile(applications + QStringLiteral("/org.example.Helper.desktop"),
                  entry + "Name=Helper Deluxe\nStartupWMClass=LgHelper\nIcon=" + iconFile.toUtf8() + "\nExec=touch "
                      + m_marker.toUtf8() + "\n");
        writeFile(applications + QStringLiteral("/org.example.Declared.desktop"), entry + "Name=Declared\nExec=true\n");
        writeFile(applications + QStringLiteral("/org.example.Handler.desktop"),
                  entry
                      + "Name=Handler\nMimeType=x-scheme-handler/lgtest;\nNoDisplay=true\nExec=sh -c \"echo "
                        "\\\\${LETTERGATE_TEST_OWN-unset} > "
                      + m_marker.toUtf8() + "-url\" %u\n");
        // The user's choice of handler, as the desktop's settings record it.
        writeFile(m_environment.configHome() + QStringLiteral("/mimeapps.list"),
                  "[Default Applications]\nx-scheme-handler/lgtest=org.example.Handler.desktop\n");
        QVERIFY(m_platform->hasWindowManager());
    }

    void listsForeignWindowsFrontMostFirstAndNamesTheirApplications()
    {
        HelperWindow claimed(
            {"--title", "Alpha", "--class", "alpha,LgHelper", "--size", "300x200", "--position", "50,60"});
        HelperWindow unnamed(
            {"--title", "Bravo ✓", "--class", "bravo,Bravo", "--no-pid", "--position", "400,60", "--icon", "00ff00"});
        HelperWindow declared(
            {"--title", "Declared", "--class", "whatever,Whatever", "--gtk-app-id", "org.example.Declared"});
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
        QVERIFY(apps.appIcon(qint32(classless.pid()) + 100000).isNull());
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
        X11Test::run(QStringLiteral("xdotool"), {"windowminimize", QString::number(recent.window())});
        QTRY_VERIFY(X11Test::isHidden(recent.window()));

        QVERIFY(apps.openApplication(QStringLiteral("LgTool")));
        QTRY_COMPARE(X11Test::activeWindow(), recent.window());
        QVERIFY(!X11Test::isHidden(recent.window()));
    }

    void urlsGoToTheDesktopsHandlerForTheirScheme()
    {
        Apps &apps = m_platform->apps();
        // The handler starts without what we set for our own Qt.
        qunsetenv("LETTERGATE_TEST_OWN");
        OwnEnvironment::setUnlessSet("LETTERGATE_TEST_OWN", "ours");
        QVERIFY(apps.openUrl(QUrl(QStringLiteral("lgtest:hello"))));
        QFile written(m_marker + QStringLiteral("-url"));
        QTRY_VERIFY(written.size() > 0);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("unset\n"));
        QVERIFY(!apps.openUrl(QUrl(QStringLiteral("lgnohandler:hello"))));
        QVERIFY(!apps.openUrl(QUrl()));
    }

private:
    static void writeFile(const QString &path, const QByteArray &content)
    {
        QFile file(path);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), content.size());
    }

    TestEnvironment m_environment;
    QString m_marker;
    const std::unique_ptr<X11Platform> m_platform = X11Test::sessionBackend<X11Platform>();
};

QTEST_MAIN(AppsTest)
#include "apps_test.moc"
