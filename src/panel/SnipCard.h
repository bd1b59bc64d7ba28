#pragma once

#include "panel/CardFace.h"
#include "panel/ScaledImage.h"
#include "panel/TextBlock.h"

#include <QImage>
#include <optional>

namespace lettergate {

// The card of a clipboard entry, snippet, link or command on a full list page: a
// symbol and a title above the entry's picture or up to eight lines of its text.
class SnipCard : public CardFace {
    Q_OBJECT
public:
    struct Data {
        QString keyText;
        QString title;
        QString systemIcon;
        std::optional<QString> text;
        std::optional<QImage> image;
        GridMetrics metrics;
        qreal cardCorner = 14;
    };

    SnipCard(Data data, std::function<void()> action, QWidget *parent = nullptr);

    const Data &data() const { return m_data; }
    // What the body shows when there is no picture: the text, or "(empty)".
    QString bodyText() const;

protected:
    void paintLeading(QPainter &painter, const QRectF &square) override;
    void paintBody(QPainter &painter, const QRectF &area) override;
    QString contentKey() const override;

private:
    Data m_data;
    ScaledImage m_picture;
    TextBlock m_text;
    QString m_contentKey;
};

} // namespace lettergate
