#include "RunningProgram.h"

#include "x11/X11TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTest>
#include <csignal>
#include <unistd.h>

RunningProgram::RunningProgram()
{
    m_environment = QProcessEnvironment::systemEnvironment();
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
    return m_process.waitForStarted() && waitForOutput("[Lettergate] hotkey registered:");
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
    QDeadlineTimer deadline(timeoutMs);
    while (m_output.count(text) < count) {
        if (deadline.hasExpired() || !isRunning())
            return m_output.count(text) >= count;
        QTest::qWait(10);
    }
    return true;
}

qint64 RunningProgram::residentKiB() const
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid()));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

QStringList RunningProgram::openDataFiles() const
{
    const QByteArray data = QFile::encodeName(dataDirectory()) + '/';
    const QString descriptors = QStringLiteral("/proc/%1/fd").arg(pid());
    QStringList files;
    // The links' targets as the kernel gives them: a file being written atomically is
    // an unnamed temporary one, shown as "<directory>/#<inode> (deleted)".
    for (const QString &descriptor : QDir(descriptors).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        char target[4096];
        const ssize_t length =
            ::readlink(QFile::encodeName(descriptors + u'/' + descriptor).constData(), target, sizeof target);
        if (length > 0 && QByteArray(target, length).startsWith(data))
            files.append(QFile::decodeName(QByteArray(target, length)));
    }
    return files;
}

bool RunningProgram::isWritingData() const
{
    const QStringList open = openDataFiles();
    return std::ranges::any_of(open, [](const QString &file) {
        return !file.endsWith(QStringLiteral(".json")) && !file.endsWith(QStringLiteral(".png"));
    });
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

bool panelIsMapped()
{
    QProcess search;
    search.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                             QStringLiteral("--class"), QStringLiteral("^Lettergate$")});
    search.waitForFinished(5000);
    return !search.readAllStandardOutput().trimmed().isEmpty();
}

void reportFigure(const QString &name, const QString &value)
{
    qInfo("figure: %s = %s", qPrintable(name), qPrintable(value));
}

} // namespace Reliability
