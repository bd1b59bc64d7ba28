#pragma once

#include <QString>
#include <QTimer>
#include <QVariantAnimation>
#include <QWidget>
#include <chrono>

namespace lettergate {

class SaveIndicator;

// The "Saved" capsule laid over the bottom centre of the settings window. Every tick
// of the save indicator shows it and restarts a 1.4 s countdown; it hides when the
// countdown runs out, so quick successive saves keep it up until 1.4 s after the last.
// It fades and slides in from the bottom edge, and back out. While a save is failing
// it turns red and reads "Not saved: <why>", and stays until that file is written.
class SavedBadge : public QWidget {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds hideDelay{1400};
    static constexpr std::chrono::milliseconds fadeIn{200};
    static constexpr std::chrono::milliseconds fadeOut{300};
    static constexpr int bottomMargin = 16;

    // Placed on `parent`, which it keeps itself aligned to.
    SavedBadge(SaveIndicator &saveIndicator, QWidget *parent);

    // Whether the badge is meant to be seen (it may still be fading in or out).
    bool isShowing() const { return m_showing; }
    // What it reads: "Saved", or "Not saved: " and why (drawn cut to the window's width).
    const QString &text() const { return m_text; }
    bool showsFailure() const { return m_showsFailure; }

    QSize sizeHint() const override;

signals:
    void showingChanged(bool showing);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void flash();
    void showFailure(const QString &failure);
    void setShowing(bool showing);
    // 0: below the bottom edge and transparent; 1: in place and opaque.
    void setReveal(qreal reveal);
    void place();

    QString m_text;
    bool m_showsFailure = false;
    bool m_showing = false;
    qreal m_reveal = 0;
    QTimer m_hideTimer;
    QVariantAnimation m_animation;
};

} // namespace lettergate
