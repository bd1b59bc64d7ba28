#pragma once

#include "platform/Log.h"

#include <QLoggingCategory>
#include <QStringList>

namespace lettergate {

// Collects every log line while it lives, debug lines included, so a test can assert
// the exact texts.
class LogCapture {
public:
    LogCapture()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("lettergate.*.debug=true"));
        Log::setSink([this](const QString &line) { lines << line; });
    }
    ~LogCapture()
    {
        Log::setSink({});
        QLoggingCategory::setFilterRules({});
    }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    void clear() { lines.clear(); }

    QStringList lines;
};

} // namespace lettergate
