#pragma once

#include <QWidget>

class SwitcherView;

// The floating window that holds the switcher view: frameless, above other windows,
// skipped by taskbars and pagers. It tells its owner when it loses the focus.
class OverlayPanel : public QWidget {
    Q_OBJECT
public:
    explicit OverlayPanel(SwitcherView *content);

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
};
