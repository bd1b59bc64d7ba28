#pragma once

#include <QWidget>
class QScreen;

namespace lettergate {

class OwnWindows;
class SwitcherView;

// The floating window that holds the switcher view: frameless, above other windows,
// outside the window manager's care. It tells its owner when it loses the focus.
class OverlayPanel : public QWidget {
    Q_OBJECT
public:
    // translucent: a compositor blends windows, so translucency shows.
    OverlayPanel(SwitcherView *content, bool translucent);

    SwitcherView *content() const { return m_content; }

    // Covers 80 % of the screen's available area, centred, drawn at the screen's pixel
    // ratio. Left where it is when there is no screen at all.
    void placeOn(QScreen *screen);
    // Builds the native window and has the desktop make it an overlay; where it cannot,
    // the panel becomes an ordinary frameless window that the desktop manages.
    void becomeOverlay(OwnWindows &desktop);
    // Builds the native window, unmapped, and everything its first showing would
    // otherwise build: the content laid out at the panel's size, the backing store at
    // that size, fonts and painted pictures. Nothing is shown.
    void prepareWindow();
    // Shows the panel in front, or brings it there, and takes the keyboard focus; the
    // content is rebuilt first if a change waits for it.
    void present();

signals:
    // The panel was the active window and no longer is (a click elsewhere, another
    // window taking the focus).
    void focusLost();

protected:
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Fits the content to the panel, and the window's shape when it is opaque.
    void fitToSize();

    SwitcherView *m_content;
    // Blended over the desktop by a compositor; otherwise opaque and cut to shape.
    bool m_translucent;
    // The size the window's rounded shape was cut for; none yet.
    QSize m_maskedSize;
};

} // namespace lettergate
