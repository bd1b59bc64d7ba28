#pragma once

#include <QImage>
#include <QString>
#include <optional>

// The general clipboard.
class Pasteboard {
public:
    virtual ~Pasteboard() = default;
    // Advances whenever the clipboard's content changes, ours or another's.
    virtual qint64 changeCount() = 0;
    virtual std::optional<QString> string() = 0;
    virtual std::optional<QImage> image() = 0;
    virtual void clear() = 0;
    virtual bool setString(const QString &text) = 0;
    virtual bool writeImage(const QImage &image) = 0;
};
