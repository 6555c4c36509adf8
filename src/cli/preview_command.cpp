// quillon-cli preview: a listing read back by the preview window's own reader
// and dot walk, its 122 x 32 dots printed as text.
#include "cli/commands.h"
#include "cli/messages.h"
#include "convert/geometry.h"
#include "intake/bitmap_reader.h"
#include "preview/listing_reader.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::cli {

namespace {

constexpr char SetChar = '#';    // a "1" bit, black in the window
constexpr char ClearChar = '.';  // a "0" bit, green in the window
constexpr char BlankChar = ' ';

// The dots as characters, one string per row.
class TextDots : public DotSurface {
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

// Why the reader cannot make whole bytes of this line, or nothing when it can.
std::string LineProblem(std::string_view line)
{
    const std::optional<std::string> bits = DecodeLine(line);
    if (!bits)
        return "too short for a listing line; skipped";
    if (bits->find_first_not_of("01") != std::string::npos)
        return "holds characters that are not hexadecimal digits; their dots are left unpainted";
    if (bits->size() % 8 != 0)
        return "ends in part of a byte; its last " + std::to_string(bits->size() % 8) + " bits are ignored";
    return {};
}

// Names on stderr, with their numbers, the lines that cannot be read whole.
// Lines end at CR LF, CR or LF, as the reader splits them. Returns how many.
int NameUnreadableLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = file.read(static_cast<qint64>(ReadLimit));
    int named = 0;
    int number = 0;
    const auto name = [&](std::string_view line) {
        ++number;
        if (!line.empty()) {
            if (const std::string why = LineProblem(line); !why.empty()) {
                Problem(path + QLatin1Char(':') + QString::number(number), why);
                ++named;
            }
        }
    };
    LineSplitter lines;
    lines.Feed(std::string_view(text.constData(), static_cast<std::size_t>(text.size())), name);
    lines.Finish(name);
    return named;
}

}  // namespace

ExitCode RunPreview(const QString& listing)
{
    // The counts a conversion of an accepted picture leaves for the walk.
    SharedState state;
    state.InfoHeader.biWidth = AcceptedWidth;
    state.InfoHeader.biHeight = AcceptedHeight;
    CountPagesAndBlocks(state);

    TextDots dots;
    DrawPosition position;
    const QString problem = ReadListing(listing, state, position, dots);
    if (!problem.isEmpty()) {
        Problem(listing, "cannot be read: " + OneLine(problem.toStdString()));
        return BadFile;
    }
    for (const std::string& row : dots.Rows())
        Say(row);

    bool complete = NameUnreadableLines(listing) == 0;
    if (const int unpainted = dots.Unpainted(); unpainted > 0) {
        Problem(listing, std::to_string(unpainted) + " of " + std::to_string(AcceptedWidth * AcceptedHeight) +
                             " dots were never painted (shown as blanks)");
        complete = false;
    }
    if (!StdoutIntact())
        return BadFile;
    return complete ? AllGood : BadFile;
}

}  // namespace quillon::cli
