#pragma once

#include "panel/HeaderContent.h"

#include <QWidget>
#include <functional>

class QPainter;
class QVariantAnimation;

namespace lettergate {

class SymbolButton;

// The header line above the page: the Back button or the panel's symbol, the page's
// title, the keys to press and, at the right edge, the page's count. A refused key
// shakes the line sideways for a moment.
class PanelHeader : public QWidget {
    Q_OBJECT
public:
    explicit PanelHeader(std::function<void()> onBack, QWidget *parent = nullptr);

    void setContent(const HeaderContent &content);
    const HeaderContent &content() const { return m_content; }
    // Present (and shown) only while the content asks for it.
    SymbolButton *backButton() const { return m_back; }

    // The line's height: 12 above and below the tallest item.
    static int lineHeight();

    static constexpr int shakeMilliseconds = 200;
    // Shakes the line: three swings that die down over shakeMilliseconds. Input goes on
    // meanwhile; another shake starts it over.
    void shake();
    bool isShaking() const;
    // How far the line stands right of its place now, in pixels.
    qreal shakeOffset() const { return m_shakeOffset; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Everything the widget shows; drawn once per content and size (PaintCache).
    void paintLine(QPainter &painter);
    void placeBackButton();

    HeaderContent m_content;
    SymbolButton *m_back;
    QVariantAnimation *m_shake;
    qreal m_shakeOffset = 0;
};

} // namespace lettergate
