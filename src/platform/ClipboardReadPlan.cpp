#include "platform/ClipboardReadPlan.h"

#include "platform/ByteSize.h"

#include <QImageReader>
#include <algorithm>

namespace lettergate {

namespace {

// The hint is one short word.
constexpr qint64 hintLimitBytes = 1024;

constexpr char utf8String[] = "UTF8_STRING";
constexpr char plainUtf8[] = "text/plain;charset=utf-8";
constexpr char latin1String[] = "STRING";
constexpr char plainText[] = "text/plain";
constexpr char png[] = "image/png";

} // namespace

ClipboardReadPlan::ClipboardReadPlan(const QList<QByteArray> &offered)
{
    using Kind = Step::Kind;
    const auto addIfOffered = [&](Kind kind, const char *format) {
        if (offered.contains(format))
            m_steps.append({kind, format});
    };
    addIfOffered(Kind::hint, PasswordManagerHint::format);
    addIfOffered(Kind::utf8Text, utf8String);
    addIfOffered(Kind::utf8Text, plainUtf8);
    addIfOffered(Kind::latin1Text, latin1String);
    // Without a charset, as many Wayland programs offer it: UTF-8 in practice.
    addIfOffered(Kind::utf8Text, plainText);
    addIfOffered(Kind::image, png);
    static const QList<QByteArray> decodable = QImageReader::supportedMimeTypes();
    for (const QByteArray &format : offered) {
        const bool otherPicture = format.startsWith("image/") && format != png && decodable.contains(format);
        if (otherPicture && std::ranges::none_of(m_steps, [&](const Step &step) { return step.format == format; }))
            m_steps.append({Kind::image, format});
    }
}

ClipboardReadPlan ClipboardReadPlan::forUnlistedFormats()
{
    ClipboardReadPlan plan;
    plan.m_steps = {{Step::Kind::utf8Text, utf8String}, {Step::Kind::latin1Text, latin1String}};
    return plan;
}

std::optional<ClipboardReadPlan::Step> ClipboardReadPlan::takeNext()
{
    if (m_steps.isEmpty())
        return std::nullopt;
    return m_steps.takeFirst();
}

qint64 ClipboardReadPlan::limitFor(const Step &step, const ClipboardReadLimits &limits)
{
    switch (step.kind) {
    case Step::Kind::hint:
        return hintLimitBytes;
    case Step::Kind::image:
        return limits.imageBytes;
    case Step::Kind::utf8Text:
    case Step::Kind::latin1Text:
        break;
    }
    return limits.textBytes;
}

std::optional<PasteboardContent> ClipboardReadPlan::outcome(const Step &step, const std::optional<QByteArray> &answer)
{
    switch (step.kind) {
    case Step::Kind::hint:
        // Also when the owner refused it.
        if (PasswordManagerHint::marksSecret(answer))
            return PasteboardContent::markedSecret();
        return std::nullopt;
    case Step::Kind::utf8Text:
    case Step::Kind::latin1Text: {
        if (!answer)
            return std::nullopt;
        QString text = step.kind == Step::Kind::utf8Text ? QString::fromUtf8(*answer) : QString::fromLatin1(*answer);
        if (text.isEmpty())
            return std::nullopt;
        return PasteboardContent::ofText(std::move(text));
    }
    case Step::Kind::image: {
        if (!answer)
            return std::nullopt;
        // Qt's allocation limit refuses pictures whose pixels would not fit in memory.
        QImage picture = QImage::fromData(*answer);
        if (picture.isNull())
            return std::nullopt;
        return PasteboardContent::ofImage(std::move(picture));
    }
    }
    return std::nullopt;
}

QString ClipboardReadPlan::tooSlowLine(const ClipboardReadLimits &limits)
{
    return QStringLiteral("clipboard read dropped: its owner did not answer within %1 ms").arg(limits.deadline.count());
}

QString ClipboardReadPlan::tooLargeLine(qint64 limitBytes)
{
    return QStringLiteral("clipboard read dropped: its content passed the limit of %1").arg(ByteSize::text(limitBytes));
}

} // namespace lettergate
