#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace lettergate {

class RunningCommands;

// Runs one command line through the shell: "/bin/bash" "-c" line, or one program with
// its arguments, in the home directory, with the program's environment but for what we
// set for our own Qt only (OwnEnvironment); standard input is /dev/null. Standard output and standard error share one
// pipe, so the output keeps the order in which it was written. The process runs asynchronously (nothing blocks, however
// long it runs); there is no time limit and any number can run at once.
//
// A command line is the user's command: it runs as the leader of a new session and
// process group and is listed in RunningCommands until it ends, from where Stop and
// quitting end it with everything it started. A program run with its arguments (a link's
// opener) is not listed, and a quit leaves it running.
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
        // Ended by Stop or by quitting (RunningCommands), not of its own accord.
        bool stopped = false;

        bool succeeded() const { return ending == Ending::exited && exitCode == 0; }
    };
    using Completion = std::function<void(const Result &result)>;

    // Only the last this many bytes of the output are kept (starting on a whole UTF-8
    // character): what is shown of it is its last lines, and a command that prints
    // without end must not exhaust memory.
    static constexpr qsizetype maximumOutputBytes = qsizetype(64) << 10;

    // Starts the process; completion runs exactly once, on the GUI thread, after
    // run() has returned, when the process ends (never, for one that never ends). May
    // be called from any thread. A program without a "/" is looked up on $PATH. The
    // command line is listed in `running` under `name` while it runs.
    static void runCommand(RunningCommands &running, const QString &name, const QString &commandLine,
                           Completion completion);
    static void run(const QString &program, const QStringList &arguments, Completion completion);

private:
    struct Launch {
        QString program;
        QStringList arguments;
        // Listed under this name, in a group of its own; nothing for a link's opener.
        std::optional<QString> listedName;
        RunningCommands *running = nullptr;
    };
    static void runOnGuiThread(Launch launch, Completion completion);
    static void start(const Launch &launch, Completion completion);
};

} // namespace lettergate
