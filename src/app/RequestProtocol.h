#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

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

// The reply to a request that was carried out, with what it asked for.
QByteArray acknowledgement(const QByteArray &payload = {});
QByteArray refusal(const QString &reason);
// What an acknowledgement carries; nothing when the reply is not one.
std::optional<QByteArray> payload(const QByteArray &reply);
// The text a reply means to report when it is a refusal, else nothing.
std::optional<QString> refusalReason(const QByteArray &reply);

// Text fit for one field of one line: control characters and line separators (tabs
// and line breaks included) become spaces, and at most `limit` characters are kept.
QString oneLine(const QString &text, qsizetype limit = 512);

} // namespace RequestProtocol
