// What quillon-cli prints: paths on stdout, one line per file; problems on
// stderr, one line each, starting with the program's name and the file's path.
#pragma once

#include "common/paths.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace quillon::cli {

using quillon::PathFromText;
using quillon::PathText;

// "quillon-cli: PATH: what" on stderr.
void Problem(const std::filesystem::path& path, std::string_view what);
// The same with any text for the place ("PATH:LINE").
void ProblemAt(std::string_view where, std::string_view what);

// A line of text on stdout.
void Say(std::string_view line);

// Raw bytes on stdout.
void Emit(std::string_view bytes);

// Flushes stdout; false (with a message) when something written there was lost.
bool StdoutIntact();

// Several lines of a message turned into one: each line trimmed, joined by a blank.
std::string OneLine(std::string_view text);

}  // namespace quillon::cli
