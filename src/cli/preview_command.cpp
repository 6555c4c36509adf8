// quillon-cli preview: a table's or picture's 122 x 32 dots printed as text,
// or written as a PNG picture. A listing is read back by the preview window's
// own reader and dot walk, line by line, in a small fixed amount of memory
// whatever its size; any other table, and any picture, take the one route
// convert takes.
#include "cli/command.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "cli/shown_dots.h"
#include "preview/listing_reader.h"

#include <algorithm>
#include <array>
#include <vector>

namespace quillon::cli {

namespace {

// Lines named one by one; past this many a listing is plainly no listing.
constexpr std::size_t MostLinesNamed = 100;
// How much of a file too long to read whole is looked at to tell a listing.
constexpr std::size_t LookAhead = 64 * 1024;

using Rows = DotRows;

// Why the window's reader cannot make whole bytes of a line, or nothing.
std::string LineProblem(const LineFacts& line)
{
    if (line.length < ListingLineCut + ListingLineTail)
        return "too short for a listing line; skipped";
    if (line.foreign)
        return "holds characters that are not hexadecimal digits; their dots are left unpainted";
    if (line.bits % 8 != 0)
        return "ends in part of a byte; its last " + std::to_string(line.bits % 8) + " bits are ignored";
    return {};
}

class Preview final : public Command {
public:
    void Add(CLI::App& command) override;
    void Check() override;
    ExitCode Run() override;

private:
    ExitCode Show(const Rows& rows, bool complete) const;
    ExitCode ShowListing(std::string_view start, files::InputFile& rest, const std::string& name) const;
    ExitCode Refuse(const std::string& name, const std::string& why) const;
    ExitCode ShowFrames(const std::vector<Frame>& frames) const;

    std::string file_;
    std::string png_;
    int scale_ = 4;
    bool inverse_ = false;
    PictureWords picture_;
    CLI::Option* pngOption_ = nullptr;
    CLI::App* command_ = nullptr;
};

void Preview::Add(CLI::App& subcommand)
{
    CLI::App* command = &subcommand;
    command->footer(
        "A listing is read as the window's preview reads it, line by line; ' '\n"
        "marks a dot it never painted. Any other table is read whole, and a picture\n"
        "converted, as convert does it, with the same options. A file that is\n"
        "neither is refused. An animation's table shows each frame under a line\n"
        "naming it and its time, unless --frame picks one.");
    command->add_option("FILE", file_, "A listing, a table in another format, or a picture")->required();
    command->add_flag("--inverse", inverse_, "Light an exact BMP's second colour, or light pixels");
    pngOption_ = command->add_option("--png", png_, "Write the dots there as a PNG picture (- is stdout)");
    pngOption_->type_name("FILE");
    command->add_option("--scale", scale_, "Pixels a dot in the PNG, each way (default 4)")
        ->type_name("1..16")
        ->check(CLI::Range(1, 16).description(""))
        ->needs(pngOption_);
    AddPictureOptions(*command, picture_);
    command_ = command;
}

// Every frame of an animation's table, each under a line naming it.
ExitCode Preview::ShowFrames(const std::vector<Frame>& frames) const
{
    for (std::size_t k = 0; k < frames.size(); ++k) {
        Say((k > 0 ? "\nframe " : "frame ") + std::to_string(k) + ", " + std::to_string(frames[k].delay) + " ms:");
        for (const std::string& row : RowsOf(frames[k].image))
            Say(row);
    }
    return StdoutIntact() ? AllGood : BadFile;
}

void Preview::Check()
{
    if (pngOption_->count() > 0 && png_.empty())
        throw CLI::ValidationError("--png", "needs a file name, or - for standard output");
}

// The dots shown: printed, or with --png written as a picture; then the exit
// code. A preview that lost dots or lines writes no picture.
ExitCode Preview::Show(const Rows& rows, bool complete) const
{
    return ShowDots(rows, png_, scale_, complete);
}

ExitCode Preview::Refuse(const std::string& name, const std::string& why) const
{
    ProblemAt(name, OneLine(why));
    return BadFile;
}

// The window's reader over the whole file, in pieces, so that every line that
// cannot be read whole is named, those past the last painted dot too.
ExitCode Preview::ShowListing(std::string_view start, files::InputFile& rest, const std::string& name) const
{
    if (inverse_)
        return Refuse(name, "--inverse picks a picture's colour; this is a table (listing), nothing to pick");
    ListingPaints painter;
    std::vector<std::pair<std::uint64_t, std::string>> named;  // line number, why
    std::uint64_t notNamed = 0;
    painter.OnLine([&](const LineFacts& line) {
        const std::string problem = line.length == 0 ? std::string() : LineProblem(line);
        if (!problem.empty() && named.size() < MostLinesNamed)
            named.emplace_back(line.number, problem);
        else if (!problem.empty())
            ++notNamed;
    });
    painter.Feed(start);
    std::vector<char> chunk(64 * 1024);
    for (Result<std::size_t> got = rest.Read(chunk.data(), chunk.size()); got && *got > 0;
         got = rest.Read(chunk.data(), chunk.size())) {
        painter.Feed(std::string_view(chunk.data(), *got));
    }
    painter.Finish();
    const Rows rows = RowsOf(painter.Paints());
    if (png_.empty()) {
        for (const std::string& row : rows)
            Say(row);
    }
    for (const auto& [number, why] : named)
        ProblemAt(name + ":" + std::to_string(number), why);
    if (notNamed > 0)
        ProblemAt(name, std::to_string(notNamed) + " more lines cannot be read whole");
    const int unpainted = painter.Unpainted();
    if (unpainted > 0)
        ProblemAt(name, std::to_string(unpainted) + " of " + std::to_string(DisplayWidth * DisplayHeight) +
                            " dots were never painted (shown as blanks)");
    const bool complete = named.empty() && notNamed == 0 && unpainted == 0;
    if (!png_.empty())
        return Show(rows, complete);
    return !StdoutIntact() ? BadFile : complete ? AllGood : BadFile;
}

ExitCode Preview::Run()
{
    const std::filesystem::path path = PathFromText(file_);
    const std::string name = InputName(path);
    std::optional<files::InputFile> file = OpenInput(path, "a listing");
    if (!file)
        return BadFile;
    Result<FileStart> start = ReadFileStart(*file, SizeOf(path), LookAhead);
    if (!start)
        return Refuse(name, "cannot be read: " + start.Error());
    // A listing, or a file of DB lines the tolerant reader cannot take whole,
    // is read as the window reads it, damaged lines and all; so is a file that
    // is told as nothing else but starts with a DB line, however long it is.
    const auto dbLines = [](const Format* format) {
        return format && (format->name == "listing" || format->name == "a51");
    };
    const auto startsWithDbLine = [&] {
        // Its first line, as far as it is text.
        const std::string_view bytes = start->bytes;
        const auto end = std::find_if(bytes.begin(), bytes.end(),
                                      [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; });
        return dbLines(DetectFormat(bytes.substr(0, static_cast<std::size_t>(end - bytes.begin()))));
    };
    if (!start->identity.picture && (!start->whole || !start->identity.table)) {
        if (startsWithDbLine())
            return ShowListing(start->bytes, *file, name);
        if (!start->whole)
            return Refuse(name, "is " + TooLong() + " and starts with no listing lines: neither a picture (" +
                                    PictureKindNames() + ") nor a listing");
    }
    const Format* table = start->identity.table;
    // An animation's table shows every frame, unless --frame picks one.
    if (table && png_.empty() && command_->count("--frame") == 0 && !inverse_) {
        const Result<std::vector<Frame>> frames = table->ReadFrames(start->bytes);
        if (frames && frames->size() > 1)
            return ShowFrames(*frames);
    }
    if (dbLines(table) && (table->name == "listing" || !table->Read(start->bytes)))
        return ShowListing(start->bytes, *file, name);
    const Result<FileDots> dots = DotsOf(std::move(*start), *file, picture_.Finish(inverse_));
    if (!dots)
        return Refuse(name, dots.Error());
    return Show(RowsOf(dots->image), true);
}

}  // namespace

std::unique_ptr<Command> PreviewCommand()
{
    return std::make_unique<Preview>();
}

}  // namespace quillon::cli
