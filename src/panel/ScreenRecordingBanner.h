#pragma once

#include <QAbstractButton>

namespace lettergate {

// The warning across the panel's full width while thumbnails cannot be captured; a
// click anywhere on it asks for the permission.
class ScreenRecordingBanner : public QAbstractButton {
    Q_OBJECT
public:
    explicit ScreenRecordingBanner(QWidget *parent = nullptr);

    static int bannerHeight();

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace lettergate
