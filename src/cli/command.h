// The shape every command of quillon-cli has: its options, added to its place
// on the command line and landing in the command's own members, what the
// parsing cannot check, and its run. The table of commands, with their names
// and one-line descriptions, is command_line.cpp's.
#pragma once

#include <CLI/CLI.hpp>

#include <memory>

namespace quillon::cli {

enum ExitCode : int {
    AllGood = 0,
    Differences = 1,  // --check or glass --expect found a difference
    BadFile = 2,      // a file was refused, or could not be read or written
    UsageError = 64,  // the command line was not understood (EX_USAGE)
};

class Command {
public:
    virtual ~Command() = default;
    // Adds the command's options, and what its help says below them.
    virtual void Add(CLI::App& command) = 0;
    // After parsing: what the parser could not check, thrown as a
    // CLI::ValidationError (exit code 64).
    virtual void Check() {}
    virtual ExitCode Run() = 0;
};

std::unique_ptr<Command> ConvertCommand();
std::unique_ptr<Command> PreviewCommand();
std::unique_ptr<Command> TextCommand();
std::unique_ptr<Command> FontCommand();
std::unique_ptr<Command> GlassCommand();
std::unique_ptr<Command> FormatsCommand();

// Runs quillon-cli's command line; `run` does the parsed command's work (the
// fuzz target replaces it, so that only the parsing runs).
using Runner = ExitCode (*)(Command& command);
int RunCommandLine(
    int argc, char** argv, Runner run = [](Command& command) { return command.Run(); });

}  // namespace quillon::cli
