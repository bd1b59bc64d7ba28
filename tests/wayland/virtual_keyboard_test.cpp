#include "platform/wayland/VirtualKeyboardKeystrokes.h"
#include "platform/wayland/WaylandConnection.h"
#include "WaylandTestSupport.h"

#include <QProcess>
#include <QTest>
#include <wayland-client.h>

namespace {

const QString appId = QStringLiteral("test.paste.target");
const QString clip = QStringLiteral("pasted by the virtual keyboard");

} // namespace

// The paste keystroke typed through our virtual keyboard into a real Wayland client.
class VirtualKeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void thePasteKeystrokePastesIntoTheFocusedWindow()
    {
        QProcess copy;
        copy.start(QStringLiteral("wl-copy"), {QStringLiteral("--foreground"), clip});
        QVERIFY(copy.waitForStarted());

        std::unique_ptr<WaylandConnection> connection = WaylandConnection::connect();
        QVERIFY(connection);
        auto *seat = static_cast<wl_seat *>(connection->bind(&wl_seat_interface, 1));
        QVERIFY(seat);
        // Made before the window, as Lettergate makes it when it starts: the window meets
        // a seat that has a keyboard already.
        VirtualKeyboardKeystrokes keystrokes(*connection, seat);
        QVERIFY(connection->roundtrip());

        WaylandTest::HelperWindow helper(appId, QStringLiteral("Paste target"));
        QTRY_COMPARE_WITH_TIMEOUT(WaylandTest::focusedAppId(), appId, 10000);

        const struct {
            PasteKeystroke keystroke;
            QString text;
        } pastes[] = {
            {PasteKeystroke::controlV, clip},
            // What terminals paste on; Qt's line edit pastes on it too.
            {PasteKeystroke::shiftInsert, clip + clip},
        };
        for (const auto &paste : pastes) {
            const qsizetype from = helper.lines().size();
            keystrokes.postPaste(paste.keystroke);
            QCOMPARE(helper.waitForLine(QStringLiteral("text: "), from, 5000), QStringLiteral("text: ") + paste.text);
        }

        helper.close();
        copy.kill();
        copy.waitForFinished();
        wl_seat_destroy(seat);
    }
};

QTEST_GUILESS_MAIN(VirtualKeyboardTest)
#include "virtual_keyboard_test.moc"
