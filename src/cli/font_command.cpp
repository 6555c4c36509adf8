// quillon-cli font: a font's glyphs for the characters asked for, written as a
// glyph table in the display's byte layout (text/glyph_table.h) for firmware.
#include "cli/command.h"
#include "cli/fonts.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "text/glyph_table.h"
#include "text/table_writer.h"

namespace quillon::cli {

namespace {

// The formats a glyph table is written in.
const std::vector<std::string> TableFormats = {"c", "a51", "as31", "sdas", "bin"};

// The C name of the table: the font's file name and the size asked for.
std::string DefaultLabel(const std::string& file, std::optional<int> size)
{
    const std::string suffix = size ? "_" + std::to_string(*size) : "";
    std::string name = CIdentifier(PathText(PathFromText(file).filename()));
    name.resize(std::min(name.size(), 31 - suffix.size()));
    name += suffix;
    return IsValidLabel(name) ? name : name + "_";
}

// The table's comment: one line, never closing a C comment. A font given by
// name is named with the file it chose.
std::string Description(const LoadedFont& loaded, std::optional<int> size, const std::string& chars)
{
    const std::string named = loaded.file == loaded.name ? "" : " (" + loaded.name + ": " + loaded.file + ")";
    std::string description = "Glyph table of " + PathText(PathFromText(loaded.file).filename()) + named + " (" +
                              loaded.font.kind + (size ? ", " + std::to_string(*size) + " px" : "") + "), codes " +
                              chars + ", made by quillon-cli font.";
    for (char& c : description) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';
    }
    for (std::size_t at; (at = description.find("*/")) != std::string::npos;)
        description.replace(at, 2, "* /");
    return description;
}

class Font final : public Command {
public:
    void Add(CLI::App& command) override;
    void Check() override;
    ExitCode Run() override;

private:
    std::string font_;
    std::optional<int> size_;
    std::string chars_ = "32-126";
    std::string formatName_;
    std::string output_;
    std::string label_;
    bool verbose_ = false;
    std::set<char32_t> codes_;
};

void Font::Add(CLI::App& subcommand)
{
    CLI::App* command = &subcommand;
    command->footer(
        "The table holds the glyphs of --chars in the display's byte layout (columns\n"
        "of 8-dot bytes, bit 0 at the top, whole pages), with the first and last\n"
        "code, widths, left offsets, advances, bitmap offsets, height, baseline,\n"
        "line height and the font's kerning pairs; the C file's comment and\n"
        "docs/fonts.md say the layout. examples/font/ draws text from it in C89.");
    command->add_option("--font", font_, "A font file, or a font's name")->type_name("FONT")->required();
    command->add_option("--size", size_, "Pixel size of a scalable font")->type_name("PX");
    command->add_option("--chars", chars_, "Codes and ranges (default 32-126)")->type_name("LIST");
    command->add_option("-f,--format", formatName_, "What to write (default: by -o's name)")
        ->type_name("FORMAT")
        ->check(CLI::IsMember(TableFormats));
    command->add_option("-o,--output", output_, "The file to write; - is stdout")->type_name("FILE")->required();
    command->add_option("--label", label_, "The array's name, the assembler label")->type_name("NAME");
    command->add_flag("-v,--verbose", verbose_, "Name the font file a font's name chose");
}

void Font::Check()
{
    if (formatName_.empty()) {
        const Format* chosen = output_ == "-" ? nullptr : FormatChosenBy(PathText(PathFromText(output_).filename()));
        if (!chosen || std::find(TableFormats.begin(), TableFormats.end(), chosen->name) == TableFormats.end())
            throw CLI::ValidationError("--format",
                                       "is needed: the output's name chooses none of c, a51, as31, "
                                       "sdas and bin");
        formatName_ = chosen->name;
    }
    const auto codes = text::CodesOf(chars_);
    if (!codes)
        throw CLI::ValidationError("--chars", chars_ + " is no list of codes like 32-126,0xB0 (each 0 to 0xFFFF)");
    codes_ = *codes;
    if (const Result<void> label = CheckLabel(label_, *FindFormat(formatName_)); !label)
        throw CLI::ValidationError("--label", label.Error());
}

ExitCode Font::Run()
{
    const std::optional<LoadedFont> loaded = LoadFont(font_, size_, codes_, verbose_);
    if (!loaded)
        return BadFile;
    const Result<text::GlyphTable> table = text::MakeTable(loaded->font);
    if (!table) {
        ProblemAt(loaded->name, OneLine(table.Error()));
        return BadFile;
    }
    const auto bytes = text::TableBytes(*table, *codes_.begin(), *codes_.rbegin());
    if (!bytes) {
        ProblemAt(loaded->name, bytes.Error());
        return BadFile;
    }
    NameMissing(*loaded);
    const text::TableText text{label_.empty() ? DefaultLabel(loaded->file, size_) : label_,
                               Description(*loaded, size_, chars_)};
    return WriteOutput(PathFromText(output_), text::WriteGlyphTable(*bytes, formatName_, text)) ? AllGood : BadFile;
}

}  // namespace

std::unique_ptr<Command> FontCommand()
{
    return std::make_unique<Font>();
}

}  // namespace quillon::cli
