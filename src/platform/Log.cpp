#include "platform/Log.h"

#include <cstdio>

namespace {

Log::Sink &currentSink()
{
    static Log::Sink sink;
    return sink;
}

void emitLine(const QString &line)
{
    if (const auto &sink = currentSink()) {
        sink(line);
        return;
    }
    // One write per line, so lines from a crash or a second thread never interleave.
    const QByteArray bytes = (line + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

void Log::info(const QString &message)
{
    emitLine(prefix.toString() + message);
}

void Log::warning(const QString &message)
{
    emitLine(prefix.toString() + warningSign.toString() + message);
}

void Log::plain(const QString &line)
{
    emitLine(line);
}

void Log::setSink(Sink sink)
{
    currentSink() = std::move(sink);
}
