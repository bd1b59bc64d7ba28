#pragma once

#include "platform/Pasteboard.h"

#include <QStringList>
#include <functional>

namespace lettergate {

// An in-memory clipboard. copyText/copyImage/copySecretText act as another application
// copying; the Pasteboard calls act as this program. Writes are recorded in `acts`.
// Every change announces itself at once, as the real clipboard does; a read answers with
// the content when it was requested, from the event loop.
class FakePasteboard final : public Pasteboard {
public:
    qint64 changeCount() override { return m_changeCount; }
    void requestContent() override
    {
        ++requests;
        PasteboardContent content = currentContent();
        if (duringRead)
            duringRead();
        QMetaObject::invokeMethod(
            this, [this, content = std::move(content)] { emit contentRead(content); }, Qt::QueuedConnection);
    }
    void clear() override
    {
        acts << QStringLiteral("clear");
        replaceContent(std::nullopt, std::nullopt);
    }
    bool setString(const QString &text) override
    {
        acts << QStringLiteral("setString ") + text;
        replaceContent(text, m_image);
        return true;
    }
    void setPrimarySelection(const QString &text) override
    {
        acts << QStringLiteral("setPrimarySelection ") + text;
        primarySelection = text;
    }
    bool writeImage(const QImage &image) override
    {
        acts << QStringLiteral("writeImage %1x%2").arg(image.width()).arg(image.height());
        if (image.isNull())
            return false;
        replaceContent(m_text, image);
        return true;
    }

    void copyText(const QString &text) { replaceContent(text, std::nullopt); }
    void copyImage(const QImage &image) { replaceContent(std::nullopt, image); }
    // A text offered with the password managers' hint that it is secret.
    void copySecretText(const QString &text) { replaceContent(text, std::nullopt, true); }

    // What the clipboard holds now, as another application pasting would find it.
    std::optional<QString> string() const { return m_text; }

    QStringList acts;
    std::optional<QString> primarySelection;
    // How many reads were asked for.
    int requests = 0;
    // Runs inside each read request, once its answer is taken: another application
    // copying while the read is on its way.
    std::function<void()> duringRead;

private:
    // Text first, as the real clipboards are read; a picture only when no text is offered.
    PasteboardContent currentContent() const
    {
        if (m_markedSecret)
            return PasteboardContent::markedSecret();
        if (m_text && !m_text->isEmpty())
            return PasteboardContent::ofText(*m_text);
        if (m_image && !m_image->isNull())
            return PasteboardContent::ofImage(*m_image);
        return {};
    }

    void replaceContent(std::optional<QString> text, std::optional<QImage> image, bool markedSecret = false)
    {
        m_text = std::move(text);
        m_image = std::move(image);
        m_markedSecret = markedSecret;
        ++m_changeCount;
        emit changed();
    }

    qint64 m_changeCount = 0;
    std::optional<QString> m_text;
    std::optional<QImage> m_image;
    bool m_markedSecret = false;
};

} // namespace lettergate
