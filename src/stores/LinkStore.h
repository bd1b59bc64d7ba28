#pragma once

#include "stores/QuickLink.h"
#include "stores/SavedList.h"

#include <QObject>

class Apps;
class Feedback;

// The user's quick links, in their order, kept in "links.json", and the routine that
// turns a typed link into a URL and opens it.
class LinkStore final : public QObject {
    Q_OBJECT
public:
    // The process's store over the installed platform and the real data directory;
    // created, and its file loaded, on first use.
    static LinkStore &shared();

    // Loads dataDirectory + "/links.json" (creating the directory, private).
    LinkStore(Apps &apps, Feedback &feedback, const QString &dataDirectory, QObject *parent = nullptr);

    const QList<QuickLink> &links() const { return m_links.records(); }

    // Drops the links whose name and url are both blank (spaces and tabs), keeps the
    // others untrimmed and in order, and writes the file. Answers whether it was
    // written; the save indicator ticks only then.
    bool replaceAll(QList<QuickLink> links);

    // Trims the text, puts "https://" before a URL without a scheme and asks the
    // desktop to open it, answering the desktop's reply. Beeps, and answers false,
    // when there is nothing that makes a URL.
    bool open(const QString &url);

signals:
    void linksChanged();

private:
    Apps &m_apps;
    Feedback &m_feedback;
    SavedList<QuickLink> m_links;
};
