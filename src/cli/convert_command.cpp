// quillon-cli convert: each picture read and accepted or rejected exactly as the
// main window does it, then written as its listing, or compared with the one on
// disk (--check).
#include "cli/commands.h"
#include "cli/messages.h"
#include "convert/geometry.h"
#include "convert/listing_writer.h"
#include "files/input_file.h"
#include "files/replace_file.h"
#include "intake/bitmap_reader.h"
#include "intake/listing_name.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quillon::cli {

namespace {

// The listing the window would write for this picture, or nothing after
// naming the picture's problem on stderr.
std::optional<std::string> ListingFor(const std::filesystem::path& picturePath, bool inverse)
{
    std::string problem;
    const auto bytes = files::ReadStart(picturePath, ReadLimit, "a picture file", problem);
    if (!bytes) {
        Problem(picturePath, "cannot be read: " + OneLine(problem));
        return std::nullopt;
    }
    const PictureRead read = ReadPicture(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), static_cast<std::size_t>(bytes->size())));
    switch (read.outcome) {
        case PictureRead::Outcome::Unreadable:
            Problem(picturePath, "cannot be read: " + OneLine(read.problem));
            return std::nullopt;
        case PictureRead::Outcome::Rejected:
            Problem(picturePath, std::string(SizeErrorTitle) + ": " + OneLine(SizeErrorPrompt()));
            return std::nullopt;
        case PictureRead::Outcome::Accepted:
            break;
    }

    SharedState state;
    state.FileHeader = read.fileHeader;
    state.InfoHeader = read.infoHeader;
    CountPagesAndBlocks(state);
    const RgbValue onColour = ColourOf(read.colourTable[inverse ? 1 : 0]);
    const MonoPicture& picture = read.picture;
    return WriteListing(state, onColour, [&picture](int x, int y) { return picture.Pixel(x, y); });
}

// Where the listing of `picturePath` goes without --output: beside the
// picture, in the folder as the user spelled it ("pic.bmp" gives "lcd_pic.txt").
std::filesystem::path ListingBeside(const std::filesystem::path& picturePath)
{
    return ListingPath(picturePath.parent_path(), picturePath.filename());
}

enum class Comparison { Same, Missing, Stale, Unreadable };

Comparison CompareWithDisk(const std::filesystem::path& listingPath, const std::string& listing)
{
    std::error_code error;
    if (!std::filesystem::exists(listingPath, error))
        return Comparison::Missing;
    std::string problem;
    // One byte more than the listing tells a longer file from an equal one.
    const auto onDisk = files::ReadStart(listingPath, listing.size() + 1, "a listing", problem);
    if (!onDisk) {
        Problem(listingPath, "cannot be read: " + OneLine(problem));
        return Comparison::Unreadable;
    }
    return *onDisk == listing ? Comparison::Same : Comparison::Stale;
}

}  // namespace

ExitCode RunConvert(const ConvertOptions& options)
{
    // "-o -" and "-o /dev/stdout" (or any name of the file standard output
    // goes to) both mean standard output.
    const bool toStdout = options.hasOutput && (options.output == "-" || (!options.check && [&] {
                                                    const auto output = files::IdentityOf(options.output);
                                                    return output && output == files::IdentityOfStandardOutput();
                                                }()));
    bool badFile = false;
    bool differences = false;

    // No listing may take the place of a file this call reads.
    std::map<files::FileId, std::filesystem::path> inputs;
    if (!options.check && !toStdout) {
        for (const std::filesystem::path& picture : options.pictures) {
            if (const auto id = files::IdentityOf(picture))
                inputs.emplace(*id, picture);
        }
    }

    std::set<std::filesystem::path> folders;
    std::vector<std::filesystem::path> written;
    for (const std::filesystem::path& picturePath : options.pictures) {
        const std::optional<std::string> listing = ListingFor(picturePath, options.inverse);
        if (!listing) {
            badFile = true;
            continue;
        }
        if (toStdout) {
            Emit(*listing);
            continue;
        }
        const std::filesystem::path listingPath = options.hasOutput ? options.output : ListingBeside(picturePath);
        if (options.check) {
            switch (CompareWithDisk(listingPath, *listing)) {
                case Comparison::Same:
                    break;
                case Comparison::Missing:
                    Problem(listingPath, "missing; it would be written from " + PathText(picturePath));
                    differences = true;
                    break;
                case Comparison::Stale:
                    Problem(listingPath, "out of date; it differs from what " + PathText(picturePath) + " gives");
                    differences = true;
                    break;
                case Comparison::Unreadable:
                    badFile = true;
                    break;
            }
            continue;
        }
        if (const auto id = files::IdentityOf(listingPath); id && inputs.count(*id)) {
            const std::filesystem::path& input = inputs.at(*id);
            Problem(listingPath,
                    input == picturePath
                        ? "cannot be written: it is the picture itself; it is left as it is"
                        : "cannot be written: it is " + PathText(input) + ", given to be read; it is left as it is");
            badFile = true;
            continue;
        }
        const std::string problem =
            files::ReplaceFile(listingPath, *listing, options.hasOutput ? files::Place::Given : files::Place::Derived);
        if (!problem.empty()) {
            Problem(listingPath, "cannot be written: " + OneLine(problem));
            badFile = true;
            continue;
        }
        Say(PathText(listingPath));
    }

    if (!StdoutIntact())
        return BadFile;
    if (badFile)
        return BadFile;
    return differences ? Differences : AllGood;
}

}  // namespace quillon::cli
