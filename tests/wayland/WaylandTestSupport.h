#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QRect>
#include <QStringList>
#include <optional>

namespace lettergate {

// Real clients of the headless sway session and what the compositor says about them.
namespace WaylandTest {

// A program of the session in a process of its own, its standard output kept line by
// line; ended when this goes.
class Client {
public:
    Client(const QString &program, const QStringList &arguments);
    ~Client();
    Client(const Client &) = delete;
    Client &operator=(const Client &) = delete;

    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    // Ends the program now.
    void close();
    QStringList lines() const { return m_lines; }
    // Waits, serving the event loop, for a line from the `from`th on that starts with
    // prefix; answers that line, or nothing after the timeout.
    std::optional<QString> waitForLine(const QString &prefix, qsizetype from = 0, int timeoutMs = 10000);
    // Sent as the event loop turns.
    void write(const QByteArray &bytes) { m_process.write(bytes); }
    // The last line that starts with prefix; empty when none does.
    QString lastLine(const QString &prefix) const;

private:
    QProcess m_process;
    QStringList m_lines;
};

// tests/wayland/helper_window.cpp: a Qt window whose line edit prints "text: ..." at
// every change and "focus: in" / "focus: out" when it gains or loses the keyboard.
class HelperWindow : public Client {
public:
    HelperWindow(const QString &appId, const QString &title);

    // Whether sway lists the window within a few seconds.
    bool waitUntilShown();
    // Its frame in sway's layout; nothing when sway does not list it.
    std::optional<QRect> frame() const;
    // The text its line edit holds, as last printed.
    QString text() const { return lastLine(QStringLiteral("text: ")).mid(6); }

private:
    QString m_title;
};

// tests/wayland/test_keyboard.cpp: the session's one keyboard, typing into whatever holds
// the keyboard focus.
class TestKeyboard : public Client {
public:
    TestKeyboard();
    // Keys as test_keyboard reads them ("f", "1", "Escape"), separated by spaces; true
    // once the compositor has taken them all.
    bool type(const QString &keys);
};

// `swaymsg -t get_tree`, parsed; empty when sway does not answer.
QJsonObject tree();
// Whether sway shows a window whose field ("app_id", "name" for the title) has that value.
bool shows(const QString &field, const QString &value);
// The window sway has focused (its node of the tree: "app_id", "name" for the title, ...);
// empty when none is.
QJsonObject focusedWindow();
inline QString focusedAppId()
{
    return focusedWindow().value(QStringLiteral("app_id")).toString();
}
inline QString focusedTitle()
{
    return focusedWindow().value(QStringLiteral("name")).toString();
}
// One line per window sway shows, for a failure report: app_id, title, pid, focus.
QString windowsReport();
// Asks sway to focus the window with that title.
bool focus(const QString &title);

} // namespace WaylandTest

} // namespace lettergate
