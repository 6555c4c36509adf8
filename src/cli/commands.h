// The commands of quillon-cli and the exit codes they answer with.
#pragma once

#include "cli/artwork_options.h"
#include "formats/formats.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillon::cli {

enum ExitCode : int {
    AllGood = 0,
    Differences = 1,  // --check found a missing or stale listing
    BadFile = 2,      // a picture was rejected, or a file could not be read or written
    UsageError = 64,  // the command line was not understood (EX_USAGE)
};

struct ConvertOptions {
    std::vector<std::filesystem::path> inputs;  // pictures or tables; "-" is standard input
    const Format* format = nullptr;             // what to write
    std::string label;                          // before the data, or the C array's name
    bool inverse = false;                       // light the pixels of the second colour-table entry
    bool check = false;                         // write nothing, compare with the files on disk
    bool quiet = false;                         // print no paths
    bool hasOutput = false;
    std::filesystem::path output;  // "-" for standard output
    PictureOptions picture;        // how pictures other than an exact BMP become dots
};

ExitCode RunConvert(const ConvertOptions& options);

struct PreviewOptions {
    std::filesystem::path file;  // a table or a picture; "-" is standard input
    PictureOptions picture;
    bool inverse = false;
    std::filesystem::path png;  // write the dots there as a PNG picture instead, when not empty
    int scale = 4;              // pixels a dot, each way, in the PNG
};

ExitCode RunPreview(const PreviewOptions& options);

// Dots as preview prints them, a row of '#' (set), '.' (clear) and ' ' (never
// painted) each.
using DotRows = std::array<std::string, DisplayHeight>;
DotRows RowsOf(const DisplayImage& image);

// The dots of options.file read as preview reads it: a listing by the
// window's reader, another table whole, a picture with the picture options.
// Its problems are named on stderr; nothing when it cannot be shown at all.
struct FileDots {
    DotRows rows;
    bool complete = true;  // no dot left unpainted, no line unread
};
std::optional<FileDots> ReadFileDots(const PreviewOptions& options);

// The dots printed, or with options.png written as a PNG picture; then the
// exit code, BadFile when not complete.
ExitCode ShowDots(const DotRows& rows, const PreviewOptions& options, bool complete);

// quillon-cli glass: its options added to the command line, and the run once
// it was parsed.
CLI::App* AddGlassCommand(CLI::App& app);
ExitCode RunGlassCommand();

}  // namespace quillon::cli
