// quillon-cli text and font: each adds its options to the command line and
// runs once its command was parsed.
#pragma once

#include "cli/commands.h"
#include "text/font.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <optional>
#include <set>
#include <string>

namespace quillon::cli {

CLI::App* AddTextCommand(CLI::App& app);
ExitCode RunText();

CLI::App* AddFontCommand(CLI::App& app);
ExitCode RunFont();

// What text and font share: a font read for the characters asked for, its
// missing characters named once each on stderr; nothing after a problem is named.
struct LoadedFont {
    std::string name;  // the file as messages give it, or "built-in font"
    text::Font font;
};
std::optional<LoadedFont> LoadFont(const std::string& fontArgument, bool sizeGiven, int size,
                                   const std::set<char32_t>& codes);
// Names each missing character once on stderr.
void NameMissing(const LoadedFont& loaded);
// The bytes to `output` ("-" or standard output's file: printed); false after naming the problem.
bool WriteOutput(const std::string& output, const std::string& bytes);

}  // namespace quillon::cli
