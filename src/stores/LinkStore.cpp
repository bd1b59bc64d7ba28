#include "stores/LinkStore.h"

#include "stores/LinkTarget.h"
#include "stores/PrivateFiles.h"
#include "stores/Whitespace.h"

#include <QDir>

namespace lettergate {

LinkStore::LinkStore(Apps &apps, Feedback &feedback, Notifications &notifications, const QString &dataDirectory,
                     QObject *parent)
    : QObject(parent)
    , m_opener(apps, feedback, notifications)
    , m_links(PrivateFiles::fileInPrivateDirectory(dataDirectory, QStringLiteral("links.json")),
              DataFile::reportThrough(this))
{
}

bool LinkStore::replaceAll(QList<QuickLink> links)
{
    links.removeIf(
        [](const QuickLink &link) { return Whitespace::isBlank(link.name) && Whitespace::isBlank(link.url); });
    const bool written = m_links.replace(std::move(links));
    if (written)
        emit listSaved();
    emit linksChanged();
    return written;
}

bool LinkStore::open(const QString &link)
{
    const std::optional<QUrl> target = linkTarget(link, QDir::homePath());
    if (!target) {
        m_opener.refuse(link);
        return false;
    }
    m_opener.open(*target);
    return true;
}

} // namespace lettergate
