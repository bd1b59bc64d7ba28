#pragma once

#include <QWidget>

class SwitcherView;

// The floating window that holds the switcher view: frameless, above other windows,
// outside the window manager's care. It tells its owner when it loses the focus.
class OverlayPanel : public QWidget {
    Q_OBJECT
public:
    // translucent: a compositor blends windows, so translucency shows.
    OverlayPanel(SwitcherView *content, bool translucent);

    // Covers 80 % of the primary screen's available area, centred. Left where it is
    // when there is no screen at all.
    void placeOnPrimaryScreen();
    // Shows the panel in front, or brings it there, and takes the keyboard focus.
    void present();

signals:
    // The panel was the active window and no longer is (a click elsewhere, another
    // window taking the focus).
    void focusLost();

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Blended over the desktop by a compositor; otherwise opaque and cut to shape.
    bool m_translucent;
};
