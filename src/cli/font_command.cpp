// quillon-cli font: a font's glyphs for the characters asked for, written as a
// glyph table in the display's byte layout (text/glyph_table.h) for firmware.
#include "cli/messages.h"
#include "cli/text_commands.h"
#include "formats/formats.h"
#include "text/glyph_table.h"
#include "text/table_writer.h"

#include <charconv>

namespace quillon::cli {

namespace {

struct FontOptions {
    std::string font;
    int size = 0;
    std::string chars = "32-126";
    std::string format;
    std::string output;
    std::string label;
    CLI::App* command = nullptr;
};

FontOptions& Options()
{
    static FontOptions options;
    return options;
}

std::optional<unsigned> Code(std::string_view word)
{
    unsigned value = 0;
    const bool hex = word.starts_with("0x") || word.starts_with("0X");
    if (hex)
        word.remove_prefix(2);
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value, hex ? 16 : 10);
    if (word.empty() || error != std::errc() || end != word.data() + word.size() || value > 0xFFFF)
        return std::nullopt;
    return value;
}

// "32-126,0xB0": codes and ranges of codes, each 0 to 0xFFFF.
std::optional<std::set<char32_t>> Codes(std::string_view list)
{
    std::set<char32_t> codes;
    while (!list.empty()) {
        const std::size_t comma = std::min(list.find(','), list.size());
        const std::string_view item = list.substr(0, comma);
        const std::size_t dash = item.find('-', 1);
        const auto low = Code(item.substr(0, dash));
        const auto high = dash == std::string_view::npos ? low : Code(item.substr(dash + 1));
        if (!low || !high || *low > *high)
            return std::nullopt;
        for (unsigned code = *low; code <= *high; ++code)
            codes.insert(code);
        list.remove_prefix(std::min(comma + 1, list.size()));
    }
    if (codes.empty())
        return std::nullopt;
    return codes;
}

// The C name of the table: the font's file name and the size asked for.
std::string DefaultLabel(const std::string& font, bool sizeGiven, int size)
{
    const std::string suffix = sizeGiven ? "_" + std::to_string(size) : "";
    std::string name = CIdentifier(PathText(PathFromText(font).filename()));
    name.resize(std::min(name.size(), 31 - suffix.size()));
    name += suffix;
    return IsValidLabel(name) ? name : name + "_";
}

}  // namespace

CLI::App* AddFontCommand(CLI::App& app)
{
    FontOptions& options = Options();
    CLI::App* command = app.add_subcommand("font", "Write a font's glyph table for firmware");
    command->footer(
        "The table holds the glyphs of --chars in the display's byte layout (columns\n"
        "of 8-dot bytes, bit 0 at the top, whole pages), with the first and last\n"
        "code, widths, left offsets, advances, bitmap offsets, height, baseline,\n"
        "line height and the font's kerning pairs; the C file's comment and the\n"
        "README say the layout. examples/font/ draws text from it in C89.");
    command->add_option("--font", options.font, "A BDF, PCF, PCF.gz, TTF or OTF font")->type_name("FONT")->required();
    command->add_option("--size", options.size, "Pixel size of a scalable font")->type_name("PX");
    command->add_option("--chars", options.chars, "Codes and ranges (default 32-126)")->type_name("LIST");
    command->add_option("-f,--format", options.format, "What to write")
        ->type_name("FORMAT")
        ->required()
        ->check(CLI::IsMember({"c", "a51", "as31", "sdas", "bin"}));
    command->add_option("-o,--output", options.output, "The file to write; - is stdout")->type_name("FILE")->required();
    command->add_option("--label", options.label, "The array's name, the assembler label")->type_name("NAME");
    options.command = command;
    return command;
}

ExitCode RunFont()
{
    const FontOptions& options = Options();
    const auto codes = Codes(options.chars);
    if (!codes) {
        ProblemAt("--chars " + options.chars, "is no list of codes like 32-126,0xB0 (each 0 to 0xFFFF)");
        return UsageError;
    }
    if (!options.label.empty() && !IsValidLabel(options.label)) {
        ProblemAt("--label " + options.label,
                  "is no label: letters, digits and _, not first a digit, at most 31, no keyword or register name");
        return UsageError;
    }
    const bool sizeGiven = options.command->count("--size") > 0;
    const std::optional<LoadedFont> loaded = LoadFont(options.font, sizeGiven, options.size, *codes);
    if (!loaded)
        return BadFile;
    const Result<text::GlyphTable> table = text::MakeTable(loaded->font);
    if (!table) {
        ProblemAt(loaded->name, OneLine(table.Error()));
        return BadFile;
    }
    const auto bytes = text::TableBytes(*table, *codes->begin(), *codes->rbegin());
    if (!bytes) {
        ProblemAt(loaded->name, bytes.Error());
        return BadFile;
    }
    NameMissing(*loaded);

    std::string description = "Glyph table of " + PathText(PathFromText(options.font).filename()) + " (" +
                              loaded->font.kind + (sizeGiven ? ", " + std::to_string(options.size) + " px" : "") +
                              "), codes " + options.chars + ", made by quillon-cli font.";
    for (char& c : description) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';  // the comment stays one line
    }
    for (std::size_t at; (at = description.find("*/")) != std::string::npos;)
        description.replace(at, 2, "* /");
    const text::TableText text{
        options.label.empty() ? DefaultLabel(options.font, sizeGiven, options.size) : options.label, description};
    return WriteOutput(options.output, text::WriteGlyphTable(*bytes, options.format, text)) ? AllGood : BadFile;
}

}  // namespace quillon::cli
