// Any bytes as a whole listing, read back and walked as the preview does for a
// 122 x 32 picture. Every dot must land on the display, in one of the two dot
// colours, in the listing's byte order (block, page, column, row), so never
// twice in one reading, and the reading must end.
#include "convert/geometry.h"
#include "fuzz_check.h"
#include "preview/listing_reader.h"

#include <QBuffer>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SharedState state;
    state.InfoHeader.biWidth = Width;
    state.InfoHeader.biHeight = Height;
    CountPagesAndBlocks(state);

    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    FUZZ_CHECK(buffer.open(QIODevice::ReadOnly), "the buffer does not open");

    CheckedSurface surface;
    surface.painted.fill(true);  // the reading must erase first
    DrawPosition position;
    const QString problem = ReadListingFrom(buffer, state, position, surface);
    FUZZ_CHECK(problem.isEmpty(), "a buffer could not be read: %s", qPrintable(problem));
    FUZZ_CHECK(surface.count <= Width * Height, "%d dots painted", surface.count);
    FUZZ_CHECK(position.DrawBlock >= 1 && position.DrawBlock <= 3, "walk stopped in block %d",
               std::int32_t{position.DrawBlock});
    return 0;
}
