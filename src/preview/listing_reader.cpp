#include "preview/listing_reader.h"

#include "convert/geometry.h"
#include "files/input_file.h"

#include <algorithm>
#include <array>

namespace quillon {

std::optional<std::string> DecodeLine(std::string_view line)
{
    if (line.size() < ListingLineCut + ListingLineTail)
        return std::nullopt;
    const std::string_view kept = line.substr(ListingLineCut, line.size() - ListingLineCut - ListingLineTail);
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

Result<void> ReadListing(const std::filesystem::path& path, ScanState& state, DrawPosition& position,
                         DotSurface& surface)
{
    surface.Erase();
    position = DrawPosition{};
    Result<files::InputFile> file = files::InputFile::Open(path, "a listing");
    if (!file)
        return Failure{file.Error()};

    ListingPainter painter(state, position, surface);
    std::array<char, 64 * 1024> chunk{};
    // Once every block is painted, no further line can change a dot.
    while (!painter.Complete()) {
        const Result<std::size_t> got = file->Read(chunk.data(), chunk.size());
        if (!got) {
            surface.Erase();
            return Failure{got.Error()};
        }
        if (*got == 0)
            break;
        painter.Feed(std::string_view(chunk.data(), *got));
    }
    painter.Finish();
    return {};
}

namespace {

class PaintGrid final : public DotSurface {
public:
    void Erase() override { paints.fill(DotPaint::Unpainted); }
    void SetDot(int x, int y, RgbValue colour) override
    {
        if (x >= 0 && x < DisplayWidth && y >= 0 && y < DisplayHeight)
            paints[static_cast<std::size_t>(y * DisplayWidth + x)] = colour == SetDotColour     ? DotPaint::Set
                                                                     : colour == ClearDotColour ? DotPaint::Clear
                                                                                                : DotPaint::Unpainted;
    }
    DotPaints paints{};
};

}  // namespace

struct ListingPaints::Reading {
    ScanState state = DisplayScanState();
    DrawPosition position;
    PaintGrid grid;
    ListingPainter<PaintGrid> painter{state, position, grid};
};

ListingPaints::ListingPaints() : reading_(std::make_unique<Reading>()) {}
ListingPaints::~ListingPaints() = default;

void ListingPaints::OnLine(std::function<void(const LineFacts&)> call)
{
    reading_->painter.onLine = std::move(call);
}

void ListingPaints::Feed(std::string_view text)
{
    reading_->painter.Feed(text);
}

void ListingPaints::Finish()
{
    reading_->painter.Finish();
}

const DotPaints& ListingPaints::Paints() const
{
    return reading_->grid.paints;
}

int ListingPaints::Unpainted() const
{
    const DotPaints& paints = reading_->grid.paints;
    return static_cast<int>(std::count(paints.begin(), paints.end(), DotPaint::Unpainted));
}

}  // namespace quillon
