#include "WaylandTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTest>

namespace lettergate {

namespace WaylandTest {

namespace {

// What swaymsg printed, when it succeeded.
std::optional<QByteArray> swaymsg(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("swaymsg"), arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

// Every node of the tree that is a window, floating ones included.
void collectWindows(const QJsonObject &node, QList<QJsonObject> &windows)
{
    if (node.contains(QStringLiteral("app_id")))
        windows.append(node);
    for (const char *children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue &child : node.value(QLatin1String(children)).toArray())
            collectWindows(child.toObject(), windows);
    }
}

QList<QJsonObject> windows()
{
    QList<QJsonObject> found;
    collectWindows(tree(), found);
    return found;
}

} // namespace

Client::Client(const QString &program, const QStringList &arguments)
{
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process, [this] {
        while (m_process.canReadLine())
            m_lines.append(QString::fromUtf8(m_process.readLine()).chopped(1));
    });
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, arguments);
}

Client::~Client()
{
    close();
}

void Client::close()
{
    if (!isRunning())
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

std::optional<QString> Client::waitForLine(const QString &prefix, qsizetype from, int timeoutMs)
{
    const auto found = [&]() -> std::optional<QString> {
        for (qsizetype i = from; i < m_lines.size(); ++i) {
            if (m_lines.at(i).startsWith(prefix))
                return m_lines.at(i);
        }
        return std::nullopt;
    };
    (void)QTest::qWaitFor([&] { return found() || !isRunning(); }, timeoutMs);
    return found();
}

QString Client::lastLine(const QString &prefix) const
{
    const auto line = std::ranges::find_if(m_lines.crbegin(), m_lines.crend(),
                                           [&](const QString &each) { return each.startsWith(prefix); });
    return line == m_lines.crend() ? QString() : *line;
}

HelperWindow::HelperWindow(const QString &appId, const QString &title)
    : Client(qEnvironmentVariable("LETTERGATE_WAYLAND_HELPER_WINDOW"), {appId, title})
    , m_title(title)
{
}

bool HelperWindow::waitUntilShown()
{
    return QTest::qWaitFor([this] { return frame().has_value(); }, 10000);
}

std::optional<QRect> HelperWindow::frame() const
{
    for (const QJsonObject &window : windows()) {
        if (window.value(QStringLiteral("name")) == m_title) {
            const QJsonObject rect = window.value(QStringLiteral("rect")).toObject();
            return QRect(rect.value(QStringLiteral("x")).toInt(), rect.value(QStringLiteral("y")).toInt(),
                         rect.value(QStringLiteral("width")).toInt(), rect.value(QStringLiteral("height")).toInt());
        }
    }
    return std::nullopt;
}

TestKeyboard::TestKeyboard()
    : Client(qEnvironmentVariable("LETTERGATE_WAYLAND_TEST_KEYBOARD"), {})
{
    (void)waitForLine(QStringLiteral("ready"));
}

bool TestKeyboard::type(const QString &keys)
{
    const qsizetype from = lines().size();
    write(keys.toUtf8() + '\n');
    return waitForLine(QStringLiteral("typed: ") + keys, from).has_value();
}

QJsonObject tree()
{
    return QJsonDocument::fromJson(
               swaymsg({QStringLiteral("-t"), QStringLiteral("get_tree"), QStringLiteral("-r")}).value_or(QByteArray()))
        .object();
}

bool shows(const QString &field, const QString &value)
{
    return std::ranges::any_of(windows(), [&](const QJsonObject &window) { return window.value(field) == value; });
}

QJsonObject focusedWindow()
{
    for (const QJsonObject &window : windows()) {
        if (window.value(QStringLiteral("focused")).toBool())
            return window;
    }
    return {};
}

QString windowsReport()
{
    QString report;
    for (const QJsonObject &window : windows()) {
        report += QStringLiteral("%1 \"%2\" pid %3%4\n")
                      .arg(window.value(QStringLiteral("app_id")).toString(),
                           window.value(QStringLiteral("name")).toString())
                      .arg(window.value(QStringLiteral("pid")).toInteger())
                      .arg(window.value(QStringLiteral("focused")).toBool() ? QStringLiteral(" focused") : QString());
    }
    return report;
}

bool focus(const QString &title)
{
    return swaymsg({QStringLiteral("[title=\"^%1$\"] focus").arg(QRegularExpression::escape(title))}).has_value();
}

} // namespace WaylandTest

} // namespace lettergate
