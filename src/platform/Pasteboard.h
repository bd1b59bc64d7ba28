#pragma once

#include <QImage>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <optional>

namespace lettergate {

// What one read of the clipboard found: one owner's content, whole, or nothing.
struct PasteboardContent {
    enum class Kind {
        // Nothing readable: no owner, no text or picture format, a refused or failed
        // transfer, or one that ran out of time.
        nothing,
        // The owner asks that it not be kept (see PasswordManagerHint).
        secret,
        text,
        image,
    };

    Kind kind = Kind::nothing;
    QString text;
    QImage image;

    static PasteboardContent ofText(QString text) { return {Kind::text, std::move(text), {}}; }
    static PasteboardContent ofImage(QImage image) { return {Kind::image, {}, std::move(image)}; }
    static PasteboardContent markedSecret() { return {Kind::secret, {}, {}}; }
};

// Password managers offer the format "x-kde-passwordManagerHint" with the value "secret"
// beside a password. An owner that offers the hint but does not send it (it refuses,
// the transfer fails, or the value is empty) may be one that sends it only to some:
// a hint that cannot be read counts as secret.
namespace PasswordManagerHint {
inline constexpr char format[] = "x-kde-passwordManagerHint";
// Whether an owner offering the hint marks its content secret; `value` is nothing when
// it could not be read.
inline bool marksSecret(const std::optional<QByteArray> &value)
{
    return !value || value->trimmed().isEmpty() || value->trimmed() == "secret";
}
} // namespace PasswordManagerHint

// The general clipboard. Reading it asks another program, which may take its time or
// never answer, so a read is requested and its content arrives later as a signal; writing
// is immediate.
class Pasteboard : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Advances whenever the clipboard's content changes, ours or another's.
    virtual qint64 changeCount() = 0;
    // Starts reading the current content; contentRead follows, always from the event loop,
    // never from inside this call. A read across a change of owner is not delivered: the
    // new owner's content is read instead. Requests made while a read is under way are
    // answered together by one more read after it. Where the backend knows the changes
    // of owner (X11, Wayland's data control), a copy is read once: asked again with no
    // change since, the read finds nothing.
    virtual void requestContent() = 0;
    virtual void clear() = 0;
    virtual bool setString(const QString &text) = 0;
    // Puts the text in the primary selection too, where the system has one (X11,
    // Wayland): what a terminal pastes on Shift+Insert or a middle click; an empty text
    // empties it.
    // Reading never looks at it.
    virtual void setPrimarySelection(const QString &text) = 0;
    virtual bool writeImage(const QImage &image) = 0;

signals:
    // Emitted as soon as changeCount advances, before anything else reads the clipboard.
    void changed();
    // The outcome of a requested read.
    void contentRead(const PasteboardContent &content);
};

} // namespace lettergate

Q_DECLARE_METATYPE(lettergate::PasteboardContent)
