#include "X11TestSupport.h"
#include "platform/x11/X11Platform.h"
#include "support/LogCapture.h"
#include "windows/WindowActivation.h"
#include "windows/WindowList.h"

#include <QCoreApplication>
#include <QTest>

using X11Test::HelperWindow;

namespace {

std::optional<WindowInfo> find(const QList<WindowInfo> &windows, quint32 window)
{
    return X11Test::entryOf(windows, &WindowInfo::id, window);
}

QList<WindowInfo> windowsOfOthers()
{
    return listWindows(qint32(QCoreApplication::applicationPid()));
}

// Whether the text survives a round trip through UTF-8 unchanged: no lone surrogates.
bool isWellFormed(const QString &text)
{
    return QString::fromUtf8(text.toUtf8()) == text;
}

} // namespace

// Windows of other programs that misbehave: titles that are not the text they claim to
// be, and windows that are gone by the time the switcher acts on them.
class EndToEndHostileWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_platform = X11Platform::connect();
        QVERIFY(m_platform);
        Platform::install(m_platform.get());
    }

    void cleanupTestCase() { Platform::install(nullptr); }

    void titlesThatAreNotUtf8AreListedReadably()
    {
        HelperWindow netName({"--title", "placeholder", "--class", "badnet,BadNet", "--position", "40,40"});
        HelperWindow legacyName({"--title", "placeholder", "--class", "badlegacy,BadLegacy", "--position", "400,40"});
        HelperWindow longName({"--title", "placeholder", "--class", "longname,LongName", "--position", "800,40"});
        QVERIFY(X11Test::waitUntilManaged({&netName, &legacyName, &longName}));

        // Cut sequences, overlong forms, an encoded surrogate, a stray NUL and bytes no
        // UTF-8 text holds.
        static const char brokenBytes[] = "Bad \xff\xfe title \xc3 \xe2\x82 \xc0\xaf \xed\xa0\x80 x\0y \xf8\x88\x80\x80\x80";
        const QByteArray broken(brokenBytes, sizeof brokenBytes - 1);
        setText(netName.window(), "_NET_WM_NAME", "UTF8_STRING", broken);
        // Only the legacy name, claiming UTF-8.
        deleteProperty(legacyName.window(), "_NET_WM_NAME");
        setText(legacyName.window(), "WM_NAME", "UTF8_STRING", broken);
        // A megabyte of title ending in the middle of a character.
        setText(longName.window(), "_NET_WM_NAME", "UTF8_STRING", QByteArray(1 << 20, 'a') + "\xe2\x82");

        QList<WindowInfo> windows;
        const auto allRenamed = [&] {
            windows = windowsOfOthers();
            return std::ranges::all_of(QList<quint32>{netName.window(), legacyName.window(), longName.window()},
                                       [&](quint32 window) {
                                           const auto info = find(windows, window);
                                           return info && info->title != QStringLiteral("placeholder");
                                       });
        };
        QTRY_VERIFY(allRenamed());
        for (quint32 window : {netName.window(), legacyName.window()}) {
            const QString title = find(windows, window)->title;
            QVERIFY2(isWellFormed(title), qPrintable(title));
            QVERIFY2(title.startsWith(QStringLiteral("Bad ")) && title.contains(QStringLiteral(" title ")), qPrintable(title));
            QVERIFY(title.contains(QChar::ReplacementCharacter));
        }
        // Read no further than a title needs.
        const QString longTitle = find(windows, longName.window())->title;
        QVERIFY(isWellFormed(longTitle));
        QVERIFY(longTitle.startsWith(QStringLiteral("aaaa")));
        QVERIFY2(longTitle.size() <= 64 * 1024, qPrintable(QString::number(longTitle.size())));

        // And such a window is still the one a letter raises.
        LogCapture log;
        QVERIFY(activateWindow(*find(windows, netName.window())));
        QTRY_COMPARE(X11Test::activeWindow(), netName.window());
    }

    void aWindowThatVanishedIsNotActivatedAndNothingElseIs()
    {
        HelperWindow front({"--title", "Front", "--class", "front,Front", "--position", "40,40"});
        HelperWindow destroyed({"--title", "Destroyed", "--class", "destroyed,Destroyed", "--position", "400,40"});
        HelperWindow ended({"--title", "Ended", "--class", "ended,Ended", "--position", "800,40"});
        QVERIFY(X11Test::waitUntilManaged({&front, &destroyed, &ended}));
        X11Test::activate(front.window());
        QTRY_COMPARE(X11Test::activeWindow(), front.window());

        // Listed, then gone before the letter is typed: one window destroyed while its
        // process lives on, another with its process ended.
        const QList<WindowInfo> listed = windowsOfOthers();
        const auto destroyedInfo = find(listed, destroyed.window());
        const auto endedInfo = find(listed, ended.window());
        QVERIFY(destroyedInfo && endedInfo);
        xcb_destroy_window(m_client.connection(), destroyed.window());
        xcb_flush(m_client.connection());
        ended.close();
        QTRY_VERIFY(!find(windowsOfOthers(), destroyed.window()));

        LogCapture log;
        QVERIFY(!activateWindow(*destroyedInfo));
        QVERIFY(!activateWindow(*endedInfo));
        QCOMPARE(log.lines.size(), 2);
        for (const QString &line : std::as_const(log.lines))
            QVERIFY2(line.contains(QStringLiteral("no AX window matches")) || line.contains(QStringLiteral("cannot get AX window list")),
                     qPrintable(line));
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
                                window, m_client.atom(property), m_client.atom(type), 8, uint32_t(part.size()), part.constData());
        }
        xcb_flush(m_client.connection());
    }

    void deleteProperty(quint32 window, const char *property)
    {
        xcb_delete_property(m_client.connection(), window, m_client.atom(property));
        xcb_flush(m_client.connection());
    }

    std::unique_ptr<X11Platform> m_platform;
    X11Test::OtherClient m_client;
};

QTEST_MAIN(EndToEndHostileWindowsTest)
#include "e2e_hostile_windows_test.moc"
