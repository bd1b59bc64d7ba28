#pragma once

#include "stores/CommandRunner.h"

#include <QString>

namespace lettergate {

class Notifications;
struct Command;

// What one failure says to the user in one desktop notification: a summary that names
// what failed and a body of a few short lines. Short and plain, as people read them in
// passing.
struct FailureNotice {
    // How many of a process's last lines the body shows, and how long each may be.
    static constexpr int shownLines = 5;
    static constexpr int shownLineLength = 120;

    QString summary;
    QString body;

    // "backup.sh failed (exit status 2)", "… was stopped by signal 9", "… could not
    // start", with the last lines of the process's output (or why it did not start).
    static FailureNotice ofProcess(const QString &what, const CommandRunner::Result &result);
    // The command's name, else the file name of the program its line runs.
    static QString nameOf(const Command &command);
    // The last shownLines non-blank lines of the output, each cut to shownLineLength
    // characters, control characters shown as spaces.
    static QString lastLines(const QString &output);
    // The text cut to at most `length` characters, with an ellipsis where it was cut.
    static QString shortened(const QString &text, int length = shownLineLength);

    void showOn(Notifications &notifications) const;
};

} // namespace lettergate
