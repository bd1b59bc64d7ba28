#pragma once

#include <QIcon>
#include <QRectF>

class QPainter;

// The icon of a running application, stretched to a square; the "app.dashed" symbol
// when the process is gone or has no icon. The icon is asked of the platform when the
// block is built, so repaints cost no look-up.
class AppLogo {
public:
    explicit AppLogo(qint32 pid);

    bool hasIcon() const { return !m_icon.isNull(); }
    void paint(QPainter &painter, const QRectF &square) const;

private:
    QIcon m_icon;
};
