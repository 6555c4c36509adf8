// The table of formats, telling them apart by content, and naming.
#include "formats/formats.h"
#include "formats/text_tools.h"

#include <algorithm>
#include <array>
#include <vector>

namespace quillon {

// Each format's rule, writer and parser, in the format's own file.
bool ToldListing(std::string_view);
bool ToldSdas(std::string_view);
bool ToldAs31(std::string_view);
bool ToldA51(std::string_view);
std::string WriteListingFormat(std::span<const std::uint8_t>, const WriteOptions&);
std::string WriteA51(std::span<const std::uint8_t>, const WriteOptions&);
std::string WriteAs31(std::span<const std::uint8_t>, const WriteOptions&);
std::string WriteSdas(std::span<const std::uint8_t>, const WriteOptions&);
Result<std::vector<std::uint8_t>> ParseDataLines(std::string_view, std::size_t);
bool ToldC(std::string_view);
std::string WriteC(std::span<const std::uint8_t>, const WriteOptions&);
Result<std::vector<std::uint8_t>> ParseC(std::string_view, std::size_t);
bool ToldBin(std::string_view);
std::string WriteBin(std::span<const std::uint8_t>, const WriteOptions&);
Result<std::vector<std::uint8_t>> ParseBin(std::string_view, std::size_t);
std::string WriteBmp(std::span<const std::uint8_t>, const WriteOptions&);
Result<std::vector<std::uint8_t>> ParseBmp(std::string_view, std::size_t);

namespace {

// Extensions: the listing keeps the window's .txt; .a51 is what Keil A51 and
// MCU 8051 IDE users name their sources; as31 takes .asm; asxxxx (sdas) sources
// are .s, leaving .asm to as31; the C array is #included, so .h. No two alike,
// so no default of one format lands on another's file. An output named .asm or
// .s keeps the default format: both are the names of other assemblers' sources too.
constexpr std::array Table{
    Format{"listing", ".txt", ".txt", "the window's listing, byte for byte", false, ByteOrder::Display, 1, ToldListing,
           WriteListingFormat, ParseDataLines, true},
    Format{"a51", ".a51", ".a51", "DB lines, items 0FFH: Keil A51, ASEM-51, MCU 8051 IDE", true, ByteOrder::Display, 4,
           ToldA51, WriteA51, ParseDataLines, true},
    Format{"as31", ".asm", "", ".db lines, items 0FFH: as31", true, ByteOrder::Display, 3, ToldAs31, WriteAs31,
           ParseDataLines, true},
    Format{"sdas", ".s", "", ".db lines, items 0xFF: SDCC's sdas8051", true, ByteOrder::Display, 2, ToldSdas, WriteSdas,
           ParseDataLines, true},
    Format{"c", ".h", ".h .c", "const unsigned char NAME[488]: SDCC, Keil C51, GCC", true, ByteOrder::Display, 5, ToldC,
           WriteC, ParseC, true},
    Format{"bin", ".bin", ".bin", "the 488 bytes alone", false, ByteOrder::Display, 6, ToldBin, WriteBin, ParseBin,
           true},
    Format{"bmp", ".bmp", ".bmp", "a 1-bit 122 x 32 picture, lit dots black", false, ByteOrder::Display, 0, nullptr,
           WriteBmp, ParseBmp, false},
};

// The rows in the order their rules are asked.
std::vector<const Format*> Ranked()
{
    std::vector<const Format*> ranked;
    for (const Format& format : Table) {
        if (format.rank > 0)
            ranked.push_back(&format);
    }
    std::sort(ranked.begin(), ranked.end(), [](const Format* a, const Format* b) { return a->rank < b->rank; });
    return ranked;
}

// C keywords up to C11, and the 8051 memory and type keywords of Keil C51 and
// of SDCC (there without the "__"): exactly as written.
constexpr auto Keywords = std::to_array<std::string_view>({"auto",
                                                           "break",
                                                           "case",
                                                           "char",
                                                           "const",
                                                           "continue",
                                                           "default",
                                                           "do",
                                                           "double",
                                                           "else",
                                                           "enum",
                                                           "extern",
                                                           "float",
                                                           "for",
                                                           "goto",
                                                           "if",
                                                           "inline",
                                                           "int",
                                                           "long",
                                                           "register",
                                                           "restrict",
                                                           "return",
                                                           "short",
                                                           "signed",
                                                           "sizeof",
                                                           "static",
                                                           "struct",
                                                           "switch",
                                                           "typedef",
                                                           "union",
                                                           "unsigned",
                                                           "void",
                                                           "volatile",
                                                           "while",
                                                           "_Bool",
                                                           "_Complex",
                                                           "_Imaginary",
                                                           "_Alignas",
                                                           "_Alignof",
                                                           "_Atomic",
                                                           "_Generic",
                                                           "_Noreturn",
                                                           "_Static_assert",
                                                           "_Thread_local",
                                                           "code",
                                                           "data",
                                                           "idata",
                                                           "xdata",
                                                           "pdata",
                                                           "bdata",
                                                           "bit",
                                                           "sbit",
                                                           "sfr",
                                                           "sfr16",
                                                           "interrupt",
                                                           "using",
                                                           "reentrant",
                                                           "at",
                                                           "_at_",
                                                           "critical",
                                                           "naked"});
// 8051 registers, which no assembler takes as a label, in any case.
constexpr auto Registers = std::to_array<std::string_view>(
    {"a", "b", "ab", "c", "acc", "dptr", "pc", "r0", "r1", "r2", "r3", "r4", "r5", "r6", "r7"});

bool IsReserved(std::string_view name)
{
    return std::find(Keywords.begin(), Keywords.end(), name) != Keywords.end() ||
           std::any_of(Registers.begin(), Registers.end(),
                       [&](std::string_view r) { return text::EqualNoCase(r, name); });
}

// The file name without its folder (after "/" or "\\") and its last extension
// (a leading dot is no extension).
std::string_view WithoutFolderAndExtension(std::string_view fileName)
{
    if (const std::size_t slash = fileName.find_last_of("/\\"); slash != std::string_view::npos)
        fileName.remove_prefix(slash + 1);
    if (const std::size_t dot = fileName.rfind('.'); dot != std::string_view::npos && dot > 0)
        fileName = fileName.substr(0, dot);
    return fileName;
}

}  // namespace

std::size_t TableBytes(ByteOrder)
{
    return DisplayBytes;
}

DisplayImage ImageOf(std::span<const std::uint8_t> bytes, ByteOrder)
{
    DisplayImage image;
    for (std::size_t k = 0; k < DisplayBytes && k < bytes.size(); ++k)
        image.SetByte(k, bytes[k]);
    return image;
}

std::vector<std::uint8_t> BytesOf(const DisplayImage& image, ByteOrder)
{
    return {image.bytes().begin(), image.bytes().end()};
}

std::string Format::Write(const DisplayImage& image, const WriteOptions& options) const
{
    return write(BytesOf(image, order), options);
}

ReadResult Format::Read(std::string_view file) const
{
    const Result<std::vector<std::uint8_t>> bytes = parse(file, TableBytes(order));
    if (!bytes)
        return Failure{bytes.Error()};
    return ImageOf(*bytes, order);
}

std::string Format::WriteFrames(std::span<const Frame> frames, const WriteOptions& options) const
{
    return write(AnimationBytes(frames), options);
}

Result<std::vector<Frame>> Format::ReadFrames(std::string_view file) const
{
    const Result<std::vector<std::uint8_t>> bytes = parse(file, holdsFrames ? 0 : TableBytes(order));
    if (bytes && (bytes->size() == TableBytes(order) || IsAnimation(*bytes)))
        return FramesOf(*bytes);
    // Neither one image nor an animation: said as for one image, with the line.
    const ReadResult one = Read(file);
    if (!one)
        return Failure{one.Error()};
    return std::vector<Frame>{Frame{*one, 0}};
}

std::vector<std::uint8_t> AnimationBytes(std::span<const Frame> frames)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(2 + frames.size() * (2 + DisplayBytes));
    const auto two = [&](std::size_t value) {
        bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(value >> 8 & 0xFF));
    };
    two(frames.size());
    for (const Frame& frame : frames)
        two(static_cast<std::size_t>(std::clamp(frame.delay, 0, 65535)));
    for (const Frame& frame : frames)
        bytes.insert(bytes.end(), frame.image.bytes().begin(), frame.image.bytes().end());
    return bytes;
}

bool IsAnimation(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 2)
        return false;
    const std::size_t count = bytes[0] | std::size_t{bytes[1]} << 8;
    return count >= 1 && count <= MostFrames && bytes.size() == 2 + count * (2 + DisplayBytes);
}

Result<std::vector<Frame>> FramesOf(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() == DisplayBytes)
        return std::vector<Frame>{Frame{ImageOf(bytes, ByteOrder::Display), 0}};
    if (!IsAnimation(bytes))
        return Failure{"The table holds " + std::to_string(bytes.size()) +
                       " bytes: neither the display's 488 nor an "
                       "animation's (2 + 490 a frame, its first two the frame count)."};
    const std::size_t count = bytes[0] | std::size_t{bytes[1]} << 8;
    std::vector<Frame> frames(count);
    for (std::size_t k = 0; k < count; ++k) {
        frames[k].delay = bytes[2 + 2 * k] | bytes[3 + 2 * k] << 8;
        frames[k].image = ImageOf(bytes.subspan(2 + 2 * count + k * DisplayBytes, DisplayBytes), ByteOrder::Display);
    }
    return frames;
}

std::span<const Format> Formats()
{
    return Table;
}

const Format* FindFormat(std::string_view name)
{
    const auto found =
        std::find_if(Table.begin(), Table.end(), [&](const Format& format) { return format.name == name; });
    return found == Table.end() ? nullptr : &*found;
}

const Format* FormatChosenBy(std::string_view fileName)
{
    for (const Format& format : Table) {
        for (std::string_view ends = format.chosenBy; !ends.empty();) {
            const std::string_view end = ends.substr(0, ends.find(' '));
            ends.remove_prefix(std::min(ends.size(), end.size() + 1));
            if (fileName.size() > end.size() && text::EqualNoCase(fileName.substr(fileName.size() - end.size()), end))
                return &format;
        }
    }
    return nullptr;
}

const Format* DetectFormat(std::string_view bytes)
{
    static const std::vector<const Format*> ranked = Ranked();
    for (const Format* format : ranked) {
        if (format->told(bytes))
            return format;
    }
    return nullptr;
}

ReadResult ReadAnyFormat(std::string_view bytes)
{
    if (const Format* format = DetectFormat(bytes))
        return format->Read(bytes);
    std::string names;
    for (const Format& format : Table) {
        if (format.rank > 0)
            names += (names.empty() ? "" : ", ") + std::string(format.name);
    }
    return Failure{"It is neither a BMP picture nor a table in a format Quillon reads (" + names + ")."};
}

std::string DefaultOutputName(const Format& format, std::string_view stem)
{
    return "lcd_" + std::string(stem) + std::string(format.extension);
}

std::string OutputStem(std::string_view inputFileName)
{
    std::string_view stem = WithoutFolderAndExtension(inputFileName);
    if (stem.size() > 4 && stem.starts_with("lcd_"))
        stem.remove_prefix(4);
    return stem.empty() ? "data" : std::string(stem);
}

std::string CIdentifier(std::string_view fileName)
{
    return LabelFrom(WithoutFolderAndExtension(fileName));
}

std::string LabelFrom(std::string_view text)
{
    std::string name;
    for (const char c : text) {
        const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (keep)
            name += c;
        else if (name.empty() || name.back() != '_')
            name += '_';
    }
    // A leading "_" with a capital after it is the compiler's; a digit cannot lead.
    if (name.empty() || name == "_")
        name = "lcd_data";
    else if (name[0] == '_')
        name.insert(0, "lcd");
    else if (name[0] >= '0' && name[0] <= '9')
        name.insert(0, "lcd_");
    if (name.size() > 31)
        name.resize(31);
    if (IsReserved(name))
        name += '_';
    return name;
}

bool IsValidLabel(std::string_view label)
{
    if (label.empty() || label.size() > 31 || (label[0] >= '0' && label[0] <= '9') || IsReserved(label))
        return false;
    return std::all_of(label.begin(), label.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}

Result<void> CheckHoldsFrames(const Format& format)
{
    if (format.holdsFrames)
        return {};
    std::string why = "the ";
    why.append(format.name).append(" format holds one frame; write another, or take one with --frame");
    return Failure{why};
}

Result<void> CheckLabel(std::string_view label, const Format& format)
{
    if (label.empty())
        return {};
    std::string why;  // appended, not "a" + b: GCC 12 warns falsely (-Wrestrict) of such temporaries
    if (!format.takesLabel) {
        why.append("the ").append(format.name).append(" format has no place for a label");
    } else if (!IsValidLabel(label)) {
        why.append("\"").append(label).append("\" is no label: letters, digits and _, not first a digit, at most 31 ");
        why.append("characters, no keyword or register name; ").append(LabelFrom(label)).append(" would do");
    }
    if (!why.empty())
        return Failure{why};
    return {};
}

}  // namespace quillon
