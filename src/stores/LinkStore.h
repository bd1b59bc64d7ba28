#pragma once

#include "stores/LinkOpener.h"
#include "stores/QuickLink.h"
#include "stores/SavedList.h"

#include <QObject>

namespace lettergate {

class Apps;
class Feedback;
class Notifications;

// The user's quick links, in their order, kept in "links.json", and the routine that
// opens a typed link (see linkTarget and LinkOpener).
class LinkStore final : public QObject {
    Q_OBJECT
public:
    // Loads dataDirectory + "/links.json" (creating the directory, private).
    LinkStore(Apps &apps, Feedback &feedback, Notifications &notifications, const QString &dataDirectory,
              QObject *parent = nullptr);

    const QList<QuickLink> &links() const { return m_links.records(); }

    // Drops the links whose name and url are both blank (spaces and tabs), keeps the
    // others untrimmed and in order, and writes the file. Answers whether it was
    // written; the save indicator ticks only then.
    bool replaceAll(QList<QuickLink> links);

    // Opens the link's target (a path, or a URL; "https://" put before one without a
    // scheme) and answers at once whether there was one; a failure to open it is
    // reported later, by the bell and a notification. Text that makes no link is
    // reported the same way at once, and answers false.
    bool open(const QString &link);

signals:
    void linksChanged();
    // The list the user saved reached the disk (a failed write is not a save).
    void listSaved();
    // Each write of the data file, as DataFile reports it.
    void fileWriteFinished(const QString &file, bool written, const QString &why);

private:
    LinkOpener m_opener;
    SavedList<QuickLink> m_links;
};

} // namespace lettergate
