#include "platform/qt/QtPasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

QtPasteboard::QtPasteboard(OwnerQuery currentOwner, QObject *parent)
    : Pasteboard(parent)
    , m_clipboard(QGuiApplication::clipboard())
    , m_currentOwner(std::move(currentOwner))
{
    connect(m_clipboard, &QClipboard::dataChanged, this, [this] {
        ++m_changeCount;
        emit changed();
    });
}

qint64 QtPasteboard::changeCount()
{
    return m_changeCount;
}

bool QtPasteboard::isMarkedSecret()
{
    static const QString hint = QStringLiteral("x-kde-passwordManagerHint");
    const QMimeData *data = m_clipboard->mimeData();
    // The offered formats are known already; only a clipboard that offers the hint is
    // asked for its value, which costs a round trip to the owner.
    return data && data->hasFormat(hint) && data->data(hint).trimmed() == "secret";
}

std::optional<QString> QtPasteboard::string()
{
    const QMimeData *data = m_clipboard->mimeData();
    if (!data || !data->hasText())
        return std::nullopt;
    return data->text();
}

std::optional<QImage> QtPasteboard::image()
{
    const QMimeData *data = m_clipboard->mimeData();
    if (!data || !data->hasImage())
        return std::nullopt;
    QImage picture = qvariant_cast<QImage>(data->imageData());
    if (picture.isNull())
        return std::nullopt;
    return picture;
}

void QtPasteboard::beginRead()
{
    m_ownerAtReadStart = m_currentOwner ? m_currentOwner() : std::nullopt;
}

bool QtPasteboard::endRead()
{
    return !m_ownerAtReadStart || m_currentOwner() == m_ownerAtReadStart;
}

void QtPasteboard::clear()
{
    m_clipboard->clear();
}

bool QtPasteboard::setString(const QString &text)
{
    m_clipboard->setText(text);
    return true;
}

bool QtPasteboard::writeImage(const QImage &image)
{
    if (image.isNull())
        return false;
    m_clipboard->setImage(image);
    return true;
}
