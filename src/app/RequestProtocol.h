#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace lettergate {

// What a second start of the program and the running instance say to each other over
// the single-instance socket: one request line (a verb), then one reply that ends when
// the instance closes the connection: a line "ok" followed by what the request asked
// for (the window list for "windows", nothing for the other verbs), or a line
// "error: …" for a request it does not know. An empty reply is no answer at all, so an
// empty window list is told apart from an instance that never answered.
namespace RequestProtocol {

// A request is one short line; anything longer is not ours.
inline constexpr qint64 maximumRequestLength = 256;

// toggle, show, settings, windows, quit.
bool isVerb(const QString &request);

// "tap MODIFIER": the one verb with an argument, a modifier's bare tap that the desktop's
// key bindings report.
inline const QString tapVerb = QStringLiteral("tap");
QString tapRequest(const QString &modifier);
// The modifier a tap request names (maybe none that exists); nothing for other requests.
std::optional<QString> tappedModifier(const QString &request);

// The reply to a request that was carried out, with what it asked for.
QByteArray acknowledgement(const QByteArray &payload = {});
QByteArray refusal(const QString &reason);
// What an acknowledgement carries; nothing when the reply is not one.
std::optional<QByteArray> payload(const QByteArray &reply);
// The text a reply means to report when it is a refusal (as one printable line), else
// nothing.
std::optional<QString> refusalReason(const QByteArray &reply);
// Whether the reply is one of the two above; anything else (an empty reply included)
// did not come from a Lettergate that answered.
bool isWellFormed(const QByteArray &reply);

// Text safe to show on a terminal, whoever wrote it: control characters (C0 but line
// feed and tab, DEL, C1) are dropped, so no escape sequence survives, and so are the
// characters that reorder or hide text (bidi controls, zero-width characters).
QString printable(const QString &text);

// Printable text fit for one field of one line: tabs and line breaks (the Unicode line
// and paragraph separators included) become spaces, and at most `limit` characters of
// the text are kept.
QString oneLine(const QString &text, qsizetype limit = 512);

} // namespace RequestProtocol

} // namespace lettergate
