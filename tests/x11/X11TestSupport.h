#pragma once

#include <QProcess>
#include <QStringList>
#include <memory>

// What the X11 tests share: foreign client windows in processes of their own, and the
// command-line tools that drive the session (xdotool, xclip, xprop). Every test runs
// inside the private session that scripts/x11-session starts for CTest.
namespace X11Test {

// One window of the helper program (helper_window.cpp), alive while the object lives.
class HelperWindow {
public:
    // Starts the helper with these options and waits until its window exists; the
    // window manager may still be about to manage it (see waitUntilManaged).
    explicit HelperWindow(const QStringList &options);
    ~HelperWindow();
    HelperWindow(const HelperWindow &) = delete;
    HelperWindow &operator=(const HelperWindow &) = delete;

    bool isValid() const { return m_window != 0; }
    quint32 window() const { return m_window; }
    qint64 pid() const { return m_process.processId(); }

    // Waits, serving the event loop, for an output line that starts with prefix; answers
    // that line, or an empty text after the timeout.
    QString waitForLine(const QString &prefix, int timeoutMs = 5000);
    QStringList lines() const { return m_lines; }

    // Ends the program and its window now.
    void close();

private:
    void readOutput();

    QProcess m_process;
    quint32 m_window = 0;
    QByteArray m_pending;
    QStringList m_lines;
};

// Runs a tool to its end, without serving the event loop; for tools that need nothing
// from this process. Answers its standard output, trimmed; fails the test on error.
QString run(const QString &program, const QStringList &arguments);

// Runs a tool while serving the event loop, for tools that talk to this process through
// the server (xclip reading a clipboard this process owns).
QString runServingEvents(const QString &program, const QStringList &arguments, int timeoutMs = 5000);

// The root window's _NET_ACTIVE_WINDOW, through xprop.
quint32 activeWindow();

// Waits until the window manager lists the window (it is then managed and framed).
bool waitUntilManaged(quint32 window, int timeoutMs = 5000);

} // namespace X11Test
