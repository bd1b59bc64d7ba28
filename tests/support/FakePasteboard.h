#pragma once

#include "platform/Pasteboard.h"

#include <QStringList>

// An in-memory clipboard. copyText/copyImage act as another application copying;
// the Pasteboard calls act as this program. Writes are recorded in `acts`.
class FakePasteboard final : public Pasteboard {
public:
    qint64 changeCount() override { return m_changeCount; }
    std::optional<QString> string() override { return m_text; }
    std::optional<QImage> image() override { return m_image; }
    void clear() override
    {
        acts << QStringLiteral("clear");
        m_text.reset();
        m_image.reset();
        ++m_changeCount;
    }
    bool setString(const QString &text) override
    {
        acts << QStringLiteral("setString ") + text;
        m_text = text;
        ++m_changeCount;
        return true;
    }
    bool writeImage(const QImage &image) override
    {
        acts << QStringLiteral("writeImage %1x%2").arg(image.width()).arg(image.height());
        if (image.isNull())
            return false;
        m_image = image;
        ++m_changeCount;
        return true;
    }

    void copyText(const QString &text)
    {
        m_text = text;
        m_image.reset();
        ++m_changeCount;
    }
    void copyImage(const QImage &image)
    {
        m_text.reset();
        m_image = image;
        ++m_changeCount;
    }

    QStringList acts;

private:
    qint64 m_changeCount = 0;
    std::optional<QString> m_text;
    std::optional<QImage> m_image;
};
