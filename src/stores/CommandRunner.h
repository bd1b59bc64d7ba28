#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Runs one command line through the shell: "/bin/bash" "-c" line, or one program with
// its arguments, in the home directory, with the program's environment and standard
// input. Standard output and standard error share one pipe, so the output keeps the
// order in which it was written. The process runs asynchronously (nothing blocks,
// however long it runs); there is no time limit, any number can run at once, and a
// process still running when the program quits is left running.
class CommandRunner {
public:
    enum class Ending { exited, killedBySignal, failedToStart };

    struct Result {
        // The end of what was written (the last maximumOutputBytes), decoded as UTF-8;
        // empty when it is not valid UTF-8. When the process could not be started: why.
        QString output;
        // The exit status; the signal number for a process killed by a signal; -1 when
        // it could not be started.
        qint32 exitCode = 0;
        Ending ending = Ending::exited;

        bool succeeded() const { return ending == Ending::exited && exitCode == 0; }
    };
    using Completion = std::function<void(const Result &result)>;

    // Only the last this many bytes of the output are kept (starting on a whole UTF-8
    // character): what is shown of it is its last lines, and a command that prints
    // without end must not exhaust memory.
    static constexpr qsizetype maximumOutputBytes = qsizetype(64) << 10;

    // Starts the process; completion runs exactly once, on the GUI thread, after
    // run() has returned, when the process ends (never, for one that never ends). May
    // be called from any thread. A program without a "/" is looked up on $PATH.
    static void run(const QString &commandLine, Completion completion);
    static void run(const QString &program, const QStringList &arguments, Completion completion);

private:
    static void start(const QString &program, const QStringList &arguments, Completion completion);
};
