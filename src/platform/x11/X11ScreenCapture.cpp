#include "platform/x11/X11ScreenCapture.h"

#include "platform/Log.h"
#include "platform/x11/ClientWindowQuery.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/XcbPointers.h"

#include <xcb/composite.h>

namespace lettergate {

namespace {

std::optional<uint8_t> bitsPerPixel(const xcb_setup_t *setup, uint8_t depth)
{
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it)) {
        if (it.data->depth == depth)
            return it.data->bits_per_pixel;
    }
    return std::nullopt;
}

} // namespace

X11ScreenCapture::X11ScreenCapture(std::unique_ptr<X11Display> display)
    : m_display(std::move(display))
{
    if (!m_display->extensions().composite)
        return;
    // Redirected once and for good (closing the connection ends it): a window
    // redirected just before its capture has no picture yet of the parts that were
    // covered.
    xcb_connection_t *c = m_display->connection();
    const auto cookie = xcb_composite_redirect_subwindows_checked(c, m_display->root(),
                                                                  XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    m_redirected = XcbPtr<xcb_generic_error_t>(xcb_request_check(c, cookie)) == nullptr;
}

X11ScreenCapture::~X11ScreenCapture() = default;

bool X11ScreenCapture::preflight()
{
    return m_redirected;
}

bool X11ScreenCapture::request()
{
    if (preflight())
        qCInfo(lcX11).noquote() << QStringLiteral(
            "nothing to grant: on X11 window pictures need only the Composite extension");
    else
        qCInfo(lcX11).noquote() << QStringLiteral(
            "nothing to grant: window pictures need the Composite extension, which this X server lacks");
    return preflight();
}

ShareableContent X11ScreenCapture::shareableContent()
{
    const auto snapshot = ClientWindowQuery::snapshot(*m_display, ClientWindowQuery::Field::Placement);
    if (!snapshot)
        return {QStringLiteral("no EWMH window manager lists the windows"), {}};
    ShareableContent content;
    for (const ClientWindow &window : snapshot->windows) {
        if (isOnScreen(window, snapshot->currentDesktop) && window.frame)
            content.windows.append({window.id, QRectF(*window.frame)});
    }
    return content;
}

std::optional<xcb_window_t> X11ScreenCapture::topLevelOf(xcb_window_t window) const
{
    // The window manager's frame, the child of the root that was redirected, holds
    // the client and its decorations.
    xcb_connection_t *c = m_display->connection();
    for (int depth = 0; depth < 16; ++depth) {
        XcbPtr<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
        if (!tree)
            return std::nullopt;
        if (tree->parent == tree->root)
            return window;
        window = tree->parent;
    }
    return std::nullopt;
}

QImage X11ScreenCapture::capture(const ShareableWindow &window, QSize pixelSize)
{
    if (!m_redirected || pixelSize.isEmpty())
        return {};
    const auto topLevel = topLevelOf(window.number);
    if (!topLevel)
        return {};
    xcb_connection_t *c = m_display->connection();
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    // An unmapped window has no picture: naming it fails with BadMatch.
    const auto named = xcb_composite_name_window_pixmap_checked(c, *topLevel, pixmap);
    if (XcbPtr<xcb_generic_error_t>(xcb_request_check(c, named)))
        return {};
    const QImage picture = readPixmap(pixmap);
    xcb_free_pixmap(c, pixmap);
    xcb_flush(c);
    if (picture.isNull())
        return {};
    return picture.scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage X11ScreenCapture::readPixmap(xcb_pixmap_t pixmap) const
{
    xcb_connection_t *c = m_display->connection();
    XcbPtr<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, pixmap), nullptr));
    if (!geometry || geometry->width == 0 || geometry->height == 0)
        return {};
    const xcb_setup_t *setup = xcb_get_setup(c);
    if (bitsPerPixel(setup, geometry->depth) != 32 || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return {};
    const int width = geometry->width;
    const int height = geometry->height;
    XcbPtr<xcb_get_image_reply_t> image(xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, 0, 0, uint16_t(width), uint16_t(height), ~0u), nullptr));
    if (!image || xcb_get_image_data_length(image.get()) < width * height * 4)
        return {};

    const bool translucent = geometry->depth == 32;
    QImage picture(width, height, translucent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    const auto *source = reinterpret_cast<const uint32_t *>(xcb_get_image_data(image.get()));
    // A depth-24 pixel leaves its top byte undefined; Qt expects it opaque.
    const uint32_t opaque = translucent ? 0 : 0xff000000u;
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<uint32_t *>(picture.scanLine(y));
        const uint32_t *row = source + qsizetype(y) * width;
        for (int x = 0; x < width; ++x)
            line[x] = row[x] | opaque;
    }
    return picture;
}

} // namespace lettergate
