// Netpbm pictures: P1 to P6 (plain and raw bitmaps, grey maps and pixel maps)
// and P7 (PAM), with comments, and samples up to 65535 scaled to 8 bits.
#include "intake/decode_limits.h"

#include <optional>
#include <string>

namespace quillon {

namespace {

Failure Truncated()
{
    return Failure{"the file ends before the picture does"};
}

class PnmReader {
public:
    explicit PnmReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool AtEnd() const { return at_ >= bytes_.size(); }

    // Skips white space and comments (from # to the end of the line).
    void SkipSpace()
    {
        while (!AtEnd()) {
            const char c = static_cast<char>(bytes_[at_]);
            if (c == '#') {
                while (!AtEnd() && bytes_[at_] != '\n' && bytes_[at_] != '\r')
                    ++at_;
            } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') {
                ++at_;
            } else {
                return;
            }
        }
    }

    // A decimal number after white space; nothing when none is there or it is too large.
    std::optional<std::uint32_t> Number()
    {
        SkipSpace();
        std::uint64_t value = 0;
        const std::size_t start = at_;
        while (!AtEnd() && bytes_[at_] >= '0' && bytes_[at_] <= '9') {
            value = value * 10 + (bytes_[at_++] - '0');
            if (value > 0xFFFFFFFFu)
                return std::nullopt;
        }
        if (at_ == start)
            return std::nullopt;
        return static_cast<std::uint32_t>(value);
    }

    // One character of a plain bitmap, which needs no space between pixels.
    std::optional<int> Bit()
    {
        SkipSpace();
        if (AtEnd() || (bytes_[at_] != '0' && bytes_[at_] != '1'))
            return std::nullopt;
        return bytes_[at_++] - '0';
    }

    // A word of a PAM header line.
    std::string Word()
    {
        SkipSpace();
        std::string word;
        while (!AtEnd() && bytes_[at_] > ' ' && bytes_[at_] != '#')
            word += static_cast<char>(bytes_[at_++]);
        return word;
    }

    void SkipLine()
    {
        while (!AtEnd() && bytes_[at_] != '\n')
            ++at_;
        if (!AtEnd())
            ++at_;
    }

    // The single white-space byte between a raw header and its samples.
    bool EndHeader()
    {
        if (AtEnd())
            return false;
        ++at_;
        return true;
    }

    std::span<const std::uint8_t> Rest() const { return bytes_.subspan(at_); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 2;
};

struct Layout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t depth = 0;   // samples a pixel: 1 grey, 2 grey and alpha, 3 RGB, 4 RGBA
    std::uint32_t maxval = 1;  // a bitmap's is 1, with 1 black
    bool bitmap = false;
};

Result<void> ReadPam(PnmReader& reader, Layout& layout)
{
    reader.SkipLine();
    for (;;) {
        const std::string key = reader.Word();
        if (key.empty())
            return Truncated();
        if (key == "ENDHDR")
            break;
        if (key == "TUPLTYPE") {  // the depth says all this reader needs
            reader.SkipLine();
            continue;
        }
        const std::optional<std::uint32_t> value = reader.Number();
        if (!value)
            return Failure{"the PAM header's " + key + " has no number"};
        if (key == "WIDTH")
            layout.width = *value;
        else if (key == "HEIGHT")
            layout.height = *value;
        else if (key == "DEPTH")
            layout.depth = *value;
        else if (key == "MAXVAL")
            layout.maxval = *value;
        else
            return Failure{"the PAM header holds an unknown field " + key};
    }
    reader.SkipLine();
    if (layout.depth < 1 || layout.depth > 4)
        return Failure{"a PAM picture of depth " + std::to_string(layout.depth) + " is not supported (1 to 4 are)"};
    return {};
}

// The eight-bit value of a sample; a value beyond maxval counts as maxval.
std::uint8_t Scaled(std::uint32_t value, std::uint32_t maxval)
{
    if (value >= maxval)
        return 255;
    return static_cast<std::uint8_t>((std::uint64_t{value} * 255 + maxval / 2) / maxval);
}

// The header of a P1 to P6 picture, or P7's.
Result<void> ReadHeader(PnmReader& reader, char kind, Layout& layout)
{
    if (kind == '7') {
        if (Result<void> read = ReadPam(reader, layout); !read)
            return read;
    } else {
        const std::optional<std::uint32_t> width = reader.Number();
        const std::optional<std::uint32_t> height = reader.Number();
        if (!width || !height)
            return reader.AtEnd() ? Truncated() : Failure{"the PNM header's size is not a number"};
        layout.width = *width;
        layout.height = *height;
        layout.bitmap = kind == '1' || kind == '4';
        layout.depth = kind == '3' || kind == '6' ? 3 : 1;
        if (!layout.bitmap) {
            const std::optional<std::uint32_t> maxval = reader.Number();
            if (!maxval)
                return reader.AtEnd() ? Truncated() : Failure{"the PNM header's maximum value is not a number"};
            layout.maxval = *maxval;
        }
        if (kind >= '4' && !reader.EndHeader())
            return Truncated();
    }
    if (layout.maxval < 1 || layout.maxval > 65535)
        return Failure{"a maximum sample value of " + std::to_string(layout.maxval) +
                       " is not supported (1 to 65535 are)"};
    return CheckPictureSize(layout.width, layout.height);
}

}  // namespace

Result<void> DecodePnm(ByteSource& source, const DecodeOptions&, PictureSink& sink)
{
    const Result<std::vector<std::uint8_t>> file = ReadWhole(source);
    if (!file)
        return Failure{file.Error()};
    const std::span<const std::uint8_t> bytes(*file);
    const char kind = static_cast<char>(bytes[1]);
    PnmReader reader(bytes);
    Layout layout;
    if (Result<void> header = ReadHeader(reader, kind, layout); !header)
        return header;

    const bool raw = kind >= '4';
    const std::uint64_t sampleBytes = layout.maxval > 255 ? 2 : 1;
    const std::uint64_t rowBytes = layout.bitmap ? (std::uint64_t{layout.width} + 7) / 8
                                                 : std::uint64_t{layout.width} * layout.depth * sampleBytes;
    std::span<const std::uint8_t> body = reader.Rest();
    // Plain samples take a digit and a space each (a plain bitmap's just a digit).
    const std::uint64_t plainBytes =
        std::uint64_t{layout.width} * layout.height * layout.depth * (layout.bitmap ? 1 : 2) - (layout.bitmap ? 0 : 1);
    if (raw ? body.size() / rowBytes < layout.height : body.size() < plainBytes)
        return Truncated();

    if (Result<void> started = sink.Start(static_cast<int>(layout.width), static_cast<int>(layout.height)); !started)
        return started;
    std::vector<std::uint8_t> row(std::size_t{layout.width} * 4);
    std::size_t at = 0;
    auto sample = [&]() -> std::optional<std::uint32_t> {
        if (!raw)
            return reader.Number();
        std::uint32_t value = body[at++];
        if (sampleBytes == 2)
            value = value << 8 | body[at++];
        return value;
    };
    for (std::uint32_t y = 0; y < layout.height; ++y) {
        std::uint8_t* out = row.data();
        for (std::uint32_t x = 0; x < layout.width; ++x, out += 4) {
            if (layout.bitmap) {
                std::optional<int> bit;
                if (raw)
                    bit = (body[y * rowBytes + x / 8] >> (7 - x % 8)) & 1;
                else
                    bit = reader.Bit();
                if (!bit)
                    return reader.AtEnd() ? Truncated() : Failure{"the bitmap holds something other than 0 and 1"};
                const std::uint8_t value = *bit ? 0 : 255;
                out[0] = out[1] = out[2] = value;
                out[3] = 255;
                continue;
            }
            std::uint8_t channel[4] = {0, 0, 0, 255};
            for (std::uint32_t k = 0; k < layout.depth; ++k) {
                const std::optional<std::uint32_t> value = sample();
                if (!value)
                    return reader.AtEnd() ? Truncated() : Failure{"a sample is not a number"};
                channel[k] = Scaled(*value, layout.maxval);
            }
            const bool grey = layout.depth <= 2;
            out[0] = channel[0];
            out[1] = grey ? channel[0] : channel[1];
            out[2] = grey ? channel[0] : channel[2];
            out[3] = layout.depth == 2 ? channel[1] : layout.depth == 4 ? channel[3] : 255;
        }
        sink.Row(static_cast<int>(y), row.data());
    }
    return {};
}

}  // namespace quillon
