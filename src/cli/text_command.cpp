// quillon-cli text: TEXT drawn with a font into a display image, alone or over
// a picture's dots (--onto), and written in any of the image formats.
#include "cli/command.h"
#include "cli/fonts.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "text/glyph_table.h"

namespace quillon::cli {

namespace {

class Text final : public Command {
public:
    void Add(CLI::App& command) override;
    void Check() override;
    ExitCode Run() override;

private:
    std::optional<DisplayImage> Background() const;

    std::string text_;
    std::string font_;
    std::optional<int> size_;
    int x_ = 0;
    int y_ = 0;
    std::string align_;
    std::string valign_;
    int lineSpacing_ = 0;
    bool inverse_ = false;
    bool verbose_ = false;
    std::string formatName_;
    std::string output_;
    std::string onto_;
    PictureWords picture_;
    const Format* format_ = nullptr;
};

void Text::Add(CLI::App& subcommand)
{
    CLI::App* command = &subcommand;
    command->footer(
        "TEXT is UTF-8; \\n (backslash, n) starts a new line one line height lower,\n"
        "\\\\ is one backslash. The first line's top of the ascent is at row Y, the\n"
        "pen's origin at column X; --align places each line's lit dots, --valign\n"
        "the whole text's, instead. What falls outside the display is cut off, and\n"
        "said. Fonts: BDF, PCF, PCF.gz, TrueType, OpenType, by file or by name\n"
        "(\"DejaVu Sans\", monospace, \"DejaVu Sans:bold\"); without --font the built-in\n"
        "8 px font (Latin-1: U+0020-U+007E and U+00A0-U+00FF). A character the font\n"
        "lacks is named on stderr and drawn as its default glyph, or left out.");
    command->add_option("--font", font_, "A font file, or a font's name (default: built-in)")->type_name("FONT");
    command->add_option("--size", size_, "Pixel size of a scalable font")->type_name("PX");
    command->add_option("--x", x_, "Column of the pen's origin (default 0)")
        ->type_name("X")
        ->check(CLI::Range(-9999, 9999));
    command->add_option("--y", y_, "Row of the first line's top (default 0)")
        ->type_name("Y")
        ->check(CLI::Range(-9999, 9999));
    command->add_option("--align", align_, "Place each line: left, center or right")
        ->type_name("WHERE")
        ->check(CLI::IsMember(std::vector<std::string>(text::AlignNames.begin(), text::AlignNames.end())));
    command->add_option("--valign", valign_, "Place the text: top, middle or bottom")
        ->type_name("WHERE")
        ->check(
            CLI::IsMember(std::vector<std::string>(text::VerticalAlignNames.begin(), text::VerticalAlignNames.end())));
    command->add_option("--line-spacing", lineSpacing_, "Rows added between lines (or taken away)")
        ->type_name("N")
        ->check(CLI::Range(-99, 99));
    command->add_flag("--inverse", inverse_, "Turn every dot over at the end");
    command->add_option("--onto", onto_, "Draw onto this picture's (or table's) dots")->type_name("PICTURE");
    AddFormatOption(*command, formatName_);
    command->add_option("-o,--output", output_, "The file to write; - is stdout")->type_name("FILE")->required();
    command->add_flag("-v,--verbose", verbose_, "Name the font file a font's name chose");
    command->add_option("TEXT", text_, "The text, UTF-8")->required();
    AddPictureOptions(*command, picture_);
}

void Text::Check()
{
    format_ = &ChosenFormat(formatName_, PathFromText(output_), true);
}

// The picture's dots the text is drawn onto, or a clear display.
std::optional<DisplayImage> Text::Background() const
{
    if (onto_.empty())
        return DisplayImage{};
    const std::filesystem::path path = PathFromText(onto_);
    std::optional<files::InputFile> file = OpenInput(path, "a picture file");
    if (!file)
        return std::nullopt;
    const Result<FileDots> dots = DotsOfFile(*file, picture_.Finish(false));
    if (!dots) {
        ProblemAt(InputName(path), OneLine(dots.Error()));
        return std::nullopt;
    }
    return dots->image;
}

ExitCode Text::Run()
{
    const auto codes = text::TextCodes(text_);
    if (!codes) {
        ProblemAt("TEXT", "is not UTF-8");
        return BadFile;
    }
    std::set<char32_t> wanted(codes->begin(), codes->end());
    wanted.erase(text::NewLine);
    const std::optional<LoadedFont> loaded = LoadFont(font_, size_, wanted, verbose_);
    if (!loaded)
        return BadFile;
    const Result<text::GlyphTable> table = text::MakeTable(loaded->font);
    if (!table) {
        ProblemAt(loaded->name, OneLine(table.Error()));
        return BadFile;
    }
    NameMissing(*loaded);
    std::optional<DisplayImage> image = Background();
    if (!image)
        return BadFile;
    const text::Placement placement{x_, y_, text::AlignNamed(align_), text::AlignNamed(valign_), lineSpacing_};
    const text::Drawn drawn = text::DrawText(*table, *codes, placement, *image);
    if (const std::string note = text::CutOffNote(drawn); !note.empty())
        ProblemAt("TEXT", note);
    if (inverse_)
        image->Invert();
    const std::filesystem::path output = PathFromText(output_);
    const std::string name = IsDash(output) ? "text" : PathText(output.filename());
    return WriteOutput(output, format_->Write(*image, WriteOptions{{}, name})) ? AllGood : BadFile;
}

}  // namespace

std::unique_ptr<Command> TextCommand()
{
    return std::make_unique<Text>();
}

}  // namespace quillon::cli
