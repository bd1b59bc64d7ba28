#pragma once

#include "panel/AppLogo.h"
#include "panel/CardFace.h"
#include "panel/ScaledImage.h"

#include <QImage>
#include <optional>

namespace lettergate {

// The card of an app (apps page) or of one window (windows page): the app's icon,
// the title, the key badge and the window's picture. An app with several windows
// shows its window count after the title and, with `cascade`, back cards behind the
// face: one for two windows, two for three or more.
class Card : public CardFace {
    Q_OBJECT
public:
    // Where a card draws the app's icon: the title row's square, and, in place of a
    // missing picture, a square of this share of the picture area's shorter side.
    static constexpr qreal bodyLogoShare = 0.4;
    static constexpr int leadingLogoSide = int(CardFace::titleRowHeight);
    static constexpr int largestBodyLogoSide = int(bodyLogoShare * GridMetrics::maximumThumbH + 0.5);

    struct Data {
        // The app's icon (AppIconCache); null shows the placeholder symbol.
        QIcon icon;
        QString title;
        QString keyText;
        std::optional<int> countBadge;
        // The window whose picture the card shows, and that picture if there is one.
        quint32 windowId = 0;
        std::optional<QImage> thumbnail;
        GridMetrics metrics;
        bool cascade = false;
        qreal cardCorner = 14;
    };

    Card(Data data, std::function<void()> action, QWidget *parent = nullptr);

    const Data &data() const { return m_data; }
    // Shows a newer picture of the card's window (none: the icon), redrawing the card
    // only when it is another picture.
    void showPicture(std::optional<QImage> thumbnail);
    // The back cards' offsets from the face, lowest first.
    QList<QPointF> backCardOffsets() const;
    QString titleSuffix() const override;

protected:
    void paintBehind(QPainter &painter, const QRectF &face) override;
    void paintLeading(QPainter &painter, const QRectF &square) override;
    void paintBody(QPainter &painter, const QRectF &area) override;
    QString contentKey() const override;

private:
    Data m_data;
    AppLogo m_logo;
    ScaledImage m_picture;
};

} // namespace lettergate
