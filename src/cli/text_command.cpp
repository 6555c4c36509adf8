// quillon-cli text: TEXT drawn with a font into a display image, written in
// any of the image formats; and the font loading text and font share.
#include "cli/messages.h"
#include "cli/text_commands.h"
#include "files/input_file.h"
#include "files/replace_file.h"
#include "formats/formats.h"
#include "text/glyph_table.h"

#include <filesystem>

namespace quillon::cli {

namespace {

struct TextOptions {
    std::string text;
    std::string font;
    int size = 0;
    int x = 0;
    int y = 0;
    std::string align;
    std::string valign;
    bool inverse = false;
    std::string format;
    std::string output;
    CLI::App* command = nullptr;
};

TextOptions& Options()
{
    static TextOptions options;
    return options;
}

text::Align AlignOf(const std::string& word)
{
    if (word == "left" || word == "top")
        return text::Align::Start;
    if (word == "center" || word == "middle")
        return text::Align::Middle;
    if (word == "right" || word == "bottom")
        return text::Align::End;
    return text::Align::None;
}

}  // namespace

std::optional<LoadedFont> LoadFont(const std::string& fontArgument, bool sizeGiven, int size,
                                   const std::set<char32_t>& codes)
{
    LoadedFont loaded;
    loaded.name = fontArgument.empty() ? "built-in font" : fontArgument;
    if (sizeGiven && (size < 1 || size > text::MaxPixelSize)) {
        ProblemAt(loaded.name, "--size " + std::to_string(size) + " is no pixel size; give 1 to " +
                                   std::to_string(text::MaxPixelSize));
        return std::nullopt;
    }
    const text::FontRequest request{codes, sizeGiven ? size : 0};
    Result<text::Font> font = Failure{};
    if (fontArgument.empty()) {
        font = text::BuiltInFont(request);
    } else {
        const Result<std::string> bytes =
            files::ReadStart(PathFromText(fontArgument), text::FontReadLimit + 1, "a font file");
        if (!bytes) {
            ProblemAt(loaded.name, "cannot be read: " + OneLine(bytes.Error()));
            return std::nullopt;
        }
        if (bytes->size() > text::FontReadLimit) {
            ProblemAt(loaded.name,
                      "is larger than the " + std::to_string(text::FontReadLimit >> 20) + " MiB a font file may take");
            return std::nullopt;
        }
        font = text::ReadFont(*bytes, request);
    }
    if (!font) {
        ProblemAt(loaded.name, OneLine(font.Error()));
        return std::nullopt;
    }
    loaded.font = std::move(*font);
    return loaded;
}

void NameMissing(const LoadedFont& loaded)
{
    const std::string drawn = loaded.font.hasDefault ? "; its default glyph is drawn instead" : "; it is left out";
    for (const char32_t code : loaded.font.missing)
        ProblemAt(loaded.name, "has no glyph for " + text::CharacterName(code) + drawn);
}

bool WriteOutput(const std::string& output, const std::string& bytes)
{
    const std::filesystem::path path = PathFromText(output);
    const auto identity = output == "-" ? std::nullopt : files::IdentityOf(path);
    if (output == "-" || (identity && identity == files::IdentityOfStandardOutput())) {
        Emit(bytes);
        return StdoutIntact();
    }
    if (const Result<void> written = files::ReplaceFile(path, bytes, files::Place::Given); !written) {
        Problem(path, "cannot be written: " + OneLine(written.Error()));
        return false;
    }
    return true;
}

CLI::App* AddTextCommand(CLI::App& app)
{
    TextOptions& options = Options();
    CLI::App* command = app.add_subcommand("text", "Draw TEXT with a font into a display image and write it");
    command->footer(
        "TEXT is UTF-8; \\n (backslash, n) starts a new line one line height lower,\n"
        "\\\\ is one backslash. The first line's top of the ascent is at row Y, the\n"
        "pen's origin at column X; --align and --valign place the box of the lit\n"
        "dots instead. What falls outside the display is cut off. Fonts: BDF, PCF,\n"
        "PCF.gz, TrueType, OpenType; without --font the built-in 8 px font\n"
        "(Latin-1: U+0020-U+007E and U+00A0-U+00FF). A character the font lacks\n"
        "is named on stderr and drawn as its default glyph, or left out.");
    command->add_option("--font", options.font, "A BDF, PCF, PCF.gz, TTF or OTF font (default: built-in)")
        ->type_name("FONT");
    command->add_option("--size", options.size, "Pixel size of a scalable font")->type_name("PX");
    command->add_option("--x", options.x, "Column of the pen's origin (default 0)")
        ->type_name("X")
        ->check(CLI::Range(-9999, 9999));
    command->add_option("--y", options.y, "Row of the first line's top (default 0)")
        ->type_name("Y")
        ->check(CLI::Range(-9999, 9999));
    command->add_option("--align", options.align, "Place the text's box: left, center or right")
        ->type_name("WHERE")
        ->check(CLI::IsMember({"left", "center", "right"}));
    command->add_option("--valign", options.valign, "Place the text's box: top, middle or bottom")
        ->type_name("WHERE")
        ->check(CLI::IsMember({"top", "middle", "bottom"}));
    command->add_flag("--inverse", options.inverse, "Light the background instead");
    std::vector<std::string> names;
    for (const Format& format : Formats())
        names.emplace_back(format.name);
    command->add_option("-f,--format", options.format, "What to write")
        ->type_name("FORMAT")
        ->default_str("listing")
        ->check(CLI::IsMember(names));
    command->add_option("-o,--output", options.output, "The file to write; - is stdout")->type_name("FILE")->required();
    command->add_option("TEXT", options.text, "The text, UTF-8")->required();
    options.command = command;
    return command;
}

ExitCode RunText()
{
    const TextOptions& options = Options();
    const auto codes = text::TextCodes(options.text);
    if (!codes) {
        ProblemAt("TEXT", "is not UTF-8");
        return BadFile;
    }
    std::set<char32_t> wanted(codes->begin(), codes->end());
    wanted.erase(text::NewLine);
    const bool sizeGiven = options.command->count("--size") > 0;
    const std::optional<LoadedFont> loaded = LoadFont(options.font, sizeGiven, options.size, wanted);
    if (!loaded)
        return BadFile;
    const Result<text::GlyphTable> table = text::MakeTable(loaded->font);
    if (!table) {
        ProblemAt(loaded->name, OneLine(table.Error()));
        return BadFile;
    }
    NameMissing(*loaded);

    const text::Placement placement{options.x, options.y, AlignOf(options.align), AlignOf(options.valign)};
    const auto [x, y] = text::Origin(*table, *codes, placement);
    DisplayImage image;
    text::Draw(*table, *codes, x, y, image);
    if (options.inverse) {
        for (std::size_t k = 0; k < DisplayBytes; ++k)
            image.SetByte(k, static_cast<std::uint8_t>(~image.Byte(k)));
    }
    const Format& format = *FindFormat(options.format.empty() ? "listing" : options.format);
    const std::string name = options.output == "-" ? "text" : PathText(PathFromText(options.output).filename());
    return WriteOutput(options.output, format.write(image, WriteOptions{{}, name})) ? AllGood : BadFile;
}

}  // namespace quillon::cli
