// Reads a listing back and hands each line, decoded to "0" and "1" characters,
// to the dot walk.
#pragma once

#include "common/hex_digit.h"
#include "common/result.h"
#include "preview/dot_walk.h"
#include "preview/dots_png.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// The reader keeps characters 12 .. L-2 of a line of length L: it cuts the 11
// of "        DB " from the front and the 2 of "H;" from the end.
inline constexpr std::size_t ListingLineCut = 11;
inline constexpr std::size_t ListingLineTail = 2;

// One line to its bit string: characters 12 .. L-2 kept, every "H," removed,
// then each digit "0" .. "9", "A" .. "F" replaced by its four binary digits, one
// digit after the other over the whole string; letters in either case. No line
// is checked: whatever survives is handed on. An empty line, and one too short
// to cut (under 13 characters), gives nothing.
std::optional<std::string> DecodeLine(std::string_view line);

// What one line of a listing held, for telling which lines cannot be read whole.
struct LineFacts {
    std::uint64_t number = 0;  // counted from 1, empty lines included
    std::uint64_t length = 0;  // characters, without the line end
    std::uint64_t bits = 0;    // characters of its bit string
    bool foreign = false;      // its bit string holds characters other than "0" and "1"
};

namespace detail {
inline constexpr char Expansions[16][4] = {
    {'0', '0', '0', '0'}, {'0', '0', '0', '1'}, {'0', '0', '1', '0'}, {'0', '0', '1', '1'},
    {'0', '1', '0', '0'}, {'0', '1', '0', '1'}, {'0', '1', '1', '0'}, {'0', '1', '1', '1'},
    {'1', '0', '0', '0'}, {'1', '0', '0', '1'}, {'1', '0', '1', '0'}, {'1', '0', '1', '1'},
    {'1', '1', '0', '0'}, {'1', '1', '0', '1'}, {'1', '1', '1', '0'}, {'1', '1', '1', '1'},
};
// The same looked up, for the reading of every character.
struct HexValueTable {
    signed char values[256];
};
constexpr HexValueTable MakeHexValues()
{
    HexValueTable table{};
    for (int c = 0; c < 256; ++c)
        table.values[c] = static_cast<signed char>(HexDigitValue(static_cast<char>(c)));
    return table;
}
inline constexpr HexValueTable HexValues = MakeHexValues();
constexpr int HexValue(char c)
{
    return HexValues.values[static_cast<unsigned char>(c)];
}
}  // namespace detail

// Decodes a listing fed in pieces of any size and paints it as it goes, the
// same as DecodeLine and the walk over each whole line, in bounded memory: a
// line of any length is never held, only the two characters its cut needs to
// see ahead and a piece of bit string. Lines end at CR LF, a bare CR or a bare
// LF; Finish ends a last line that has no end.
template <typename Surface>
class ListingPainter {
public:
    ListingPainter(ScanState& state, DrawPosition& position, Surface& surface)
        : state_(state), position_(position), surface_(surface)
    {
    }

    // Called at the end of every line, empty ones too.
    std::function<void(const LineFacts&)> onLine;

    void Feed(std::string_view text)
    {
        for (std::size_t at = 0; at < text.size(); ++at) {
            if (done_ && facts_.length == 0) {
                at = Skim(text, at);
                if (at == text.size())
                    break;
            }
            if (done_ && held_ == 2) {
                at = Measure(text, at);
                if (at == text.size())
                    break;
            }
            const char c = text[at];
            if (c == '\r') {
                EndLine();
                afterCarriageReturn_ = true;
                continue;
            }
            if (c == '\n') {
                if (!afterCarriageReturn_)
                    EndLine();
                afterCarriageReturn_ = false;
                continue;
            }
            afterCarriageReturn_ = false;
            // A line that starts here and ends in this piece is tried whole
            // first: the writer's lines decode straight to bytes.
            if (facts_.length == 0) {
                if (const std::size_t end = WholeLine(text, at)) {
                    afterCarriageReturn_ = text[end] == '\r';
                    at = end;
                    continue;
                }
            }
            Take(c);
        }
        PaintWaiting();
    }

    void Finish()
    {
        if (facts_.length > 0)
            EndLine();
    }

    bool Complete() const { return WalkComplete(state_, position_); }

private:
    // Once the walk is complete no line can change a dot: from `at`, a line's
    // start, whole lines are only measured for their facts, at the speed of
    // finding their ends. Returns where the reading goes on character by
    // character: the start of a line the piece does not end, or the piece's end.
    std::size_t Skim(std::string_view text, std::size_t at)
    {
        if (afterCarriageReturn_ && text[at] == '\n')
            ++at;
        afterCarriageReturn_ = false;
        // Where the next CR and LF are, from `at` on (npos: none).
        std::size_t cr = text.find('\r', at);
        std::size_t lf = text.find('\n', at);
        while (at < text.size()) {
            if (cr != std::string_view::npos && cr < at)
                cr = text.find('\r', at);
            if (lf != std::string_view::npos && lf < at)
                lf = text.find('\n', at);
            const std::size_t end = std::min(cr, lf);
            if (end == std::string_view::npos)
                return at;
            Measure(text.substr(at, end - at));
            at = end + 1;
            if (text[end] == '\r') {
                if (at == text.size())
                    afterCarriageReturn_ = true;
                else if (text[at] == '\n')
                    ++at;
            }
        }
        return at;
    }

    // The facts of a whole line, as the character by character reading finds
    // them: of its kept part, "H," pairs give nothing, hexadecimal digits 4
    // bits, anything else 1 bit and makes the line foreign. Counted in plain
    // loops the compiler runs many characters at a time.
    void Measure(std::string_view line)
    {
        ++facts_.number;
        facts_.length = line.size();
        if (line.size() >= ListingLineCut + ListingLineTail) {
            const std::string_view kept = line.substr(ListingLineCut, line.size() - ListingLineCut - ListingLineTail);
            std::size_t digits = 0;
            std::size_t pairs = 0;
            // In blocks, so that narrow counters suffice.
            for (std::size_t block = 0; block < kept.size(); block += 1 << 16) {
                const std::size_t last = std::min(kept.size(), block + (1 << 16));
                std::uint32_t blockDigits = 0;
                std::uint32_t blockPairs = 0;
                for (std::size_t k = block; k < last; ++k) {
                    const auto c = static_cast<unsigned char>(kept[k]);
                    blockDigits +=
                        (static_cast<unsigned char>(c - '0') < 10) | (static_cast<unsigned char>((c | 0x20) - 'a') < 6);
                }
                for (std::size_t k = std::max<std::size_t>(block, 1); k < last; ++k)
                    blockPairs +=
                        static_cast<unsigned>((kept[k - 1] | 0x20) == 'h') & static_cast<unsigned>(kept[k] == ',');
                digits += blockDigits;
                pairs += blockPairs;
            }
            const std::size_t others = kept.size() - digits - 2 * pairs;
            facts_.bits = 4 * digits + others;
            facts_.foreign = others > 0;
        }
        if (onLine)
            onLine(facts_);
        facts_ = LineFacts{facts_.number};
    }

    static constexpr std::size_t FlushAt = 4096;  // a multiple of 8

    // The walk is complete and the line's cut is behind it: its characters up
    // to the next line end, or the piece's end, are only counted, in one tight
    // loop instead of one character at a time. Returns where it stopped.
    std::size_t Measure(std::string_view text, std::size_t at)
    {
        const char* const from = text.data() + at;
        const std::size_t left = text.size() - at;
        const void* const lineFeed = std::memchr(from, '\n', left);
        const void* const carriageReturn = std::memchr(
            from, '\r', lineFeed ? static_cast<std::size_t>(static_cast<const char*>(lineFeed) - from) : left);
        const char* const end = static_cast<const char*>(carriageReturn ? carriageReturn
                                                         : lineFeed     ? lineFeed
                                                                        : from + left);
        const auto count = static_cast<std::size_t>(end - from);
        if (count == 0)
            return at;
        facts_.length += count;
        // Each character taken sends the one two places behind it to be kept.
        Kept(ahead_[0]);
        if (count == 1) {
            ahead_[0] = ahead_[1];
            ahead_[1] = *from;
            return at + count;
        }
        Kept(ahead_[1]);
        CountKept(from, count - 2);
        ahead_[0] = end[-2];
        ahead_[1] = end[-1];
        return at + count;
    }

    // What Kept and Emit would count of `count` kept characters once the walk
    // is complete, counted by kind in loops the compiler makes wide: a hex
    // digit is 4 bits, "H," (either case) nothing, anything else 1 bit and
    // foreign.
    void CountKept(const char* kept, std::size_t count)
    {
        std::size_t at = 0;
        if (pendingH_ && count > 0) {
            pendingH_ = false;
            if (kept[0] == ',')
                at = 1;
            else
                Emit(heldH_);
        }
        if (at == count)
            return;
        const auto* const c = reinterpret_cast<const unsigned char*>(kept);
        // An "H" last waits for what follows; it is not counted here.
        const bool endsInH = (c[count - 1] | 0x20) == 'h';
        const std::size_t last = count - (endsInH ? 1 : 0);
        // An "H" is never a digit, so the digits of all `count` are those of
        // the characters counted. In blocks, with byte-wide arithmetic: so
        // the compiler counts 16 or 32 characters a step.
        const auto isDigit = [](unsigned char ch) {
            const auto lower = static_cast<unsigned char>(ch | 0x20);
            return (static_cast<unsigned char>(ch - '0') < 10) | (static_cast<unsigned char>(lower - 'a') < 6);
        };
        std::uint64_t digits = isDigit(c[count - 1]), pairs = 0;
        for (std::size_t start = at; start + 1 < count;) {
            const std::size_t stop = std::min(count - 1, start + 65536);
            std::uint32_t blockDigits = 0, blockPairs = 0;
            for (std::size_t k = start; k < stop; ++k) {
                blockDigits += isDigit(c[k]);
                blockPairs += (static_cast<unsigned char>(c[k] | 0x20) == 'h') & (c[k + 1] == ',');
            }
            digits += blockDigits;
            pairs += blockPairs;
            start = stop;
        }
        const std::uint64_t alone = (last - at) - digits - 2 * pairs;
        facts_.bits += 4 * digits + alone;
        facts_.foreign = facts_.foreign || alone > 0;
        if (endsInH) {
            pendingH_ = true;
            heldH_ = kept[count - 1];
        }
    }

    // One character of a line, not a line end.
    void Take(char c)
    {
        // Positions 1 to 11 are cut; a later one is kept once two more have
        // come, which proves it is not among the last two.
        if (++facts_.length <= ListingLineCut)
            return;
        if (held_ < 2) {
            ahead_[held_++] = c;
            return;
        }
        Kept(ahead_[0]);
        ahead_[0] = ahead_[1];
        ahead_[1] = c;
    }

    // Reads and ends the line that starts at text[start] when the piece holds
    // it whole and its kept part is items of two hexadecimal digits joined by
    // "H," (either case), as the writer writes them: then its bit string is each
    // item's 8 binary digits. Returns where its line end is, or 0 to leave the
    // line to the character by character reading.
    std::size_t WholeLine(std::string_view text, std::size_t start)
    {
        const auto isLineEnd = [&](std::size_t at) { return text[at] == '\r' || text[at] == '\n'; };
        std::size_t at = start + ListingLineCut;  // the first item
        if (at + 4 >= text.size())
            return 0;
        for (std::size_t k = start; k < at; ++k) {
            if (isLineEnd(k))
                return 0;
        }
        // Bounded, like the rest of the reading: a longer line goes by characters.
        std::uint8_t bytes[64];
        std::size_t count = 0;
        for (;;) {
            const int high = detail::HexValue(text[at]);
            const int low = detail::HexValue(text[at + 1]);
            if (high < 0 || low < 0 || count == sizeof bytes)
                return 0;
            bytes[count++] = static_cast<std::uint8_t>(high * 16 + low);
            if (isLineEnd(at + 4)) {
                // The line's last two characters, whatever they are, close it.
                if (isLineEnd(at + 2) || isLineEnd(at + 3))
                    return 0;
                break;
            }
            if ((text[at + 2] != 'H' && text[at + 2] != 'h') || text[at + 3] != ',')
                return 0;
            at += 4;
            if (at + 4 >= text.size())
                return 0;
        }
        facts_.length = at + 4 - start;
        facts_.bits = count * Page;
        // Whole groups paint the same in one walk as line by line, so lines
        // wait to be painted together, unless someone is told of each line.
        if (waiting_ + count > sizeof waitingBytes_)
            PaintWaiting();
        std::memcpy(waitingBytes_ + waiting_, bytes, count);
        waiting_ += count;
        ++facts_.number;
        if (onLine) {
            PaintWaiting();
            onLine(facts_);
        }
        facts_ = LineFacts{facts_.number};
        return at + 4;
    }

    // Paints the whole lines' bytes still waiting; before any other painting.
    void PaintWaiting()
    {
        if (waiting_ == 0)
            return;
        const std::uint8_t* const bytes = waitingBytes_;
        WalkBytes(
            state_, position_, waiting_, [bytes](std::size_t item) { return bytes[item]; }, surface_);
        waiting_ = 0;
        done_ = Complete();
    }

    void Kept(char c)
    {
        if (pendingH_) {
            pendingH_ = false;
            if (c == ',')
                return;  // "H," is removed
            Emit(heldH_);
        }
        if (c == 'H' || c == 'h') {
            pendingH_ = true;
            heldH_ = c;
            return;
        }
        Emit(c);
    }

    void Emit(char c)
    {
        const int value = detail::HexValue(c);
        if (done_) {  // only counted: no dot is left to paint
            facts_.bits += value >= 0 ? 4 : 1;
            facts_.foreign = facts_.foreign || value < 0;
            return;
        }
        // Taken on first use: the writer's lines never come this way.
        if (bits_.capacity() < FlushAt + 8)
            bits_.reserve(FlushAt + 8);
        if (value >= 0) {
            bits_.append(detail::Expansions[value], 4);
            facts_.bits += 4;
        } else {
            bits_ += c;
            facts_.bits += 1;
            facts_.foreign = true;
        }
        if (bits_.size() >= FlushAt) {
            // Whole groups only: the walk stops between columns, so the rest
            // of the line goes on from here as if the line were painted whole.
            const std::size_t whole = bits_.size() / 8 * 8;
            PaintWaiting();
            WalkBits(state_, position_, std::string_view(bits_.data(), whole), surface_);
            bits_.erase(0, whole);
            done_ = Complete();
        }
    }

    void EndLine()
    {
        ++facts_.number;
        // A line too short to cut gives nothing, not even an empty string.
        if (facts_.length >= ListingLineCut + ListingLineTail) {
            if (pendingH_)
                Emit(heldH_);
            PaintWaiting();
            WalkBits(state_, position_, bits_, surface_);
            done_ = Complete();
        }
        if (onLine)
            onLine(facts_);
        bits_.clear();
        held_ = 0;
        pendingH_ = false;
        facts_ = LineFacts{facts_.number};
    }

    ScanState& state_;
    DrawPosition& position_;
    Surface& surface_;
    std::string bits_;
    std::uint8_t waitingBytes_[256];
    std::size_t waiting_ = 0;
    LineFacts facts_;
    char ahead_[2] = {};
    int held_ = 0;
    bool pendingH_ = false;
    char heldH_ = 'H';
    bool afterCarriageReturn_ = false;
    bool done_ = false;  // the walk is complete: lines are only measured
};

// Erases the surface, puts the position on the first dot and paints every
// line of `text`.
void ReadListingText(std::string_view text, ScanState& state, DrawPosition& position, DotSurface& surface);

// The same for the listing file at `path`, read in pieces until its end or
// until the last block is painted. A file that cannot be read leaves the
// surface erased.
Result<void> ReadListing(const std::filesystem::path& path, ScanState& state, DrawPosition& position,
                         DotSurface& surface);

// A listing fed in pieces, painted as the preview window paints it into a grid
// of the window's paints (dots_png.h): for programs that show the dots
// otherwise than the window. Compiled with the core, at its optimisation.
class ListingPaints {
public:
    ListingPaints();
    ~ListingPaints();
    ListingPaints(const ListingPaints&) = delete;
    ListingPaints& operator=(const ListingPaints&) = delete;

    // Called at the end of every line, empty ones too.
    void OnLine(std::function<void(const LineFacts&)> call);
    void Feed(std::string_view text);
    void Finish();
    const DotPaints& Paints() const;
    int Unpainted() const;

private:
    struct Reading;
    std::unique_ptr<Reading> reading_;
};

}  // namespace quillon
