#pragma once

#include <QWidget>

class OwnWindows;
class SwitcherView;

// The floating window that holds the switcher view: frameless, above other windows,
// skipped by taskbars and pagers. It tells its owner when it loses the focus.
class OverlayPanel : public QWidget {
    Q_OBJECT
public:
    OverlayPanel(SwitcherView *content, OwnWindows &ownWindows);

    // Covers 80 % of the primary screen's available area, centred. Left where it is
    // when there is no screen at all.
    void placeOnPrimaryScreen();
    // Shows the panel in front and asks for the keyboard focus; once the window manager
    // has let go of it, when it was hidden a moment ago.
    void present();
    // Hides the panel, and keeps a present() still waiting from showing it.
    void dismiss();

signals:
    // The panel was the active window and no longer is (a click elsewhere, another
    // window taking the focus).
    void focusLost();

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void bringToFront();

    OwnWindows &m_ownWindows;
    // Blended over the desktop by a compositor; otherwise opaque and cut to shape.
    bool m_translucent;
    bool m_isWanted = false;
};
