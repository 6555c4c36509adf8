// The table of formats, telling them apart by content, and naming.
#include "formats/formats.h"
#include "formats/text_tools.h"

#include <algorithm>
#include <array>

namespace quillon {

// Each format's writer and reader, defined in the format's own file.
std::string WriteListingFormat(const DisplayImage&, const WriteOptions&);
std::string WriteA51(const DisplayImage&, const WriteOptions&);
std::string WriteAs31(const DisplayImage&, const WriteOptions&);
std::string WriteSdas(const DisplayImage&, const WriteOptions&);
ReadResult ReadDataLines(std::string_view bytes);
std::string_view DataLinesFlavour(std::string_view bytes);  // which of those four formats, or ""
std::string WriteC(const DisplayImage&, const WriteOptions&);
ReadResult ReadC(std::string_view bytes);
std::string WriteBin(const DisplayImage&, const WriteOptions&);
ReadResult ReadBin(std::string_view bytes);
std::string WriteBmp(const DisplayImage&, const WriteOptions&);
ReadResult ReadBmp(std::string_view bytes);

namespace {

// Extensions: the listing keeps the window's .txt; .a51 is what Keil A51 and
// MCU 8051 IDE users name their sources; as31 takes .asm; asxxxx (sdas) sources
// are .s, leaving .asm to as31; the C array is #included, so .h. No two alike,
// so no default of one format lands on another's file.
constexpr std::array Table{
    Format{"listing", ".txt", "the window's listing, byte for byte", false, WriteListingFormat, ReadDataLines},
    Format{"a51", ".a51", "DB lines, items 0FFH: Keil A51, ASEM-51, MCU 8051 IDE", true, WriteA51, ReadDataLines},
    Format{"as31", ".asm", ".db lines, items 0FFH: as31", true, WriteAs31, ReadDataLines},
    Format{"sdas", ".s", ".db lines, items 0xFF: SDCC's sdas8051", true, WriteSdas, ReadDataLines},
    Format{"c", ".h", "const unsigned char NAME[488]: SDCC, Keil C51, GCC", true, WriteC, ReadC},
    Format{"bin", ".bin", "the 488 bytes alone", false, WriteBin, ReadBin},
    Format{"bmp", ".bmp", "a 1-bit 122 x 32 picture, lit dots black", false, WriteBmp, ReadBmp},
};

bool HasControlByte(std::string_view bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u <= 0x08 || (u >= 0x0E && u <= 0x1F);
    });
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

std::span<const Format> Formats()
{
    return Table;
}

const Format* FindFormat(std::string_view name)
{
    const auto found = std::find_if(Table.begin(), Table.end(), [&](const Format& f) { return f.name == name; });
    return found == Table.end() ? nullptr : &*found;
}

const Format* DetectFormat(std::string_view bytes)
{
    if (bytes.starts_with("BM") && HasControlByte(bytes.substr(0, 54)))
        return FindFormat("bmp");
    const bool text = text::IsText(bytes);
    if (bytes.size() == DisplayBytes && !text)
        return FindFormat("bin");
    if (text) {
        if (const std::string_view flavour = DataLinesFlavour(bytes); !flavour.empty())
            return FindFormat(flavour);
        if (bytes.find('{') != std::string_view::npos)
            return FindFormat("c");
    }
    if (bytes.size() == DisplayBytes)
        return FindFormat("bin");
    return nullptr;
}

ReadResult ReadAnyFormat(std::string_view bytes)
{
    if (const Format* format = DetectFormat(bytes))
        return format->read(bytes);
    return Failure{
        "It is neither a BMP picture nor a table in a format Quillon reads (listing, a51, as31, sdas, c, bin)."};
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

}  // namespace quillon
