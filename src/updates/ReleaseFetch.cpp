#include "updates/ReleaseFetch.h"

#include "updates/WebAddress.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace lettergate {

namespace {

// How much of the body the reply may buffer before this fetch takes it; the rest waits
// in the socket, so the memory a reply holds stays small whatever the server sends.
constexpr qint64 replyBufferBytes = 64 * 1024;

QString tooLarge()
{
    return QStringLiteral("The update server's reply is larger than 1 MiB.");
}

// Qt's own wording of a failure, without the dangling colon some of its texts end in.
QString qtDescription(const QNetworkReply &reply)
{
    QString text = reply.errorString().trimmed();
    if (text.endsWith(u':'))
        text.chop(1);
    return text;
}

QString badServerResponse(const QString &detail)
{
    return QStringLiteral("The update server sent a bad response (%1).").arg(detail);
}

// Why a finished reply carries no usable body, or nothing when it does.
QString problemOf(const QNetworkReply &reply)
{
    switch (reply.error()) {
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("The update server redirected the request to an insecure address.");
    case QNetworkReply::TooManyRedirectsError:
        return QStringLiteral("The update server redirected the request too many times.");
    default:
        break;
    }
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        // No HTTP answer at all: the transport failed, and Qt says how.
        return reply.error() != QNetworkReply::NoError ? qtDescription(reply)
                                                       : badServerResponse(QStringLiteral("not HTTP"));
    }
    const int code = status.toInt();
    if (code < 200 || code > 299) {
        const QString reason = reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        return badServerResponse(QStringLiteral("HTTP %1 %2").arg(code).arg(reason).trimmed());
    }
    // A 2xx answer that broke off, for instance a connection closed mid-body.
    return reply.error() != QNetworkReply::NoError ? qtDescription(reply) : QString();
}

} // namespace

ReleaseFetch::ReleaseFetch(QNetworkAccessManager &network, const QString &url, std::chrono::milliseconds deadline,
                           QObject *parent)
    : QObject(parent)
{
    // One deadline for the whole exchange: Qt's transfer timeout restarts with every byte,
    // so a server trickling its headers or body would never meet it.
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { fail(QStringLiteral("The request timed out.")); });

    const std::optional<QUrl> address = webAddress(url);
    if (!address) {
        fail(QStringLiteral("The update address \"%1\" is not a valid web address.").arg(url));
        return;
    }
    m_deadline.start(deadline);
    send(network, *address);
}

ReleaseFetch::~ReleaseFetch()
{
    dropReply();
}

void ReleaseFetch::send(QNetworkAccessManager &network, const QUrl &url)
{
    QNetworkRequest request(url);
    // Every check asks the server afresh.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    // Qt's default, stated because it matters here: redirects are followed, but never from
    // https to plain http, where anyone on the path could forge the version and the
    // download page the user is sent to.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    // A compressed body can inflate a thousandfold in one piece, before this fetch sees a
    // byte of it: let Qt's inflation-ratio check start at the size accepted at most.
    request.setDecompressedSafetyCheckThreshold(maxBodyBytes);

    m_reply = network.get(request);
    m_reply->setReadBufferSize(replyBufferBytes);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &ReleaseFetch::checkAnnouncedLength);
    connect(m_reply, &QNetworkReply::readyRead, this, &ReleaseFetch::takeArrivedBytes);
    connect(m_reply, &QNetworkReply::finished, this, &ReleaseFetch::completeFromReply);
}

void ReleaseFetch::checkAnnouncedLength()
{
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > maxBodyBytes)
        fail(tooLarge());
}

void ReleaseFetch::takeArrivedBytes()
{
    appendWithinLimit(m_reply->readAll());
}

void ReleaseFetch::completeFromReply()
{
    const QString problem = problemOf(*m_reply);
    if (!problem.isEmpty()) {
        fail(problem);
        return;
    }
    if (!appendWithinLimit(m_reply->readAll()))
        return;
    QString error;
    m_release = LatestRelease::fromJson(m_body, &error);
    if (!m_release) {
        fail(error);
        return;
    }
    finish();
}

bool ReleaseFetch::appendWithinLimit(const QByteArray &bytes)
{
    if (m_body.size() + bytes.size() > maxBodyBytes) {
        fail(tooLarge());
        return false;
    }
    m_body += bytes;
    return true;
}

void ReleaseFetch::fail(const QString &message)
{
    if (m_finished)
        return;
    m_errorString = message;
    finish();
}

void ReleaseFetch::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_deadline.stop();
    m_body.clear();
    dropReply();
    // Queued, so that a caller always gets the chance to connect first.
    QMetaObject::invokeMethod(
        this,
        [this] {
            emit finished();
            deleteLater();
        },
        Qt::QueuedConnection);
}

void ReleaseFetch::dropReply()
{
    if (!m_reply)
        return;
    // Disconnected first: aborting emits the reply's signals once more.
    m_reply->disconnect(this);
    m_reply->abort();
    m_reply->deleteLater();
    m_reply = nullptr;
}

} // namespace lettergate
