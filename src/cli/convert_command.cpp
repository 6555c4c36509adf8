// quillon-cli convert: each picture read and accepted or rejected exactly as the
// main window does it, or a table in any format read back, then written in the
// chosen format, or compared with the file on disk (--check).
#include "cli/artwork_options.h"
#include "cli/commands.h"
#include "cli/messages.h"
#include "files/input_file.h"
#include "files/replace_file.h"
#include "formats/formats.h"
#include "intake/bitmap_reader.h"
#include "intake/listing_name.h"

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillon::cli {

namespace {

bool IsStandardInput(const std::filesystem::path& path)
{
    return path == "-";
}

// The name messages give an input by.
std::string InputName(const std::filesystem::path& input)
{
    return IsStandardInput(input) ? "standard input" : PathText(input);
}

Result<std::string> ReadInput(const std::filesystem::path& input)
{
    // One byte more tells a picture too large to read from one that fits.
    if (!IsStandardInput(input))
        return files::ReadStart(input, ReadLimit + 1, "a picture file");
    files::InputFile standardInput = files::InputFile::StandardInput();
    return files::ReadStart(standardInput, ReadLimit + 1);
}

struct Input {
    DisplayImage image;
    bool picture = false;  // a picture, not a table in one of the formats
};

// What a picture too large to read is told by, once its first bytes show it.
void TooLarge(const std::filesystem::path& input)
{
    ProblemAt(InputName(input),
              "is larger than " + std::to_string(ReadLimit >> 20) + " MiB, more than quillon-cli reads of a picture");
}

bool IsLargePicture(const std::string& bytes)
{
    return LooksLikePicture(bytes) && !bytes.starts_with("BM");  // a BMP is read ReadLimit far, as the window does
}

// The display image of one input, or nothing after naming its problem on
// stderr. A file in one of the table formats is read as that format; anything
// else is read as a picture.
std::optional<Input> ReadImage(const std::filesystem::path& input, const ConvertOptions& options)
{
    std::error_code error;
    // A large file's first bytes tell a picture without holding the rest.
    if (!IsStandardInput(input) && std::filesystem::file_size(input, error) > ReadLimit && !error) {
        const Result<std::string> head = files::ReadStart(input, 16, "a picture file");
        if (head && IsLargePicture(*head)) {
            TooLarge(input);
            return std::nullopt;
        }
    }
    Result<std::string> bytes = ReadInput(input);
    if (!bytes) {
        ProblemAt(InputName(input), "cannot be read: " + OneLine(bytes.Error()));
        return std::nullopt;
    }
    const Format* format = DetectFormat(*bytes);
    if (format && format->name != "bmp") {
        if (options.inverse) {
            ProblemAt(InputName(input), "--inverse picks a picture's colour; this is a table (" +
                                            std::string(format->name) + "), nothing to pick");
            return std::nullopt;
        }
        const ReadResult read = format->read(*bytes);
        if (!read.Ok()) {
            ProblemAt(InputName(input),
                      "cannot be read as " + std::string(format->name) + ": " + OneLine(read.Error()));
            return std::nullopt;
        }
        return Input{*read, false};
    }
    if (bytes->size() > ReadLimit) {
        if (IsLargePicture(*bytes)) {
            TooLarge(input);
            return std::nullopt;
        }
        bytes->resize(ReadLimit);
    }
    const std::optional<DisplayImage> dots = PictureDots(*bytes, InputName(input), options.picture, options.inverse);
    if (!dots)
        return std::nullopt;
    return Input{*dots, true};
}

// Whether a file's name ends in the extension of a picture format other than
// BMP (.png, .gif, .jpg, .jpeg, .pnm, .pbm, .pgm, .ppm, .pam), in any case.
bool NamedAsArtwork(const std::filesystem::path& input)
{
    std::string extension = PathText(input.extension());
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (const char* other : {".png", ".gif", ".jpg", ".jpeg", ".pnm", ".pbm", ".pgm", ".ppm", ".pam"}) {
        if (extension == other)
            return true;
    }
    return false;
}

// Where the output for `input` goes without --output: beside it. A picture's
// listing keeps the window's name (lcd_ and every ".bmp" made ".txt") unless
// the name ends as another picture format's (lcd_logo.txt for logo.png);
// every other output is lcd_<stem> and the format's own extension.
std::filesystem::path OutputBeside(const std::filesystem::path& input, const Input& read, const Format& format)
{
    if (read.picture && format.name == "listing" && !NamedAsArtwork(input))
        return ListingPath(input.parent_path(), input.filename());
    return input.parent_path() / PathFromText(DefaultOutputName(format, OutputStem(PathText(input.filename()))));
}

enum class Comparison { Same, Missing, Stale, Unreadable };

Comparison CompareWithDisk(const std::filesystem::path& outputPath, const std::string& bytes)
{
    std::error_code error;
    if (!std::filesystem::exists(outputPath, error))
        return Comparison::Missing;
    // One byte more tells a longer file from an equal one.
    const Result<std::string> onDisk = files::ReadStart(outputPath, bytes.size() + 1, "a listing");
    if (!onDisk) {
        Problem(outputPath, "cannot be read: " + OneLine(onDisk.Error()));
        return Comparison::Unreadable;
    }
    return *onDisk == bytes ? Comparison::Same : Comparison::Stale;
}

}  // namespace

ExitCode RunConvert(const ConvertOptions& options)
{
    const Format& format = *options.format;
    // "-o -" and "-o /dev/stdout" (or any name of the file standard output
    // goes to) both mean standard output.
    const bool toStdout = options.hasOutput && (options.output == "-" || (!options.check && [&] {
                                                    const auto output = files::IdentityOf(options.output);
                                                    return output && output == files::IdentityOfStandardOutput();
                                                }()));
    bool badFile = false;
    bool differences = false;

    // No output may take the place of a file this call reads.
    std::map<files::FileId, std::filesystem::path> inputs;
    if (!options.check && !toStdout) {
        for (const std::filesystem::path& input : options.inputs) {
            if (const auto id = IsStandardInput(input) ? std::nullopt : files::IdentityOf(input))
                inputs.emplace(*id, input);
        }
    }

    std::vector<std::filesystem::path> written;
    // Files written but not yet in place, committed together: their bytes
    // reach the disk in one go, then each takes its place (CommitAll).
    std::vector<std::unique_ptr<files::Replacement>> pending;
    std::vector<std::filesystem::path> pendingPaths;
    const auto commitPending = [&] {
        const std::vector<Result<void>> committed = files::CommitAll(pending);
        for (std::size_t k = 0; k < pending.size(); ++k) {
            if (committed[k]) {
                written.push_back(pendingPaths[k]);
            } else {
                Problem(pendingPaths[k], "cannot be written: " + OneLine(committed[k].Error()));
                badFile = true;
            }
        }
        pending.clear();
        pendingPaths.clear();
    };
    for (const std::filesystem::path& input : options.inputs) {
        const std::optional<Input> read = ReadImage(input, options);
        if (!read) {
            badFile = true;
            continue;
        }
        const std::string bytes = format.write(read->image, WriteOptions{options.label, PathText(input.filename())});
        if (toStdout) {
            Emit(bytes);
            continue;
        }
        const std::filesystem::path outputPath =
            options.hasOutput ? options.output : OutputBeside(input, *read, format);
        if (options.check) {
            switch (CompareWithDisk(outputPath, bytes)) {
                case Comparison::Same:
                    break;
                case Comparison::Missing:
                    Problem(outputPath, "missing; it would be written from " + InputName(input));
                    differences = true;
                    break;
                case Comparison::Stale:
                    Problem(outputPath, "out of date; it differs from what " + InputName(input) + " gives");
                    differences = true;
                    break;
                case Comparison::Unreadable:
                    badFile = true;
                    break;
            }
            continue;
        }
        if (const auto id = files::IdentityOf(outputPath); id && inputs.count(*id)) {
            const std::filesystem::path& other = inputs.at(*id);
            const std::string itself = read->picture ? "the picture itself" : "the input itself";
            Problem(outputPath, other == input ? "cannot be written: it is " + itself + "; it is left as it is"
                                               : "cannot be written: it is " + PathText(other) +
                                                     ", given to be read; it is left as it is");
            badFile = true;
            continue;
        }
        Result<std::unique_ptr<files::Replacement>> replacement =
            files::BeginReplacement(outputPath, options.hasOutput ? files::Place::Given : files::Place::Derived);
        Result<void> written = replacement ? (*replacement)->Write(bytes) : Failure{replacement.Error()};
        if (written)
            written = (*replacement)->Close();
        if (!written) {
            Problem(outputPath, "cannot be written: " + OneLine(written.Error()));
            badFile = true;
            continue;
        }
        pending.push_back(std::move(*replacement));
        pendingPaths.push_back(outputPath);
        if (pending.size() == files::MostPending)
            commitPending();
    }
    // Each file's bytes reach the disk before it takes its place, and its name
    // with its folder, once a folder for the batch, before it is named here.
    commitPending();
    if (!options.quiet) {
        for (const std::filesystem::path& outputPath : written)
            Say(PathText(outputPath));
    }

    if (!StdoutIntact())
        return BadFile;
    if (badFile)
        return BadFile;
    return differences ? Differences : AllGood;
}

}  // namespace quillon::cli
