#pragma once

#include <QIcon>
#include <QRectF>

class QPainter;

namespace lettergate {

// The icon of a running application, stretched to a square; the "app.dashed" symbol
// when the process is gone or has no icon (a null icon).
class AppLogo {
public:
    explicit AppLogo(QIcon icon);

    void paint(QPainter &painter, const QRectF &square) const;

private:
    QIcon m_icon;
};

} // namespace lettergate
