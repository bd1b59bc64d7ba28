#include "platform/wayland/SwayLayout.h"

#include "platform/Log.h"

#include <QtConcurrent/QtConcurrentRun>

namespace lettergate {

SwayLayout::SwayLayout(QString socketPath)
    : m_socketPath(std::move(socketPath))
{
    m_reader.setMaxThreadCount(1);
    connect(&m_read, &QFutureWatcherBase::finished, this, &SwayLayout::takeResult);
}

void SwayLayout::refresh()
{
    if (m_read.isRunning()) {
        m_readAgain = true;
        return;
    }
    m_read.setFuture(QtConcurrent::run(&m_reader, [path = m_socketPath]() -> std::optional<QList<SwayIpc::View>> {
        const std::optional<QByteArray> tree = SwayIpc::request(path, SwayIpc::getTreeType);
        return tree ? SwayIpc::views(*tree) : std::nullopt;
    }));
}

void SwayLayout::takeResult()
{
    std::optional<QList<SwayIpc::View>> views = m_read.result();
    if (!views && !m_failureLogged) {
        m_failureLogged = true;
        qCWarning(lcWayland).noquote() << QStringLiteral(
            "sway did not describe its windows through $SWAYSOCK: each window is taken to "
            "fill its output, and window pictures show icons instead");
    }
    // Views that can no longer be read are no longer known to be right.
    m_views = views.value_or(QList<SwayIpc::View>{});
    if (std::exchange(m_readAgain, false))
        refresh();
    emit viewsRead();
}

} // namespace lettergate
