// The two commands of quillon-cli and the exit codes they answer with.
#pragma once

#include "cli/artwork_options.h"
#include "formats/formats.h"

#include <filesystem>
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

}  // namespace quillon::cli
