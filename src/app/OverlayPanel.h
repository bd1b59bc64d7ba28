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
    // Shows the panel in front and asks for the keyboard focus.
    void present();

signals:
    // The panel was the active window and no longer is (a click elsewhere, another
    // window taking the focus).
    void focusLost();

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    OwnWindows &m_ownWindows;
    // Blended over the desktop by a compositor; otherwise opaque and cut to shape.
    bool m_translucent;
};
