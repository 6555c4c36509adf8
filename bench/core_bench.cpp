// The core's steps, one picture at a time, in memory: reading and accepting a
// picture, the pixel queries the writer makes, the writer, the reader with its
// dot walk, and the two together, also through the command line's writer; and
// artwork onto the dots from a decoded photo and from a 122 x 32 picture.
#include "convert/artwork.h"
#include "convert/geometry.h"
#include "formats/listing_writer.h"
#include "files/replace_file.h"
#include "formats/formats.h"
#include "intake/bitmap_reader.h"
#include "preview/listing_reader.h"
#include "support/bmp_maker.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>

using namespace quillon;

namespace {

std::span<const std::uint8_t> Bytes(const QByteArray& file)
{
    return {reinterpret_cast<const std::uint8_t*>(file.constData()), static_cast<std::size_t>(file.size())};
}

const QByteArray& AcceptedFile()
{
    static const QByteArray file = test::MakeBmp(test::RandomPicture(1));
    return file;
}

ScanState CountedState()
{
    ScanState state;
    state.InfoHeader.biWidth = AcceptedWidth;
    state.InfoHeader.biHeight = AcceptedHeight;
    CountPagesAndBlocks(state);
    return state;
}

// Keeps every dot, as a window or a terminal would, at the least cost.
class DotArray final : public DotSurface {
public:
    void Erase() override { dots.fill(-1); }
    void SetDot(int x, int y, RgbValue colour) override
    {
        dots[static_cast<std::size_t>(y * AcceptedWidth + x)] = colour;
    }
    std::array<RgbValue, AcceptedWidth * AcceptedHeight> dots{};
};

std::string Listing(const MonoPicture& picture)
{
    ScanState state = CountedState();
    return WriteListing(state, ColourOf(picture.table[0]), [&picture](int x, int y) { return picture.Pixel(x, y); });
}

// Headers, colour table and the acceptance test. The picture is one column too
// wide, so reading stops at the rejection, before any pixel.
void HeadersAndAcceptance(benchmark::State& run)
{
    test::BmpRecipe recipe = test::RandomPicture(2);
    recipe.width = AcceptedWidth + 1;
    const QByteArray file = test::MakeBmp(recipe);
    for (auto _ : run) {
        PictureRead read = ReadPicture(Bytes(file));
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(HeadersAndAcceptance);

// The same for an accepted picture: its 32 rows decoded as well.
void ReadAcceptedPicture(benchmark::State& run)
{
    for (auto _ : run) {
        PictureRead read = ReadPicture(Bytes(AcceptedFile()));
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(ReadAcceptedPicture);

// The 3,904 pixel queries the writer makes, through the same kind of callable.
void PixelQueries(benchmark::State& run)
{
    const MonoPicture picture = ReadPicture(Bytes(AcceptedFile())).picture;
    const auto pixel = [&picture](int x, int y) { return picture.Pixel(x, y); };
    for (auto _ : run) {
        RgbValue sum = 0;
        for (int x = 0; x < AcceptedWidth; ++x) {
            for (int y = 0; y < AcceptedHeight; ++y)
                sum += pixel(x, y);
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(PixelQueries);

// The writer, into memory.
void WriteListingToMemory(benchmark::State& run)
{
    const MonoPicture picture = ReadPicture(Bytes(AcceptedFile())).picture;
    for (auto _ : run) {
        std::string listing = Listing(picture);
        benchmark::DoNotOptimize(listing);
    }
    run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations()) * 2760);
}
BENCHMARK(WriteListingToMemory);

// One listing line to its bits.
void DecodeOneLine(benchmark::State& run)
{
    const std::string line = "        DB 01H,80H,FFH,00H,3CH,A5H,0FH,F0H;";
    for (auto _ : run) {
        auto bits = DecodeLine(line);
        benchmark::DoNotOptimize(bits);
    }
}
BENCHMARK(DecodeOneLine);

// A whole listing read back: line splitting, decoding and the dot walk, as
// the tool reads a file (in pieces of any size), onto a surface it knows.
void ReadBack(const std::string& text, ScanState& state, DotArray& dots)
{
    dots.Erase();
    DrawPosition position;
    ListingPainter painter(state, position, dots);
    painter.Feed(text);
    painter.Finish();
}

void DecodeAndWalk(benchmark::State& run)
{
    const std::string text = Listing(ReadPicture(Bytes(AcceptedFile())).picture);
    ScanState state = CountedState();
    DotArray dots;
    for (auto _ : run) {
        ReadBack(text, state, dots);
        benchmark::DoNotOptimize(dots.dots.data());
    }
}
BENCHMARK(DecodeAndWalk);

// The same through the window's kind of surface, one virtual call a dot.
void DecodeAndWalkAnySurface(benchmark::State& run)
{
    const std::string text = Listing(ReadPicture(Bytes(AcceptedFile())).picture);
    ScanState state = CountedState();
    DotArray dots;
    for (auto _ : run) {
        DrawPosition position;
        ReadListingText(text, state, position, static_cast<DotSurface&>(dots));
        benchmark::DoNotOptimize(dots.dots.data());
    }
}
BENCHMARK(DecodeAndWalkAnySurface);

// Writer and reader together, as one picture goes through the tool and back.
void WriterReaderRoundTrip(benchmark::State& run)
{
    const MonoPicture picture = ReadPicture(Bytes(AcceptedFile())).picture;
    ScanState state = CountedState();
    DotArray dots;
    for (auto _ : run) {
        const std::string text = Listing(picture);
        ReadBack(text, state, dots);
        benchmark::DoNotOptimize(dots.dots.data());
    }
}
BENCHMARK(WriterReaderRoundTrip);

// The tool's round trip: a display image written in the listing format, as
// the command line writes it, and read back as the preview reads it.
void ToolRoundTrip(benchmark::State& run)
{
    const QByteArray& file = AcceptedFile();
    const ReadResult read =
        ReadPictureImage(std::string_view(file.constData(), static_cast<std::size_t>(file.size())), false);
    const Format& listing = *FindFormat("listing");
    ScanState state = CountedState();
    DotArray dots;
    for (auto _ : run) {
        const std::string text = listing.Write(*read, {});
        ReadBack(text, state, dots);
        benchmark::DoNotOptimize(dots.dots.data());
    }
}
BENCHMARK(ToolRoundTrip);

// Saving a listing to disk: temporary file, write, flush to disk, rename.
void SaveListingToDisk(benchmark::State& run)
{
    const std::string text = Listing(ReadPicture(Bytes(AcceptedFile())).picture);
    QTemporaryDir folder;
    const std::filesystem::path path = QFile::encodeName(folder.filePath("lcd_bench.txt")).toStdString();
    for (auto _ : run) {
        const bool written = files::ReplaceFile(path, text, files::Place::Derived).Ok();
        benchmark::DoNotOptimize(written);
    }
}
BENCHMARK(SaveListingToDisk)->Unit(benchmark::kMicrosecond);

}  // namespace

// Artwork onto the dots from a decoded 1920 x 1080 picture, decoding aside:
// orient, fit, resample, luminance and Floyd-Steinberg, as one call.
void ArtworkFromPhoto(benchmark::State& run)
{
    PictureImage picture{1920, 1080, std::vector<std::uint8_t>(1920 * 1080 * 4)};
    for (std::size_t i = 0; i < picture.rgba.size(); ++i)
        picture.rgba[i] = static_cast<std::uint8_t>(i % 4 == 3 ? 255 : (i * 2654435761u) >> 24);
    ArtworkOptions options;
    options.dither = Dither::FloydSteinberg;
    for (auto _ : run)
        benchmark::DoNotOptimize(ConvertArtwork(picture, options));
}
BENCHMARK(ArtworkFromPhoto)->Unit(benchmark::kMillisecond);

// The same from a 122 x 32 picture, which is never resampled.
void ArtworkExactSize(benchmark::State& run)
{
    PictureImage picture{122, 32, std::vector<std::uint8_t>(122 * 32 * 4, 255)};
    for (auto _ : run)
        benchmark::DoNotOptimize(ConvertArtwork(picture, ArtworkOptions{}));
}
BENCHMARK(ArtworkExactSize)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
