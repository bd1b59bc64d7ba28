#pragma once

#include "platform/Pasteboard.h"

#include <QStringList>
#include <functional>

// An in-memory clipboard. copyText/copyImage/copySecretText act as another application
// copying; the Pasteboard calls act as this program. Writes are recorded in `acts`.
// Every change announces itself at once, as the real clipboard does.
class FakePasteboard final : public Pasteboard {
public:
    qint64 changeCount() override { return m_changeCount; }
    bool isMarkedSecret() override { return m_markedSecret; }
    // The answer is the content when the read starts, as a reply already on its way is.
    std::optional<QString> string() override
    {
        std::optional<QString> answer = m_text;
        if (duringRead)
            duringRead();
        return answer;
    }
    std::optional<QImage> image() override { return m_image; }
    void beginRead() override { m_changeCountAtReadStart = m_changeCount; }
    bool endRead() override { return m_changeCount == m_changeCountAtReadStart; }
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

    QStringList acts;
    // Runs inside each read of the text: another application copying meanwhile.
    std::function<void()> duringRead;

private:
    void replaceContent(std::optional<QString> text, std::optional<QImage> image, bool markedSecret = false)
    {
        m_text = std::move(text);
        m_image = std::move(image);
        m_markedSecret = markedSecret;
        ++m_changeCount;
        emit changed();
    }

    qint64 m_changeCount = 0;
    qint64 m_changeCountAtReadStart = 0;
    std::optional<QString> m_text;
    std::optional<QImage> m_image;
    bool m_markedSecret = false;
};
