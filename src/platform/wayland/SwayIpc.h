#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QRect>
#include <QString>
#include <optional>

namespace lettergate {

// sway's IPC, for the one thing Wayland's window list lacks: where each window is. A
// message is "i3-ipc", the payload's length and the message type (both 32-bit, in the
// machine's byte order), then the payload; get_tree answers with the whole layout tree
// as JSON. The compositor is another process: its answers are bounded in size and time.
namespace SwayIpc {

inline constexpr quint32 getTreeType = 4;
inline constexpr qsizetype headerSize = 14;
// A tree of a thousand windows is about two megabytes.
inline constexpr quint32 replyLimit = 8 * 1024 * 1024;
inline constexpr int timeoutMs = 300;

QByteArray encode(quint32 type, const QByteArray &payload = {});

struct Header {
    quint32 length = 0;
    quint32 type = 0;
};
// Nothing when the bytes are not a message header.
std::optional<Header> decodeHeader(QByteArrayView bytes);

// Sends one message on a connection of its own and answers the reply's payload; nothing
// when the socket does not answer in time, answers with another type, or announces more
// than replyLimit bytes.
std::optional<QByteArray> request(const QString &socketPath, quint32 type, int timeoutMs = SwayIpc::timeoutMs);

// A window in sway's layout tree.
struct View {
    qint64 id = 0; // sway's container id, which grows with each new container
    QString appId; // the Wayland app_id, or an Xwayland window's class
    QString title;
    QRect rect; // in the layout's (logical, global) coordinates
    bool visible = false;
};
// Every window in a get_tree reply, in container-id order; nothing when it is not a tree.
std::optional<QList<View>> views(const QByteArray &tree);

} // namespace SwayIpc

} // namespace lettergate
