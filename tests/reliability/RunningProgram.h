#pragma once

#include <QByteArray>
#include <QImage>
#include <QJsonArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <optional>
#include <xcb/xcb.h>

namespace lettergate {

// The real program ($LETTERGATE_BINARY) as the reliability tests drive it: in a home of
// its own (config, data and runtime directories inside one temporary directory that
// outlives restarts), on the display the test runs on, with everything it prints kept.
class RunningProgram {
public:
    // The X session of tests/x11, where the program is ready once its trigger is armed;
    // or the Wayland session of tests/wayland, where nothing is grabbed and it is ready
    // once it has chosen Wayland and its socket answers.
    enum class Session { x11, wayland };

    explicit RunningProgram(Session session = Session::x11);
    ~RunningProgram();
    RunningProgram(const RunningProgram &) = delete;
    RunningProgram &operator=(const RunningProgram &) = delete;

    // Writes the settings file (INI text) before a start.
    void writeSettings(const QByteArray &iniText);
    QProcessEnvironment &environment() { return m_environment; }

    // Starts the program and waits until it is ready; false if it never was.
    bool start();
    // Ends it with SIGTERM (or SIGKILL when it does not go within five seconds).
    void stop();
    // SIGSTOP, then SIGKILL: the process ends at one precise moment, which the caller
    // may inspect in between (see isWritingData).
    void pause();
    void killNow();

    QProcess &process() { return m_process; }
    qint64 pid() const { return m_process.processId(); }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    // Everything it printed since the last start (stdout and stderr merged).
    const QByteArray &output() const { return m_output; }
    // Serves the event loop until the output holds text `count` times.
    bool waitForOutput(const QByteArray &text, int count = 1, int timeoutMs = 10000);

    // Runs `lettergate VERB ARGUMENTS...` against this instance: what it printed when it
    // exited with status 0, nothing otherwise.
    std::optional<QString> ask(const QStringList &verbAndArguments) const;

    // Resident set size in KiB (from /proc), 0 when the process is gone.
    qint64 residentKiB() const;
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer keeps freed memory in quarantine (up to 256 MiB) to catch late
    // uses, so there the resident size grows without any leak; LeakSanitizer checks at
    // exit instead.
    static constexpr bool residentSizeShowsGrowth = false;
#else
    static constexpr bool residentSizeShowsGrowth = true;
#endif
    // Whether it is writing a data file right now: it holds a file below the data
    // directory open that is not a finished data file or picture (an atomic write's
    // temporary file).
    bool isWritingData() const;

    // What a test prints when the program seems not to answer: the session's windows and
    // focus as the X server (or the compositor) sees them, what the program answers on
    // its socket, where each of its threads stands, and its last output.
    QString stateReport() const;

    QString configDirectory() const
    {
        return m_home.path() + QStringLiteral("/config/Lettergate");
    }
    QString dataDirectory() const
    {
        return m_home.path() + QStringLiteral("/data/Lettergate");
    }
    QString settingsFile() const
    {
        return configDirectory() + QStringLiteral("/Lettergate.ini");
    }

private:
    Session m_session;
    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
    QProcess m_process;
    QByteArray m_output;
};

// Fails the test unless the condition holds, with the program's state report in full
// (QVERIFY2 cuts its message at 1 KiB).
#define VERIFY_OR_REPORT(program, condition)                                              \
    do {                                                                                  \
        if (!(condition))                                                                 \
            QFAIL(qPrintable(QStringLiteral(#condition "\n") + (program).stateReport())); \
    } while (false)

namespace Reliability {

// The first count, or the second when LETTERGATE_RELIABILITY_FULL is set: the default
// suite runs a round that fits the CI budget, scripts/reliability the full one.
int rounds(int quick, int full);

// A whole data file parsed strictly as a JSON array; nothing when it is missing, cut
// off, or anything but an array.
std::optional<QJsonArray> readJsonArray(const QString &path);

// The trigger (Control+Alt+W) and other keys, through XTest.
void pressKeys(const QString &keys);
// The program's windows (WM_CLASS class "Lettergate"), the viewable ones only or all.
QList<xcb_window_t> programWindows(bool viewableOnly);
// Whether the panel is mapped on the screen, as the server sees it.
bool panelIsMapped();
// Whether the panel holds the keyboard focus: keys typed from then on are its. The
// panel maps before the focus is set, so a key typed on the map alone may go elsewhere.
bool panelHasFocus();

// The trigger opens the panel and Escape closes it, each within the time given: empty
// when both did, else which step failed.
QString openAndClosePanel(int timeoutMs);

// A picture of noise, slow to encode as a PNG; the same seed gives the same picture.
QImage noisyPicture(QSize size, quint32 seed);

// Prints a figure the reliability script collects ("figure: <name> = <value>").
void reportFigure(const QString &name, const QString &value);

// What the tests read of a line of `lettergate windows` (letter, app, number in its app,
// window id, title).
struct ReportedWindow {
    QString letter;
    QString app;
    QString title;
};
QList<ReportedWindow> reportedWindows(const QString &report);

} // namespace Reliability

} // namespace lettergate
