#include "RunningProgram.h"

#include "wayland/WaylandTestSupport.h"
#include "x11/X11TestSupport.h"

#include <QDir>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTest>
#include <csignal>
#include <unistd.h>

namespace lettergate {

RunningProgram::RunningProgram(Session session)
    : m_session(session)
{
    m_environment = QProcessEnvironment::systemEnvironment();
    // On Wayland the program picks Qt's platform itself, as it does for a user.
    if (session == Session::wayland)
        m_environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path() + QStringLiteral("/config"));
    m_environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path() + QStringLiteral("/data"));
    m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path());
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&m_process, &QProcess::readyRead, &m_process, [this] { m_output += m_process.readAll(); });
}

RunningProgram::~RunningProgram()
{
    stop();
}

void RunningProgram::writeSettings(const QByteArray &iniText)
{
    QDir().mkpath(configDirectory());
    QFile file(settingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(iniText);
}

bool RunningProgram::start()
{
    m_output.clear();
    m_process.setProcessEnvironment(m_environment);
    m_process.start(qEnvironmentVariable("LETTERGATE_BINARY"), {});
    if (!m_process.waitForStarted())
        return false;
    if (m_session == Session::x11)
        return waitForOutput("[Lettergate] hotkey registered:");
    return waitForOutput("[Lettergate] using Wayland:")
           && QTest::qWaitFor([this] { return !isRunning() || ask({QStringLiteral("windows")}); }, 10000)
           && isRunning();
}

void RunningProgram::stop()
{
    if (!isRunning())
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        killNow();
}

void RunningProgram::pause()
{
    ::kill(pid_t(pid()), SIGSTOP);
}

void RunningProgram::killNow()
{
    ::kill(pid_t(pid()), SIGKILL);
    m_process.waitForFinished(5000);
}

bool RunningProgram::waitForOutput(const QByteArray &text, int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return m_output.count(text) >= count || !isRunning(); }, timeoutMs)
           && m_output.count(text) >= count;
}

qint64 RunningProgram::residentKiB() const
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid()));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray all = status.readAll();
    const qsizetype line = all.indexOf("\nVmRSS:");
    return line < 0 ? 0 : all.mid(line + 7).trimmed().split(' ').value(0).toLongLong();
}

namespace {

// A tool's whole output (both channels), whatever its status, for a report.
QString toolOutput(const QString &program, const QStringList &arguments,
                   const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(15000);
    process.kill();
    process.waitForFinished();
    return (finished ? QString() : QStringLiteral("(%1 did not finish in 15 s) ").arg(program))
           + QString::fromUtf8(process.readAll()).trimmed();
}

// The session's windows, who has the focus, and the program's windows in full.
QString sessionReport()
{
    QString report = QStringLiteral("== windows of the session\n")
                     + toolOutput(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")})
                     + QStringLiteral("\n== input focus: ")
                     + toolOutput(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")});
    for (const xcb_window_t id : Reliability::programWindows(false)) {
        const QString window = QString::number(id);
        report += QStringLiteral("\n== window %1\n").arg(window)
                  + toolOutput(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window}) + u'\n'
                  + toolOutput(QStringLiteral("xprop"), {QStringLiteral("-id"), window});
    }
    return report;
}

} // namespace

std::optional<QString> RunningProgram::ask(const QStringList &verbAndArguments) const
{
    QProcess verb;
    verb.setProcessEnvironment(m_environment);
    verb.start(qEnvironmentVariable("LETTERGATE_BINARY"), verbAndArguments);
    // One that does not finish is killed as it goes out of scope.
    if (!verb.waitForFinished(15000) || verb.exitStatus() != QProcess::NormalExit || verb.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(verb.readAllStandardOutput());
}

QString RunningProgram::stateReport() const
{
    QString report = m_session == Session::x11
                         ? sessionReport()
                         : QStringLiteral("== windows of the session\n") + WaylandTest::windowsReport();
    report += QStringLiteral("\n== `lettergate windows` answered\n")
              + toolOutput(qEnvironmentVariable("LETTERGATE_BINARY"), {QStringLiteral("windows")}, m_environment);
    if (isRunning()) {
        report += QStringLiteral("\n== threads of pid %1\n").arg(pid())
                  + toolOutput(QStringLiteral("gdb"),
                               {QStringLiteral("-batch"), QStringLiteral("-p"), QString::number(pid()),
                                QStringLiteral("-ex"), QStringLiteral("thread apply all bt")});
    }
    return report + QStringLiteral("\n== the program's last output\n") + QString::fromUtf8(m_output.right(6000));
}

bool RunningProgram::isWritingData() const
{
    const QByteArray data = QFile::encodeName(dataDirectory()) + '/';
    const QString descriptors = QStringLiteral("/proc/%1/fd").arg(pid());
    // The links' targets as the kernel gives them: a file being written atomically is
    // an unnamed temporary one, shown as "<directory>/#<inode> (deleted)".
    for (const QString &descriptor :
         QDir(descriptors).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        char target[4096];
        const ssize_t length = ::readlink(QFile::encodeName(descriptors + u'/' + descriptor).constData(), target,
                                          sizeof target);
        const QByteArray file(target, std::max<ssize_t>(length, 0));
        if (file.startsWith(data) && !file.endsWith(".json") && !file.endsWith(".png"))
            return true;
    }
    return false;
}

namespace Reliability {

int rounds(int quick, int full)
{
    return qEnvironmentVariableIsSet("LETTERGATE_RELIABILITY_FULL") ? full : quick;
}

std::optional<QJsonArray> readJsonArray(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    return document.array();
}

void pressKeys(const QString &keys)
{
    X11Test::run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys});
}

QList<xcb_window_t> programWindows(bool viewableOnly)
{
    // Asked on a connection of our own, where a window that vanishes between two
    // requests is one error reply: `xdotool search` exits on that error, which made it
    // miss a mapped panel most of the time while copies came and went.
    X11Test::OtherClient client;
    xcb_connection_t *c = client.connection();
    if (xcb_connection_has_error(c))
        return {};
    QList<xcb_window_t> found;
    // Frames of the window manager hold the clients: two levels below the root suffice.
    QList<xcb_window_t> level{client.root()};
    for (int depth = 0; depth < 3 && !level.isEmpty(); ++depth) {
        QList<xcb_window_t> next;
        for (const xcb_window_t parent : std::as_const(level)) {
            const XcbPtr<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, parent), nullptr));
            if (!tree)
                continue;
            const xcb_window_t *children = xcb_query_tree_children(tree.get());
            next.append(QList<xcb_window_t>(children, children + xcb_query_tree_children_length(tree.get())));
        }
        for (const xcb_window_t window : std::as_const(next)) {
            if (X11Test::windowClass(c, window) != "Lettergate")
                continue;
            const XcbPtr<xcb_get_window_attributes_reply_t> attributes(
                xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
            if (attributes && (!viewableOnly || attributes->map_state == XCB_MAP_STATE_VIEWABLE))
                found.append(window);
        }
        level = next;
    }
    return found;
}

bool panelIsMapped()
{
    return !programWindows(true).isEmpty();
}

bool panelHasFocus()
{
    return programWindows(true).contains(X11Test::focusedWindow());
}

QString openAndClosePanel(int timeoutMs)
{
    pressKeys(QStringLiteral("ctrl+alt+w"));
    if (!QTest::qWaitFor(panelHasFocus, timeoutMs))
        return QStringLiteral("the trigger did not open the panel");
    pressKeys(QStringLiteral("Escape"));
    if (!QTest::qWaitFor([] { return !panelIsMapped(); }, timeoutMs))
        return QStringLiteral("Escape did not close the panel");
    return {};
}

QImage noisyPicture(QSize size, quint32 seed)
{
    QImage picture(size, QImage::Format_RGB32);
    QRandomGenerator noise(seed);
    for (int y = 0; y < picture.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            line[x] = 0xff000000u | (noise.generate() & 0x00ffffffu);
    }
    return picture;
}

void reportFigure(const QString &name, const QString &value)
{
    qInfo("figure: %s = %s", qPrintable(name), qPrintable(value));
}

QList<ReportedWindow> reportedWindows(const QString &report)
{
    QList<ReportedWindow> windows;
    for (const QString &line : report.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() == 5)
            windows.append({fields[0], fields[1], fields[4]});
    }
    return windows;
}

} // namespace Reliability

} // namespace lettergate
