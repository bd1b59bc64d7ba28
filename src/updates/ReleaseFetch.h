#pragma once

#include "updates/LatestRelease.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;
class QUrl;

namespace lettergate {

// One request for the latest-release document, from the GET to the decoded reply.
// It bounds what a broken or hostile server can do: the whole exchange ends by the
// deadline, however slowly the headers or the body trickle in; the body is refused as
// soon as it announces or delivers more than maxBodyBytes, without being held whole;
// and a redirect may not leave https for plain http.
class ReleaseFetch : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 maxBodyBytes = 1024 * 1024;

    // Sends a GET of url at once. finished() follows exactly once, from the event loop
    // (never from within the constructor), and the fetch then deletes itself.
    ReleaseFetch(QNetworkAccessManager &network, const QString &url, std::chrono::milliseconds deadline,
                 QObject *parent = nullptr);
    ~ReleaseFetch() override;

    // After finished(): the decoded release, or nothing and errorString() says why.
    const std::optional<LatestRelease> &release() const { return m_release; }
    const QString &errorString() const { return m_errorString; }

signals:
    void finished();

private:
    void send(QNetworkAccessManager &network, const QUrl &url);
    void checkAnnouncedLength();
    void takeArrivedBytes();
    void completeFromReply();
    bool appendWithinLimit(const QByteArray &bytes);
    void fail(const QString &message);
    void finish();
    void dropReply();

    // The manager owns the reply; it may delete it first when the program shuts down.
    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    QByteArray m_body;
    std::optional<LatestRelease> m_release;
    QString m_errorString;
    bool m_finished = false;
};

} // namespace lettergate
