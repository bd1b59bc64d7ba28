#pragma once

#include <QString>
#include <optional>

namespace lettergate {

// The program's options and verbs. --version and --help are answered here, before any
// display is opened, so they work anywhere. A verb (toggle, show, settings, windows,
// quit, tap MODIFIER) is a request for the running instance; without one the program
// starts.
struct CommandLine {
    // Set when the program should exit at once with this status.
    std::optional<int> exitCode;
    // The request to hand to the running instance, when a verb was given ("tap super"
    // for a verb with its argument).
    std::optional<QString> verb;

    static CommandLine parse(int argc, char *argv[]);
};

} // namespace lettergate
