#include "X11TestSupport.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QTest>

namespace {

QString helperProgram()
{
    return qEnvironmentVariable("LETTERGATE_HELPER_WINDOW");
}

// The window ids xprop prints for a WINDOW property.
QList<quint32> windowIds(const QString &xpropOutput)
{
    static const QRegularExpression hex(QStringLiteral("0x[0-9a-fA-F]+"));
    QList<quint32> ids;
    for (const QRegularExpressionMatch &match : hex.globalMatch(xpropOutput))
        ids.append(match.captured().toUInt(nullptr, 16));
    return ids;
}

} // namespace

namespace X11Test {

HelperWindow::HelperWindow(const QStringList &options)
{
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process, [this] { readOutput(); });
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(helperProgram(), options);
    const QString line = waitForLine(QStringLiteral("window "));
    m_window = line.section(u' ', 1).toUInt();
}

HelperWindow::~HelperWindow()
{
    close();
}

void HelperWindow::close()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

void HelperWindow::readOutput()
{
    m_pending += m_process.readAllStandardOutput();
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        m_lines.append(QString::fromUtf8(m_pending.left(end)));
        m_pending.remove(0, end + 1);
    }
}

QString HelperWindow::waitForLine(const QString &prefix, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (true) {
        for (const QString &line : std::as_const(m_lines)) {
            if (line.startsWith(prefix))
                return line;
        }
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return {};
        QTest::qWait(10);
    }
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit) {
        qWarning("%s did not finish", qPrintable(program));
        return {};
    }
    if (process.exitCode() != 0)
        qWarning("%s %s: %s", qPrintable(program), qPrintable(arguments.join(u' ')),
                 process.readAllStandardError().constData());
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString runServingEvents(const QString &program, const QStringList &arguments, int timeoutMs)
{
    QProcess process;
    process.start(program, arguments);
    QDeadlineTimer deadline(timeoutMs);
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired())
        QTest::qWait(10);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        qWarning("%s did not finish", qPrintable(program));
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

quint32 activeWindow()
{
    return windowIds(run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_ACTIVE_WINDOW")}))
        .value(0);
}

bool waitUntilManaged(quint32 window, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (windowIds(run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST")}))
                .contains(window))
            return true;
        QTest::qWait(20);
    }
    return false;
}

} // namespace X11Test
