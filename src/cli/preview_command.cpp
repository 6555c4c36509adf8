// quillon-cli preview: a listing read back by the preview window's own reader
// and dot walk, its 122 x 32 dots printed as text.
#include "cli/commands.h"
#include "cli/messages.h"
#include "convert/geometry.h"
#include "files/input_file.h"
#include "files/replace_file.h"
#include "formats/formats.h"
#include "intake/bitmap_reader.h"
#include "preview/dots_png.h"
#include "preview/listing_reader.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace quillon::cli {

namespace {

constexpr char SetChar = '#';    // a "1" bit, black in the window
constexpr char ClearChar = '.';  // a "0" bit, green in the window
constexpr char BlankChar = ' ';

// Lines named one by one; past this many a listing is plainly no listing.
constexpr std::size_t MostLinesNamed = 100;

// The dots as characters, one string per row.
class TextDots final : public DotSurface {
public:
    TextDots() { Erase(); }
    void Erase() override { rows_.fill(std::string(AcceptedWidth, BlankChar)); }
    void SetDot(int x, int y, RgbValue colour) override
    {
        if (x < 0 || x >= AcceptedWidth || y < 0 || y >= AcceptedHeight)
            return;
        rows_[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = colour == SetDotColour     ? SetChar
                                                                          : colour == ClearDotColour ? ClearChar
                                                                                                     : BlankChar;
    }
    const std::array<std::string, AcceptedHeight>& Rows() const { return rows_; }
    int Unpainted() const
    {
        int count = 0;
        for (const std::string& row : rows_)
            count += static_cast<int>(std::count(row.begin(), row.end(), BlankChar));
        return count;
    }

private:
    std::array<std::string, AcceptedHeight> rows_;
};

// Whether the reader makes whole bytes of this line.
bool ReadWhole(const LineFacts& line)
{
    return line.length >= 13 && !line.foreign && line.bits % 8 == 0;
}

// Why the reader cannot make whole bytes of this line (one not ReadWhole).
std::string LineProblem(const LineFacts& line)
{
    if (line.length < 13)
        return "too short for a listing line; skipped";
    if (line.foreign)
        return "holds characters that are not hexadecimal digits; their dots are left unpainted";
    if (line.bits % 8 != 0)
        return "ends in part of a byte; its last " + std::to_string(line.bits % 8) + " bits are ignored";
    return {};
}

// As convert answers --inverse with a table.
void RefuseInverse(std::string_view name, std::string_view format)
{
    ProblemAt(name,
              "--inverse picks a picture's colour; this is a table (" + std::string(format) + "), nothing to pick");
}

// A table in a format other than the listing, read whole as convert reads it,
// or a picture, converted as convert converts it. Not handled when it is a
// listing (or nothing known) and the window's reader is to show it; handled
// without dots when its problem was named. A DB file the tolerant reader
// cannot take whole is shown by the window's reader too, as a damaged listing.
struct OtherFormat {
    bool handled = false;
    std::optional<DisplayImage> dots;
};

OtherFormat PreviewOtherFormat(std::string_view bytes, std::string_view name, const PreviewOptions& options)
{
    const Format* format = DetectFormat(bytes);
    if (LooksLikePicture(bytes) && (!format || format->name == "bmp"))
        return {true, PictureDots(bytes, name, options.picture, options.inverse)};
    if (!format || format->name == "listing")
        return {};
    if (options.inverse) {
        RefuseInverse(name, format->name);
        return {true, std::nullopt};
    }
    const ReadResult read = format->read(bytes);
    if (!read.Ok()) {
        if (format->name == "a51")
            return {};
        ProblemAt(name, "cannot be read as " + std::string(format->name) + ": " + OneLine(read.Error()));
        return {true, std::nullopt};
    }
    return {true, *read};
}

}  // namespace

// The dots shown: printed, or with --png written as a picture; then the
// exit code. A preview that lost dots or lines writes no picture.
ExitCode ShowDots(const DotRows& rows, const PreviewOptions& options, bool complete)
{
    if (options.png.empty()) {
        for (const std::string& row : rows)
            Say(row);
        return !StdoutIntact() ? BadFile : complete ? AllGood : BadFile;
    }
    if (!complete)
        return BadFile;
    DotPaints paints;
    for (int y = 0; y < AcceptedHeight; ++y) {
        for (int x = 0; x < AcceptedWidth; ++x) {
            const char dot = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            paints[static_cast<std::size_t>(y * AcceptedWidth + x)] = dot == SetChar     ? DotPaint::Set
                                                                      : dot == ClearChar ? DotPaint::Clear
                                                                                         : DotPaint::Unpainted;
        }
    }
    const Result<std::string> png = DotsPng(paints, options.scale);
    const Result<void> written =
        png ? files::ReplaceFile(options.png, *png, files::Place::Given) : Failure{png.Error()};
    if (!written) {
        Problem(options.png, "cannot be written: " + OneLine(written.Error()));
        return BadFile;
    }
    return AllGood;
}

DotRows RowsOf(const DisplayImage& image)
{
    DotRows rows;
    for (int y = 0; y < AcceptedHeight; ++y) {
        rows[static_cast<std::size_t>(y)].assign(AcceptedWidth, ClearChar);
        for (int x = 0; x < AcceptedWidth; ++x) {
            if (image.Dot(x, y))
                rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = SetChar;
        }
    }
    return rows;
}

std::optional<FileDots> ReadFileDots(const PreviewOptions& options)
{
    const std::filesystem::path& listing = options.file;
    const bool standardInput = listing == "-";
    const std::string name = standardInput ? "standard input" : PathText(listing);
    Result<files::InputFile> file =
        standardInput ? files::InputFile::StandardInput() : files::InputFile::Open(listing, "a listing");
    if (!file) {
        ProblemAt(name, "cannot be read: " + OneLine(file.Error()));
        return std::nullopt;
    }

    // A file small enough to be a table of another format is read whole first;
    // a larger one is streamed as a listing, never held.
    // A picture larger than that is refused, told by its first bytes.
    std::error_code error;
    const bool small = standardInput || std::filesystem::file_size(listing, error) <= ReadLimit || error;
    Result<std::string> head = files::ReadStart(*file, small ? ReadLimit + 1 : 16);
    if (!head) {
        ProblemAt(name, "cannot be read: " + OneLine(head.Error()));
        return std::nullopt;
    }
    const std::string start = std::move(*head);
    if (start.size() <= ReadLimit) {
        if (!small && LooksLikePicture(start) && !start.starts_with("BM")) {
            ProblemAt(name, "is larger than " + std::to_string(ReadLimit >> 20) +
                                " MiB, more than quillon-cli reads of a picture");
            return std::nullopt;
        }
        if (const OtherFormat other = small ? PreviewOtherFormat(start, name, options) : OtherFormat{}; other.handled)
            return other.dots ? std::optional(FileDots{RowsOf(*other.dots), true}) : std::nullopt;
    }

    if (options.inverse) {
        RefuseInverse(name, "listing");
        return std::nullopt;
    }

    // The counts a conversion of an accepted picture leaves for the walk.
    ScanState state;
    state.InfoHeader.biWidth = AcceptedWidth;
    state.InfoHeader.biHeight = AcceptedHeight;
    CountPagesAndBlocks(state);

    // The whole file is read, in pieces, so that every line that cannot be
    // read whole is named, including those past the last painted dot.
    TextDots dots;
    DrawPosition position;
    ListingPainter painter(state, position, dots);
    std::vector<std::pair<std::uint64_t, std::string>> named;  // line number, why
    std::uint64_t notNamed = 0;
    painter.onLine = [&](const LineFacts& line) {
        if (line.length == 0 || ReadWhole(line))
            return;
        if (named.size() < MostLinesNamed)
            named.emplace_back(line.number, LineProblem(line));
        else
            ++notNamed;
    };
    painter.Feed(start);
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        const Result<std::size_t> got = file->Read(chunk.data(), chunk.size());
        if (!got) {
            ProblemAt(name, "cannot be read: " + OneLine(got.Error()));
            return std::nullopt;
        }
        if (*got == 0)
            break;
        painter.Feed(std::string_view(chunk.data(), *got));
    }
    painter.Finish();

    for (const auto& [number, why] : named)
        ProblemAt(name + ":" + std::to_string(number), why);
    if (notNamed > 0)
        ProblemAt(name, std::to_string(notNamed) + " more lines cannot be read whole");
    bool complete = named.empty();
    if (const int unpainted = dots.Unpainted(); unpainted > 0) {
        ProblemAt(name, std::to_string(unpainted) + " of " + std::to_string(AcceptedWidth * AcceptedHeight) +
                            " dots were never painted (shown as blanks)");
        complete = false;
    }
    return FileDots{dots.Rows(), complete};
}

ExitCode RunPreview(const PreviewOptions& options)
{
    const std::optional<FileDots> dots = ReadFileDots(options);
    return dots ? ShowDots(dots->rows, options, dots->complete) : BadFile;
}

}  // namespace quillon::cli
