// Any bytes as a whole listing, read back and walked as the preview does for a
// 122 x 32 picture. Every dot must land on the display, in one of the two dot
// colours, in the listing's byte order (block, page, column, row), so never
// twice in one reading, and the reading must end. The streaming reader, fed
// in pieces of any size, must paint exactly what decoding each whole line and
// walking it paints, and the walk must paint what a plain row by row walk
// paints and end where it ends.
#include "convert/geometry.h"
#include "fuzz_check.h"
#include "preview/listing_reader.h"

#include <array>
#include <cstddef>
#include <cstdint>

using namespace quillon;

namespace {

constexpr int Width = 122;
constexpr int Height = 32;

class CheckedSurface : public DotSurface {
public:
    void Erase() override
    {
        painted.fill(false);
        count = 0;
        last = -1;
    }
    void SetDot(int x, int y, RgbValue colour) override
    {
        FUZZ_CHECK(x >= 0 && x < Width && y >= 0 && y < Height, "dot (%d, %d) is off the display", x, y);
        FUZZ_CHECK(colour == ClearDotColour || colour == SetDotColour, "dot (%d, %d) in colour %d", x, y, colour);
        bool& dot = painted[static_cast<std::size_t>(y * Width + x)];
        FUZZ_CHECK(!dot, "dot (%d, %d) painted twice", x, y);
        dot = true;
        ++count;
        // Place in the walk: blocks of 61 columns, pages of 8 rows, then column, then row.
        const int order = x / 61 * 1952 + y / 8 * 488 + x % 61 * 8 + y % 8;
        FUZZ_CHECK(order > last, "dot (%d, %d) painted after a later one", x, y);
        last = order;
    }

    std::array<bool, Width * Height> painted{};
    int count = 0;
    int last = -1;
};

// The walk as plainly as it can be written: one dot at a time, every step
// through the position's guarded fields.
void RowByRowWalk(ScanState& state, DrawPosition& position, std::string_view bits, DotSurface& surface)
{
    std::size_t next = 0;  // the next group's first character
    for (;;) {
        if (WalkComplete(state, position))
            return;
        EnterBlock(state, position.DrawBlock);
        while (position.DrawPage <= state.PageCount) {
            EnterPage(state, position.DrawPage);
            for (;;) {
                position.DrawRow = state.RowStart;
                if (position.DrawX > state.ColEnd)
                    break;
                if (next + 8 > bits.size())
                    return;
                while (position.DrawRow <= state.RowEnd) {
                    // Each group is taken from its last character back.
                    const char bit = bits[next + 7 - static_cast<std::size_t>(position.DrawRow - state.RowStart)];
                    if (bit == '0' || bit == '1')
                        surface.SetDot(position.DrawX, position.DrawRow, bit == '1' ? SetDotColour : ClearDotColour);
                    position.DrawRow = position.DrawRow + 1;
                }
                next += 8;
                position.DrawX = Guard32(std::int64_t{position.DrawX} + 1);
            }
            position.DrawX = state.ColStart;
            position.DrawPage = Guard32(std::int64_t{position.DrawPage} + 1);
        }
        position.DrawPage = 1;
        position.DrawBlock = position.DrawBlock + 1;
        EnterBlock(state, position.DrawBlock);
        position.DrawX = state.ColStart;
    }
}

bool SamePlace(const DrawPosition& a, const DrawPosition& b)
{
    return a.DrawX == b.DrawX && std::int32_t{a.DrawRow} == std::int32_t{b.DrawRow} && a.DrawPage == b.DrawPage &&
           std::int32_t{a.DrawBlock} == std::int32_t{b.DrawBlock};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ScanState state;
    state.InfoHeader.biWidth = Width;
    state.InfoHeader.biHeight = Height;
    CountPagesAndBlocks(state);

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckedSurface surface;
    surface.painted.fill(true);  // the reading must erase first
    DrawPosition position;
    ReadListingText(text, state, position, surface);
    FUZZ_CHECK(surface.count <= Width * Height, "%d dots painted", surface.count);
    FUZZ_CHECK(position.DrawBlock >= 1 && position.DrawBlock <= 3, "walk stopped in block %d",
               std::int32_t{position.DrawBlock});

    // The same bytes in pieces of 1 to 8 bytes, the size taken from the input.
    CheckedSurface pieces;
    DrawPosition piecesPosition;
    ListingPainter painter(state, piecesPosition, pieces);
    const std::size_t piece = size > 0 ? data[0] % 8 + 1 : 1;
    for (std::size_t at = 0; at < size; at += piece)
        painter.Feed(text.substr(at, piece));
    painter.Finish();

    // Each whole line decoded, then walked, by the walk and by the plain one:
    // lines end at CR LF, CR or LF.
    CheckedSurface lines;
    DrawPosition linesPosition;
    CheckedSurface plain;
    DrawPosition plainPosition;
    ScanState plainState = state;
    std::string line;
    const auto paint = [&] {
        if (const auto bits = DecodeLine(line)) {
            DrawBits(state, linesPosition, *bits, lines);
            RowByRowWalk(plainState, plainPosition, *bits, plain);
        }
        line.clear();
    };
    for (std::size_t at = 0; at < size; ++at) {
        const char c = text[at];
        if (c == '\r' || (c == '\n' && (at == 0 || text[at - 1] != '\r')))
            paint();
        else if (c != '\n')
            line += c;
    }
    paint();

    FUZZ_CHECK(pieces.painted == surface.painted && pieces.count == surface.count,
               "read in pieces of %zu bytes, other dots are painted", piece);
    FUZZ_CHECK(lines.painted == surface.painted && lines.count == surface.count,
               "read as whole lines, other dots are painted");
    FUZZ_CHECK(plain.painted == lines.painted && plain.count == lines.count,
               "the walk paints other dots than the plain walk");
    FUZZ_CHECK(
        SamePlace(piecesPosition, position) && SamePlace(linesPosition, position) && SamePlace(plainPosition, position),
        "the walks end in different places");
    FUZZ_CHECK(plainState.ColStart == state.ColStart && plainState.ColEnd == state.ColEnd &&
                   plainState.RowStart == state.RowStart && plainState.RowEnd == state.RowEnd,
               "the walks leave different scan windows");
    return 0;
}
