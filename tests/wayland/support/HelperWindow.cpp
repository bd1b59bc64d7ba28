#include "HelperWindow.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

namespace {

std::optional<QRect> frameIn(const QJsonObject &node, const QString &appId)
{
    if (node.value(QStringLiteral("app_id")).toString() == appId) {
        const QJsonObject rect = node.value(QStringLiteral("rect")).toObject();
        return QRect(rect.value(QStringLiteral("x")).toInt(), rect.value(QStringLiteral("y")).toInt(),
                     rect.value(QStringLiteral("width")).toInt(), rect.value(QStringLiteral("height")).toInt());
    }
    for (const QString &key : {QStringLiteral("nodes"), QStringLiteral("floating_nodes")}) {
        for (const QJsonValue child : node.value(key).toArray()) {
            if (const std::optional<QRect> found = frameIn(child.toObject(), appId))
                return found;
        }
    }
    return std::nullopt;
}

} // namespace

HelperWindow::HelperWindow(const QString &appId)
    : m_appId(appId)
{
    m_process.start(qEnvironmentVariable("LETTERGATE_WAYLAND_HELPER_WINDOW"), {appId, appId});
}

HelperWindow::~HelperWindow()
{
    m_process.kill();
    m_process.waitForFinished();
}

bool HelperWindow::waitUntilShown()
{
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        if (frame())
            return true;
        QThread::msleep(20);
    }
    return false;
}

std::optional<QRect> HelperWindow::frame() const
{
    QProcess swaymsg;
    swaymsg.start(QStringLiteral("swaymsg"), {QStringLiteral("-r"), QStringLiteral("-t"), QStringLiteral("get_tree")});
    if (!swaymsg.waitForFinished(5000))
        return std::nullopt;
    return frameIn(QJsonDocument::fromJson(swaymsg.readAllStandardOutput()).object(), m_appId);
}

QString HelperWindow::text()
{
    const QStringList lines = QString::fromUtf8(m_process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        if (line.startsWith(QStringLiteral("text: ")))
            m_text = line.mid(6);
    }
    return m_text;
}
