#include "platform/wayland/VirtualKeyboardKeystrokes.h"
#include "platform/wayland/WaylandConnection.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <wayland-client.h>

namespace {

const QString appId = QStringLiteral("test.paste.target");
const QString clip = QStringLiteral("pasted by the virtual keyboard");

bool holdsFocusedApp(const QJsonObject &node)
{
    if (node.value(QStringLiteral("app_id")).toString() == appId && node.value(QStringLiteral("focused")).toBool())
        return true;
    for (const char *children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue child : node.value(QLatin1StringView(children)).toArray()) {
            if (holdsFocusedApp(child.toObject()))
                return true;
        }
    }
    return false;
}

// What sway says: whether the helper window has the focus.
bool helperIsFocused()
{
    QProcess swaymsg;
    swaymsg.start(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_tree")});
    swaymsg.waitForFinished();
    return holdsFocusedApp(QJsonDocument::fromJson(swaymsg.readAllStandardOutput()).object());
}

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

        QProcess helper;
        helper.start(qEnvironmentVariable("LETTERGATE_WAYLAND_HELPER_WINDOW"), {appId, QStringLiteral("Paste target")});
        QVERIFY(helper.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(helperIsFocused(), 10000);

        QByteArray printed;
        const auto printedLine = [&] {
            printed += helper.readAllStandardOutput();
            return printed;
        };
        const struct {
            PasteKeystroke keystroke;
            QString text;
        } pastes[] = {
            {PasteKeystroke::controlV, clip},
            // What terminals paste on; Qt's line edit pastes on it too.
            {PasteKeystroke::shiftInsert, clip + clip},
        };
        for (const auto &paste : pastes) {
            keystrokes.postPaste(paste.keystroke);
            const QByteArray expected = QStringLiteral("text: %1\n").arg(paste.text).toUtf8();
            QTRY_VERIFY2_WITH_TIMEOUT(printedLine().endsWith(expected), printed.constData(), 5000);
        }

        helper.kill();
        helper.waitForFinished();
        copy.kill();
        copy.waitForFinished();
        wl_seat_destroy(seat);
    }
};

QTEST_GUILESS_MAIN(VirtualKeyboardTest)
#include "virtual_keyboard_test.moc"
