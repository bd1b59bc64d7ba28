#pragma once

#include <QString>
#include <functional>

// Runs one command line through the shell: "/bin/bash" "-c" line, in the home
// directory, with the program's environment and standard input. Standard output and
// standard error share one pipe, so the output keeps the order in which it was
// written. The process runs asynchronously (nothing blocks, however long it runs);
// there is no time limit, any number can run at once, and a command still running
// when the program quits is left running.
class CommandRunner {
public:
    struct Result {
        // Everything written, decoded as UTF-8; empty when it is not valid UTF-8. When
        // the command could not be started: why.
        QString output;
        // The exit status; the signal number for a command killed by a signal; -1 when
        // it could not be started.
        qint32 exitCode = 0;
    };
    using Completion = std::function<void(const Result &result)>;

    // Output beyond this is read and discarded (and the kept part ends on a whole
    // UTF-8 character), so a command that prints without end cannot exhaust memory.
    static constexpr qsizetype maximumOutputBytes = qsizetype(16) << 20;

    // Starts the command; completion runs exactly once, on the GUI thread, after run()
    // has returned, when the command ends (never, for one that never ends). May be
    // called from any thread.
    static void run(const QString &commandLine, Completion completion);

private:
    static void start(const QString &commandLine, Completion completion);
};
