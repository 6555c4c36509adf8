#include "cli/shown_dots.h"

#include "cli/messages.h"
#include "cli/options.h"
#include "preview/dots_png.h"

namespace quillon::cli {

DotRows RowsOf(const DisplayImage& image)
{
    DotRows rows;
    for (int y = 0; y < DisplayHeight; ++y) {
        rows[static_cast<std::size_t>(y)].assign(DisplayWidth, ClearChar);
        for (int x = 0; x < DisplayWidth; ++x) {
            if (image.Dot(x, y))
                rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = SetChar;
        }
    }
    return rows;
}

DotRows RowsOf(const DotPaints& paints)
{
    DotRows rows;
    for (std::size_t y = 0; y < rows.size(); ++y) {
        rows[y].resize(DisplayWidth);
        for (std::size_t x = 0; x < DisplayWidth; ++x) {
            const DotPaint paint = paints[y * DisplayWidth + x];
            rows[y][x] = paint == DotPaint::Set ? SetChar : paint == DotPaint::Clear ? ClearChar : BlankChar;
        }
    }
    return rows;
}

ExitCode ShowDots(const DotRows& rows, const std::string& png, int scale, bool complete)
{
    if (png.empty()) {
        for (const std::string& row : rows)
            Say(row);
        return !StdoutIntact() ? BadFile : complete ? AllGood : BadFile;
    }
    if (!complete)
        return BadFile;
    DotPaints paints;
    for (std::size_t y = 0; y < rows.size(); ++y) {
        for (std::size_t x = 0; x < rows[y].size(); ++x) {
            const char dot = rows[y][x];
            paints[y * DisplayWidth + x] = dot == SetChar     ? DotPaint::Set
                                           : dot == ClearChar ? DotPaint::Clear
                                                              : DotPaint::Unpainted;
        }
    }
    const Result<std::string> picture = DotsPng(paints, scale);
    if (!picture) {
        Problem(PathFromText(png), "cannot be written: " + OneLine(picture.Error()));
        return BadFile;
    }
    return WriteOutput(PathFromText(png), *picture) ? AllGood : BadFile;
}

}  // namespace quillon::cli
