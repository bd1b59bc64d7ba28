#include "platform/wayland/SwayIpc.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace lettergate {

namespace {

constexpr QByteArrayView magic("i3-ipc");

// A socket closed when it goes out of scope.
class Socket {
public:
    Socket()
        : m_fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0))
    {
    }
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// Waits for the socket to be ready for `events` until the deadline.
bool waitFor(int fd, short events, const QDeadlineTimer &deadline)
{
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, int(std::max<qint64>(0, deadline.remainingTime())));
        if (ready > 0)
            return (entry.revents & events) != 0;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

bool connectTo(int fd, const QString &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = path.toLocal8Bit();
    if (encoded.isEmpty() || encoded.size() >= qsizetype(sizeof(address.sun_path)))
        return false;
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    // A local socket connects at once or is refused; it is not worth waiting for.
    return ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0;
}

bool sendAll(int fd, QByteArrayView bytes, const QDeadlineTimer &deadline)
{
    while (!bytes.isEmpty()) {
        const ssize_t sent = ::send(fd, bytes.data(), size_t(bytes.size()), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes = bytes.sliced(sent);
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && errno == EAGAIN) {
            if (!waitFor(fd, POLLOUT, deadline))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

// Exactly `count` bytes, or nothing when the peer stops or the deadline passes first.
std::optional<QByteArray> receive(int fd, qsizetype count, const QDeadlineTimer &deadline)
{
    QByteArray bytes(count, Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < count) {
        const ssize_t got = ::recv(fd, bytes.data() + filled, size_t(count - filled), 0);
        if (got > 0) {
            filled += got;
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else if (got < 0 && errno == EAGAIN) {
            if (!waitFor(fd, POLLIN, deadline))
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    return bytes;
}

QRect rectOf(const QJsonValue &value)
{
    const QJsonObject rect = value.toObject();
    return QRect(rect.value(u"x").toInt(), rect.value(u"y").toInt(), rect.value(u"width").toInt(),
                 rect.value(u"height").toInt());
}

// A container that holds a client window: a Wayland view has an app_id (null when the
// client set none), an Xwayland one its window properties.
bool isView(const QJsonObject &node)
{
    return node.contains(u"app_id") || node.value(u"window_properties").isObject();
}

void collectViews(const QJsonObject &node, QList<SwayIpc::View> &views)
{
    if (isView(node)) {
        const QJsonValue appId = node.value(u"app_id");
        views.append({node.value(u"id").toInteger(),
                      appId.isString() ? appId.toString()
                                       : node.value(u"window_properties").toObject().value(u"class").toString(),
                      node.value(u"name").toString(), rectOf(node.value(u"rect")), node.value(u"visible").toBool()});
    }
    for (const char16_t *children : {u"nodes", u"floating_nodes"}) {
        for (const QJsonValue &child : node.value(children).toArray())
            collectViews(child.toObject(), views);
    }
}

} // namespace

namespace SwayIpc {

QByteArray encode(quint32 type, const QByteArray &payload)
{
    const auto length = quint32(payload.size());
    QByteArray message = magic.toByteArray();
    message.append(reinterpret_cast<const char *>(&length), sizeof(length));
    message.append(reinterpret_cast<const char *>(&type), sizeof(type));
    return message + payload;
}

std::optional<Header> decodeHeader(QByteArrayView bytes)
{
    if (bytes.size() != headerSize || !bytes.startsWith(magic))
        return std::nullopt;
    Header header;
    std::memcpy(&header.length, bytes.data() + magic.size(), sizeof(header.length));
    std::memcpy(&header.type, bytes.data() + magic.size() + sizeof(header.length), sizeof(header.type));
    return header;
}

std::optional<QByteArray> request(const QString &socketPath, quint32 type, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    const Socket socket;
    if (socket.fd() < 0 || !connectTo(socket.fd(), socketPath) || !sendAll(socket.fd(), encode(type), deadline))
        return std::nullopt;
    const std::optional<QByteArray> headerBytes = receive(socket.fd(), headerSize, deadline);
    const std::optional<Header> header = headerBytes ? decodeHeader(*headerBytes) : std::nullopt;
    if (!header || header->type != type || header->length > replyLimit)
        return std::nullopt;
    return receive(socket.fd(), qsizetype(header->length), deadline);
}

std::optional<QList<View>> views(const QByteArray &tree)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(tree, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    QList<View> views;
    collectViews(document.object(), views);
    std::ranges::stable_sort(views, {}, &View::id);
    return views;
}

} // namespace SwayIpc

} // namespace lettergate
