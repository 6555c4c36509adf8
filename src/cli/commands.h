// The two commands of quillon-cli and the exit codes they answer with.
#pragma once

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
};

ExitCode RunConvert(const ConvertOptions& options);

ExitCode RunPreview(const std::filesystem::path& file);

}  // namespace quillon::cli
