#include "settings/ui/SnippetImagePreview.h"

#include "settings/ui/SettingsStyle.h"
#include "stores/PictureFiles.h"

#include <QPromise>
#include <QThreadPool>
#include <QtMath>
#include <memory>

namespace lettergate {

namespace {

// The picture no larger than its preview needs: big screenshots are scaled down here,
// on the worker, rather than on every paint.
QImage readPreview(const QString &path, int maximumPixelHeight)
{
    QImage picture = PictureFiles::readStoredPng(path);
    if (!picture.isNull() && picture.height() > maximumPixelHeight)
        picture = picture.scaledToHeight(maximumPixelHeight, Qt::SmoothTransformation);
    return picture;
}

} // namespace

SnippetImagePreview::SnippetImagePreview(const std::optional<QString> &path, QWidget *parent)
    : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setObjectName(QStringLiteral("picture"));
    connect(&m_reading, &QFutureWatcher<QImage>::finished, this, [this] { showPicture(m_reading.result()); });
    if (!path) {
        showPicture({});
        return;
    }
    const int maximumPixelHeight = qCeil(maximumHeight * devicePixelRatioF());
    auto promise = std::make_shared<QPromise<QImage>>();
    m_loading = true;
    m_reading.setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start([promise, path = *path, maximumPixelHeight] {
        promise->addResult(readPreview(path, maximumPixelHeight));
        promise->finish();
    });
}

void SnippetImagePreview::showPicture(const QImage &picture)
{
    m_loading = false;
    m_missing = picture.isNull();
    if (m_missing) {
        SettingsStyle::setErrorLook(this);
        setText(QStringLiteral("(image file missing)"));
        return;
    }
    QPixmap pixmap = QPixmap::fromImage(picture);
    // At its own size in pixels, but never higher than the preview allows.
    pixmap.setDevicePixelRatio(qMax(1.0, qreal(picture.height()) / maximumHeight));
    setPixmap(pixmap);
}

} // namespace lettergate
