#pragma once

#include "panel/HeaderContent.h"

#include <QWidget>
#include <functional>

class QPainter;
class SymbolButton;

// The header line above the page: the Back button or the panel's symbol, the page's
// title, the keys to press and, at the right edge, the page's count.
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

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Everything the widget shows; drawn once per content and size (PaintCache).
    void paintLine(QPainter &painter);
    HeaderContent m_content;
    SymbolButton *m_back;
};
