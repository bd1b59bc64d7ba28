#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <optional>

// The general clipboard.
class Pasteboard : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Advances whenever the clipboard's content changes, ours or another's.
    virtual qint64 changeCount() = 0;
    // Whether the content's owner asks that it not be kept: password managers offer
    // the format "x-kde-passwordManagerHint" with the value "secret" beside a password.
    virtual bool isMarkedSecret() = 0;
    virtual std::optional<QString> string() = 0;
    virtual std::optional<QImage> image() = 0;
    // Bracket one reading of the content (isMarkedSecret, string, image): endRead() says
    // whether the clipboard kept one owner throughout. The formats and the data come in
    // separate requests, each answered by whoever owns the clipboard then, so a read
    // across a change of owner may join one owner's formats to another's data. Where
    // the owner cannot be known, every read counts.
    virtual void beginRead() {}
    virtual bool endRead() { return true; }
    virtual void clear() = 0;
    virtual bool setString(const QString &text) = 0;
    virtual bool writeImage(const QImage &image) = 0;

signals:
    // Emitted as soon as changeCount advances, before anything else reads the clipboard.
    void changed();
};
