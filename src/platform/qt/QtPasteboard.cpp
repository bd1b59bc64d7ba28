#include "platform/qt/QtPasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace lettergate {

QtPasteboard::QtPasteboard(QObject *parent)
    : Pasteboard(parent)
    , m_clipboard(QGuiApplication::clipboard())
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

void QtPasteboard::requestContent()
{
    QMetaObject::invokeMethod(
        this, [this, content = currentContent()] { emit contentRead(content); }, Qt::QueuedConnection);
}

PasteboardContent QtPasteboard::currentContent() const
{
    static const QString hint = QString::fromLatin1(PasswordManagerHint::format);
    const QMimeData *data = m_clipboard->mimeData();
    if (!data)
        return {};
    // The offered formats are known already; only a clipboard that offers the hint is
    // asked for its value, which costs a round trip to the owner (Qt answers a refusal
    // with nothing, as for an empty value).
    if (data->hasFormat(hint) && PasswordManagerHint::marksSecret(data->data(hint)))
        return PasteboardContent::markedSecret();
    if (data->hasText()) {
        if (QString text = data->text(); !text.isEmpty())
            return PasteboardContent::ofText(std::move(text));
    }
    if (data->hasImage()) {
        if (QImage picture = qvariant_cast<QImage>(data->imageData()); !picture.isNull())
            return PasteboardContent::ofImage(std::move(picture));
    }
    return {};
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

void QtPasteboard::setPrimarySelection(const QString &text)
{
    if (!m_clipboard->supportsSelection())
        return;
    if (text.isEmpty())
        m_clipboard->clear(QClipboard::Selection);
    else
        m_clipboard->setText(text, QClipboard::Selection);
}

bool QtPasteboard::writeImage(const QImage &image)
{
    if (image.isNull())
        return false;
    m_clipboard->setImage(image);
    return true;
}

} // namespace lettergate
