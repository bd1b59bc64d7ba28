#pragma once

#include "platform/Log.h"

#include <QStringList>

// Collects every log line while it lives, so a test can assert the exact texts.
class LogCapture {
public:
    LogCapture()
    {
        Log::setSink([this](const QString &line) { lines << line; });
    }
    ~LogCapture() { Log::setSink({}); }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    bool contains(const QString &line) const { return lines.contains(line); }
    int count(const QString &line) const { return lines.count(line); }
    void clear() { lines.clear(); }

    QStringList lines;
};
