#include "platform/x11/X11Property.h"

namespace lettergate {

xcb_get_property_cookie_t X11Property::request(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property,
                                               uint32_t maxLongs)
{
    return xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, maxLongs);
}

XcbPtr<xcb_get_property_reply_t> X11Property::reply(xcb_connection_t *connection, xcb_get_property_cookie_t cookie)
{
    XcbPtr<xcb_get_property_reply_t> result(xcb_get_property_reply(connection, cookie, nullptr));
    if (result && result->type == XCB_ATOM_NONE)
        return nullptr;
    return result;
}

QList<uint32_t> X11Property::cardinals(const xcb_get_property_reply_t *reply)
{
    if (!reply || reply->format != 32)
        return {};
    const auto *items = static_cast<const uint32_t *>(xcb_get_property_value(reply));
    const int count = xcb_get_property_value_length(reply) / 4;
    return QList<uint32_t>(items, items + count);
}

std::optional<uint32_t> X11Property::firstCardinal(const xcb_get_property_reply_t *reply)
{
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply) < 4)
        return std::nullopt;
    return *static_cast<const uint32_t *>(xcb_get_property_value(reply));
}

namespace {

QByteArrayView bytesOf(const xcb_get_property_reply_t *reply)
{
    if (!reply || reply->format != 8)
        return {};
    return QByteArrayView(static_cast<const char *>(xcb_get_property_value(reply)),
                          xcb_get_property_value_length(reply));
}

} // namespace

QString X11Property::text(const xcb_get_property_reply_t *reply, xcb_atom_t utf8StringType)
{
    QByteArrayView bytes = bytesOf(reply);
    // Some clients count the terminating NUL in the length.
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    return reply && reply->type == utf8StringType ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

QList<QString> X11Property::strings(const xcb_get_property_reply_t *reply)
{
    QList<QString> result;
    QByteArrayView bytes = bytesOf(reply);
    while (!bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf('\0');
        const QByteArrayView part = end < 0 ? bytes : bytes.first(end);
        result.append(QString::fromLatin1(part));
        bytes = end < 0 ? QByteArrayView() : bytes.sliced(end + 1);
    }
    return result;
}

} // namespace lettergate
