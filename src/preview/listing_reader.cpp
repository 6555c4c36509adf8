#include "preview/listing_reader.h"

#include "files/input_file.h"

#include <array>

namespace quillon {

namespace {

constexpr std::size_t PrefixLength = 11;
constexpr std::size_t SuffixLength = 2;

}  // namespace

std::optional<std::string> DecodeLine(std::string_view line)
{
    if (line.size() < PrefixLength + SuffixLength)
        return std::nullopt;
    const std::string_view kept = line.substr(PrefixLength, line.size() - PrefixLength - SuffixLength);
    // Every "H," removed, left to right, not overlapping; then each digit
    // expanded where it stands. Expanding "0", then "1", ... "F" in turn over
    // the whole string gives the same: after "0" and "1" each expansion inserts
    // only those two, which no later one expands again.
    std::string binary;
    binary.reserve(kept.size() * 4);
    for (std::size_t at = 0; at < kept.size(); ++at) {
        const char c = kept[at];
        if ((c == 'H' || c == 'h') && at + 1 < kept.size() && kept[at + 1] == ',') {
            ++at;
            continue;
        }
        const int value = detail::HexValue(c);
        if (value < 0)
            binary += c;
        else
            binary.append(detail::Expansions[value], 4);
    }
    return binary;
}

void ReadListingText(std::string_view text, ScanState& state, DrawPosition& position, DotSurface& surface)
{
    surface.Erase();
    position = DrawPosition{};
    ListingPainter painter(state, position, surface);
    painter.Feed(text);
    painter.Finish();
}

std::string ReadListing(const std::filesystem::path& path, ScanState& state, DrawPosition& position,
                        DotSurface& surface)
{
    surface.Erase();
    position = DrawPosition{};
    std::string problem;
    std::optional<files::InputFile> file = files::InputFile::Open(path, "a listing", problem);
    if (!file)
        return problem;

    ListingPainter painter(state, position, surface);
    std::array<char, 64 * 1024> chunk{};
    // Once every block is painted, no further line can change a dot.
    while (!painter.Complete()) {
        const std::ptrdiff_t got = file->Read(chunk.data(), chunk.size(), problem);
        if (got < 0) {
            surface.Erase();
            return problem;
        }
        if (got == 0)
            break;
        painter.Feed(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
    }
    painter.Finish();
    return {};
}

}  // namespace quillon
