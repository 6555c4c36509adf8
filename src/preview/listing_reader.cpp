#include "preview/listing_reader.h"

#include <QFile>
#include <QFileInfo>

#include <array>

namespace quillon {

namespace {

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Every occurrence of `from`, letters in either case, left to right, not
// overlapping; text put in is not searched again within the same pass.
std::string ReplaceAll(const std::string& text, std::string_view from, std::string_view to)
{
    std::string result;
    result.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        bool match = at + from.size() <= text.size();
        for (std::size_t k = 0; match && k < from.size(); ++k)
            match = Lower(text[at + k]) == Lower(from[k]);
        if (match) {
            result += to;
            at += from.size();
        } else {
            result += text[at++];
        }
    }
    return result;
}

constexpr std::array<std::pair<std::string_view, std::string_view>, 16> Expansions{{
    {"0", "0000"},
    {"1", "0001"},
    {"2", "0010"},
    {"3", "0011"},
    {"4", "0100"},
    {"5", "0101"},
    {"6", "0110"},
    {"7", "0111"},
    {"8", "1000"},
    {"9", "1001"},
    {"A", "1010"},
    {"B", "1011"},
    {"C", "1100"},
    {"D", "1101"},
    {"E", "1110"},
    {"F", "1111"},
}};

// 0 .. 15 for a hexadecimal digit in either case, otherwise -1.
int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (Lower(c) >= 'a' && Lower(c) <= 'f')
        return Lower(c) - 'a' + 10;
    return -1;
}

constexpr std::size_t PrefixLength = 11;
constexpr std::size_t SuffixLength = 2;

}  // namespace

std::optional<std::string> DecodeLine(std::string_view line)
{
    if (line.size() < PrefixLength + SuffixLength)
        return std::nullopt;
    std::string bits(line.substr(PrefixLength, line.size() - PrefixLength - SuffixLength));
    bits = ReplaceAll(bits, "H,", "");
    // Expanding "0", then "1", ... "F" in turn over the whole string is the same
    // as expanding every digit where it stands: after "0" and "1" each expansion
    // inserts only those two, which no later one expands again. Done in one pass,
    // so that a line of megabytes costs one pass, not sixteen.
    std::string binary;
    binary.reserve(bits.size() * 4);
    for (const char c : bits) {
        const int value = HexValue(c);
        if (value < 0)
            binary += c;
        else
            binary += Expansions[static_cast<std::size_t>(value)].second;
    }
    return binary;
}

QString ReadListingFrom(QIODevice& device, SharedState& state, DrawPosition& position, DotSurface& surface)
{
    surface.Erase();
    position = DrawPosition{};

    LineSplitter lines;
    const auto paint = [&](std::string_view line) {
        if (const auto bits = DecodeLine(line))
            DrawBits(state, position, *bits, surface);
    };
    std::array<char, 64 * 1024> chunk{};
    // Once every block is painted, no further line can change a dot.
    while (!WalkComplete(state, position)) {
        const qint64 got = device.read(chunk.data(), static_cast<qint64>(chunk.size()));
        if (got < 0) {
            surface.Erase();
            return device.errorString();
        }
        if (got == 0)
            break;
        lines.Feed(std::string_view(chunk.data(), static_cast<std::size_t>(got)), paint);
    }
    lines.Finish(paint);
    return {};
}

QString ReadListing(const QString& path, SharedState& state, DrawPosition& position, DotSurface& surface)
{
    QFile file(path);
    QString problem;
    const QFileInfo info(path);
    if (info.isDir())
        problem = QStringLiteral("It is a folder, not a listing.");
    else if (info.exists() && !info.isFile())  // opening a named pipe would wait for a writer
        problem = QStringLiteral("It is a device, pipe or socket, not a listing.");
    else if (!file.open(QIODevice::ReadOnly))
        problem = file.errorString();
    if (!problem.isEmpty()) {
        surface.Erase();
        position = DrawPosition{};
        return problem;
    }
    return ReadListingFrom(file, state, position, surface);
}

}  // namespace quillon
