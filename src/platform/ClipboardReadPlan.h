#pragma once

#include "platform/Pasteboard.h"

#include <QByteArray>
#include <QList>
#include <chrono>
#include <optional>

namespace lettergate {

// How long a clipboard read may take and how much it may bring.
struct ClipboardReadLimits {
    std::chrono::milliseconds deadline{2000};
    qint64 textBytes = qint64(64) << 20;
    qint64 imageBytes = qint64(256) << 20;
};

// The formats one clipboard read asks its owner for, in order, and what each answer makes
// of the read: the password managers' hint first, then a text (UTF8_STRING,
// "text/plain;charset=utf-8", STRING, plain "text/plain" last), or else a picture (PNG
// first, then any other image format Qt decodes). The same on every window system: only
// the way a format's bytes travel differs.
class ClipboardReadPlan {
public:
    struct Step {
        enum class Kind { hint, utf8Text, latin1Text, image };
        Kind kind;
        QByteArray format;
    };

    // The steps for the formats an owner offers, by name.
    explicit ClipboardReadPlan(const QList<QByteArray> &offered);
    // For an owner too old to list its formats, which may still answer for text.
    static ClipboardReadPlan forUnlistedFormats();

    // The next format to ask for; nothing once every one was tried (the read found
    // nothing).
    std::optional<Step> takeNext();

    // How many bytes a step's answer may have: past it the read ends with nothing.
    static qint64 limitFor(const Step &step, const ClipboardReadLimits &limits);
    // What a step's answer (nothing when the owner refused it or the transfer failed)
    // makes of the read: its content, or nothing when the next step is to be tried.
    // Decodes pictures: call it off the GUI thread.
    static std::optional<PasteboardContent> outcome(const Step &step, const std::optional<QByteArray> &answer);

    // The log line of a read that passed its deadline or a size limit.
    static QString tooSlowLine(const ClipboardReadLimits &limits);
    static QString tooLargeLine(qint64 limitBytes);

private:
    ClipboardReadPlan() = default;

    QList<Step> m_steps;
};

} // namespace lettergate
