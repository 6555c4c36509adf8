// What several commands share: the options for pictures, --format, where
// inputs come from and outputs go.
#pragma once

#include "cli/command.h"
#include "engine/dots.h"
#include "files/input_file.h"
#include "formats/formats.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::cli {

// The options that say how a picture that is not an exact 1-bit 122 x 32 BMP
// becomes dots (--fit, --background, --dither, --threshold, --rotate, --flip,
// --frame), as given; Finish turns them into the engine's.
struct PictureWords {
    std::string fit = "contain";
    std::string background = "white";
    std::string dither = "none";
    std::string flip = "none";
    int threshold = 128;
    int rotate = 0;
    int frame = 0;

    PictureOptions Finish(bool inverse) const;
};
// Adds them to `command`; a value that is none of the choices is refused
// naming the option (exit code 64).
void AddPictureOptions(CLI::App& command, PictureWords& words);

// --frames: all of them, the one choice there is.
inline const std::vector<std::string> FramesChoices = {"all"};

// -f/--format, taking the names of `formats` (every format when empty).
CLI::Option* AddFormatOption(CLI::App& command, std::string& name, std::vector<std::string> formats = {});
// The format given, else the one the output's name chooses, else listing.
const Format& ChosenFormat(const std::string& given, const std::filesystem::path& output, bool hasOutput);

// "-" is standard input (for inputs) or standard output (for outputs).
bool IsDash(const std::filesystem::path& path);
// The name messages give an input by.
std::string InputName(const std::filesystem::path& input);
// An input opened for reading, standard input for "-"; after naming the problem, nothing.
std::optional<files::InputFile> OpenInput(const std::filesystem::path& input, std::string_view kind);
// Its size when it is a file, for reading no more of it than is needed.
std::optional<std::uint64_t> SizeOf(const std::filesystem::path& input);

// Whether an output goes to standard output: "-", or a name of the file
// standard output already goes to (-o /dev/stdout).
bool ToStandardOutput(const std::filesystem::path& output);
// The bytes to `output`: printed, or the file replaced whole; false after
// naming the problem.
bool WriteOutput(const std::filesystem::path& output, std::string_view bytes);

}  // namespace quillon::cli
