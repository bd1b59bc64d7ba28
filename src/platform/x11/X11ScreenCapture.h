#pragma once

#include "platform/ScreenCapture.h"

#include <memory>
#include <optional>
#include <xcb/xcb.h>

namespace lettergate {

class X11Display;

// Window pictures through the Composite extension. All top-level windows are
// redirected (automatic mode: the server still paints the screen as before) for as
// long as this object lives, so each window keeps a complete picture of its own,
// however covered it is; a capture names that picture and reads it.
//
// It has a connection of its own: captures run on worker threads, concurrently, and
// their large replies must never hold up the GUI thread's requests.
class X11ScreenCapture final : public ScreenCapture {
public:
    explicit X11ScreenCapture(std::unique_ptr<X11Display> display);
    ~X11ScreenCapture() override;

    // Whether the server has Composite. Nothing is ever asked of the user.
    bool preflight() override;
    // Nothing to ask for: logs why and answers preflight.
    bool request() override;
    ShareableContent shareableContent() override;
    // A null image for a window that is gone, unmapped (minimised, other desktop) or
    // in a pixel format other than 32 bits per pixel.
    QImage capture(const ShareableWindow &window, QSize pixelSize) override;
    // Each window keeps a picture of its own, whatever covers it.
    bool picturesShowOverlays() override { return false; }

private:
    std::optional<xcb_window_t> topLevelOf(xcb_window_t window) const;
    QImage readPixmap(xcb_pixmap_t pixmap) const;

    std::unique_ptr<X11Display> m_display;
    bool m_redirected = false;
};

} // namespace lettergate
