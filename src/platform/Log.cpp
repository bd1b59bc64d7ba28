#include "platform/Log.h"

#include <QMutex>
#include <QStringList>
#include <cstdio>
#include <syslog.h>
#include <unistd.h>

namespace lettergate {

// Debug lines are off unless QT_LOGGING_RULES (or a qtlogging.ini) turns them on.
Q_LOGGING_CATEGORY(lcApp, "lettergate.app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHotkeys, "lettergate.hotkeys", QtInfoMsg)
Q_LOGGING_CATEGORY(lcClipboard, "lettergate.clipboard", QtInfoMsg)
Q_LOGGING_CATEGORY(lcStores, "lettergate.stores", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSettings, "lettergate.settings", QtInfoMsg)
Q_LOGGING_CATEGORY(lcWindows, "lettergate.windows", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPlatform, "lettergate.platform", QtInfoMsg)
Q_LOGGING_CATEGORY(lcX11, "lettergate.x11", QtInfoMsg)
Q_LOGGING_CATEGORY(lcWayland, "lettergate.wayland", QtInfoMsg)

namespace {

// Messages arrive from any thread.
struct Destination {
    QMutex mutex;
    Log::Sink sink;
    QtMessageHandler handlerBeforeSink = nullptr;
};

Destination &destination()
{
    static Destination instance;
    return instance;
}

// Text from elsewhere (window titles, file names, error strings) must not steer the
// terminal or forge a line: control characters other than tabs show as U+FFFD.
QString printable(QString line)
{
    for (QChar &character : line) {
        const char16_t code = character.unicode();
        if ((code < 0x20 && code != u'\t') || (code >= 0x7f && code <= 0x9f))
            character = QChar::ReplacementCharacter;
    }
    return line;
}

QStringList linesOf(QtMsgType type, const QString &message)
{
    const bool warns = type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg;
    QStringList lines;
    for (const QString &line : message.split(u'\n'))
        lines << printable(line);
    lines.first().prepend(warns ? QStringLiteral("[Lettergate] ⚠️ ") : QStringLiteral("[Lettergate] "));
    return lines;
}

int syslogPriority(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return LOG_DEBUG;
    case QtInfoMsg:
        return LOG_INFO;
    case QtWarningMsg:
        return LOG_WARNING;
    case QtCriticalMsg:
        return LOG_CRIT;
    case QtFatalMsg:
        return LOG_ALERT;
    }
    return LOG_WARNING;
}

// Someone watches a terminal; an instance started at login or by a service manager has
// its standard error thrown away or kept where nobody looks, so it also writes to the
// system log (the journal on systemd machines).
bool alsoToSystemLog()
{
    static const bool noTerminal = !isatty(STDERR_FILENO);
    return noTerminal;
}

void writeLines(QtMsgType type, const QStringList &lines)
{
    // One write per message, so a dump's lines and lines from another thread never interleave.
    const QByteArray bytes = (lines.join(u'\n') + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
    if (!alsoToSystemLog())
        return;
    for (const QString &line : lines)
        syslog(syslogPriority(type), "%s", line.toUtf8().constData());
}

void handleMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    const QStringList lines = linesOf(type, message);
    {
        Destination &to = destination();
        const QMutexLocker lock(&to.mutex);
        if (to.sink) {
            for (const QString &line : lines)
                to.sink(line);
            return;
        }
    }
    writeLines(type, lines);
}

} // namespace

void Log::installHandler()
{
    if (alsoToSystemLog())
        openlog("lettergate", LOG_PID, LOG_USER);
    qInstallMessageHandler(handleMessage);
}

void Log::setSink(Sink sink)
{
    Destination &to = destination();
    const QMutexLocker lock(&to.mutex);
    const bool hadSink = bool(to.sink);
    to.sink = std::move(sink);
    if (to.sink && !hadSink)
        to.handlerBeforeSink = qInstallMessageHandler(handleMessage);
    else if (!to.sink && hadSink)
        qInstallMessageHandler(to.handlerBeforeSink);
}

} // namespace lettergate
