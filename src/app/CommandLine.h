#pragma once

#include <optional>

// The program's options. --version and --help are answered here, before any display
// is opened, so they work anywhere.
struct CommandLine {
    // Set when the program should exit at once with this status.
    std::optional<int> exitCode;

    static CommandLine parse(int argc, char *argv[]);
};
