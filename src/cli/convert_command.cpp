// quillon-cli convert: each input, a picture or a table told by its content,
// turned into the display's dots by the one route (engine/dots.h) and written
// in the chosen format beside it or to --output, or compared with the file on
// disk (--check). A batch's files reach the disk together, then each takes
// its place.
#include "cli/command.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "engine/naming.h"
#include "files/replace_file.h"

#include <map>
#include <memory>
#include <vector>

namespace quillon::cli {

namespace {

constexpr const char* Inputs = R"(Each INPUT is a picture or a table in any of the formats below, told by its
content. A 1-bit 122 x 32 BMP is taken as the window takes it: its first
colour's pixels lit (its second's with --inverse). Any other picture (PNG,
GIF, JPEG, PNM, BMP of any kind) is fitted onto the 122 x 32 dots, turned
grey and thresholded or dithered: dark pixels become lit dots, light ones with
--inverse. Under the threshold (--dither none) colours mix as they are
stored (sRGB), as image editors mix them; the dithers mix them in linear
light. A table is exactly 488 bytes of binary, DB, .db or .byte lines, or a
C initialiser in { }. - reads standard input (then give --output).
Put -- before names that begin with -.)";

// The formats and the names written beside each input, from the format table.
std::string FormatList()
{
    std::string list = "Formats (--format; without it, -o's name chooses) and the names written:\n";
    for (const Format& format : Formats()) {
        std::string line = "  " + std::string(format.name);
        line.resize(10, ' ');
        line += (format.name == "listing" ? "lcd_<name>" : "lcd_<stem>") + std::string(format.extension);
        line.resize(26, ' ');
        list += line + std::string(format.purpose) + "\n";
    }
    return list +
           "<name> is the picture's name with every \".bmp\", in any case, made \".txt\"\n"
           "(a " +
           PictureKindNames() +
           " picture named so is named by its <stem>);\n"
           "<stem> is the name without its extension and without a leading \"lcd_\".\n"
           "An output that would land on an input is refused.";
}

enum class Comparison { Same, Missing, Stale, Unreadable };

Comparison CompareWithDisk(const std::filesystem::path& outputPath, const std::string& bytes)
{
    std::error_code error;
    if (!std::filesystem::exists(outputPath, error))
        return Comparison::Missing;
    // One byte more tells a longer file from an equal one.
    const Result<std::string> onDisk = files::ReadStart(outputPath, bytes.size() + 1, "a listing");
    if (!onDisk) {
        Problem(outputPath, "cannot be read: " + OneLine(onDisk.Error()));
        return Comparison::Unreadable;
    }
    return *onDisk == bytes ? Comparison::Same : Comparison::Stale;
}

class Convert final : public Command {
public:
    void Add(CLI::App& command) override;
    void Check() override;
    ExitCode Run() override;

private:
    std::optional<FileDots> Read(const std::filesystem::path& input) const;
    std::optional<FileFrames> ReadFrames(const std::filesystem::path& input) const;
    bool Compare(const std::filesystem::path& input, const std::filesystem::path& output, const std::string& bytes);
    void Write(const std::filesystem::path& input, const FileDots& dots, std::filesystem::path output,
               const std::string& bytes);
    void CommitPending();

    std::vector<std::string> inputs_;
    std::string output_;
    std::string formatName_;
    std::string label_;
    bool inverse_ = false;
    bool check_ = false;
    bool quiet_ = false;
    std::string frames_;  // "all": every frame of an animation
    PictureWords picture_;
    CLI::Option* outputOption_ = nullptr;

    // While running.
    const Format* format_ = nullptr;
    PictureOptions options_;
    std::map<files::FileId, std::filesystem::path> read_;  // the inputs, which no output may replace
    std::vector<std::unique_ptr<files::Replacement>> pending_;
    std::vector<std::filesystem::path> pendingPaths_;
    std::vector<std::filesystem::path> written_;
    bool badFile_ = false;
    bool differences_ = false;
};

void Convert::Add(CLI::App& subcommand)
{
    CLI::App* command = &subcommand;
    AddFormatOption(*command, formatName_);
    command->add_option("--label", label_, "Label before the data; in C the array's name")->type_name("NAME");
    command->add_flag("--inverse", inverse_, "Light an exact BMP's second colour, or light pixels");
    command->add_flag("--check", check_, "Write nothing; name missing or stale files");
    outputOption_ = command->add_option("-o,--output", output_, "Write the one input's file there; - is stdout");
    outputOption_->type_name("FILE");
    command->add_flag("-q,--quiet", quiet_, "Print no paths of files written, nor notices");
    command->add_option("INPUT", inputs_, "Pictures or tables")->required();
    AddPictureOptions(*command, picture_);
    command->add_option("--frames", frames_, "Every frame of an animation, as one table")
        ->type_name("WHICH")
        ->check(CLI::IsMember(FramesChoices))
        ->excludes("--frame")
        ->group("Pictures other than an exact 1-bit 122 x 32 BMP");
    command->footer(std::string(Inputs) + "\n\n" + FormatList());
}

void Convert::Check()
{
    const bool hasOutput = outputOption_->count() > 0;
    if (hasOutput && inputs_.size() != 1)
        throw CLI::ValidationError("--output",
                                   "takes the file of exactly one input, not " + std::to_string(inputs_.size()));
    if (hasOutput && check_ && output_ == "-")
        throw CLI::ValidationError("--output", "- cannot be checked; give the file's name");
    if (hasOutput && output_.empty())
        throw CLI::ValidationError("--output", "needs a file name, or - for standard output");
    for (const std::string& input : inputs_) {
        if (input == "-" && !hasOutput)
            throw CLI::ValidationError("INPUT", "- (standard input) needs --output");
    }
    format_ = &ChosenFormat(formatName_, PathFromText(output_), hasOutput);
    if (const Result<void> frames = CheckHoldsFrames(*format_); !frames_.empty() && !frames)
        throw CLI::ValidationError("--frames", frames.Error());
    if (const Result<void> label = CheckLabel(label_, *format_); !label)
        throw CLI::ValidationError("--label", label.Error());
}

std::optional<FileDots> Convert::Read(const std::filesystem::path& input) const
{
    std::optional<files::InputFile> file = OpenInput(input, "a picture file");
    if (!file)
        return std::nullopt;
    Result<FileStart> start = ReadFileStart(*file, SizeOf(input));
    Result<FileDots> dots =
        start ? DotsOf(std::move(*start), *file, options_) : Failure{"cannot be read: " + start.Error()};
    if (!dots) {
        ProblemAt(InputName(input), OneLine(dots.Error()));
        return std::nullopt;
    }
    if (!quiet_ && !dots->notice.empty())
        ProblemAt(InputName(input), dots->notice);
    return std::move(*dots);
}

std::optional<FileFrames> Convert::ReadFrames(const std::filesystem::path& input) const
{
    std::optional<files::InputFile> file = OpenInput(input, "a picture file");
    if (!file)
        return std::nullopt;
    Result<FileStart> start = ReadFileStart(*file, SizeOf(input));
    Result<FileFrames> frames =
        start ? FramesOf(std::move(*start), *file, options_) : Failure{"cannot be read: " + start.Error()};
    if (!frames) {
        ProblemAt(InputName(input), OneLine(frames.Error()));
        return std::nullopt;
    }
    return std::move(*frames);
}

bool Convert::Compare(const std::filesystem::path& input, const std::filesystem::path& output, const std::string& bytes)
{
    switch (CompareWithDisk(output, bytes)) {
        case Comparison::Same:
            return true;
        case Comparison::Missing:
            Problem(output, "missing; it would be written from " + InputName(input));
            break;
        case Comparison::Stale:
            Problem(output, "out of date; it differs from what " + InputName(input) + " gives");
            break;
        case Comparison::Unreadable:
            badFile_ = true;
            return false;
    }
    differences_ = true;
    return false;
}

void Convert::Write(const std::filesystem::path& input, const FileDots& dots, std::filesystem::path output,
                    const std::string& bytes)
{
    if (const auto id = files::IdentityOf(output); id && read_.count(*id)) {
        const std::filesystem::path& other = read_.at(*id);
        const std::string itself = dots.identity.picture ? "the picture itself" : "the input itself";
        Problem(output, other == input ? "cannot be written: it is " + itself + "; it is left as it is"
                                       : "cannot be written: it is " + PathText(other) +
                                             ", given to be read; it is left as it is");
        badFile_ = true;
        return;
    }
    const bool given = outputOption_->count() > 0;
    Result<std::unique_ptr<files::Replacement>> replacement =
        files::BeginReplacement(output, given ? files::Place::Given : files::Place::Derived);
    Result<void> done = replacement ? (*replacement)->Write(bytes) : Failure{replacement.Error()};
    if (done)
        done = (*replacement)->Close();
    if (!done) {
        Problem(output, "cannot be written: " + OneLine(done.Error()));
        badFile_ = true;
        return;
    }
    pending_.push_back(std::move(*replacement));
    pendingPaths_.push_back(std::move(output));
    if (pending_.size() == files::MostPending)
        CommitPending();
}

// Each file's bytes reach the disk before it takes its place, and its name
// with its folder, once a folder for the batch, before it is named here.
void Convert::CommitPending()
{
    const std::vector<Result<void>> committed = files::CommitAll(pending_);
    for (std::size_t k = 0; k < pending_.size(); ++k) {
        if (committed[k]) {
            written_.push_back(pendingPaths_[k]);
        } else {
            Problem(pendingPaths_[k], "cannot be written: " + OneLine(committed[k].Error()));
            badFile_ = true;
        }
    }
    pending_.clear();
    pendingPaths_.clear();
}

ExitCode Convert::Run()
{
    options_ = picture_.Finish(inverse_);
    const bool hasOutput = outputOption_->count() > 0;
    const std::filesystem::path output = PathFromText(output_);
    const bool toStdout = hasOutput && (IsDash(output) || (!check_ && ToStandardOutput(output)));
    if (!check_ && !toStdout) {
        for (const std::string& input : inputs_) {
            if (const auto id = input == "-" ? std::nullopt : files::IdentityOf(PathFromText(input)))
                read_.emplace(*id, PathFromText(input));
        }
    }
    for (const std::string& name : inputs_) {
        const std::filesystem::path input = PathFromText(name);
        const WriteOptions written{label_, PathText(input.filename())};
        std::optional<FileDots> dots;
        std::string bytes;
        if (frames_.empty()) {
            dots = Read(input);
            if (dots)
                bytes = format_->Write(dots->image, written);
        } else if (std::optional<FileFrames> frames = ReadFrames(input)) {
            dots = FileDots{frames->frames.front().image, frames->identity, false, frames->notice};
            bytes = format_->WriteFrames(frames->frames, written);
        }
        if (!dots) {
            badFile_ = true;
            continue;
        }
        if (toStdout)
            Emit(bytes);
        else if (check_)
            Compare(input, hasOutput ? output : OutputBeside(input, dots->identity, *format_), bytes);
        else
            Write(input, *dots, hasOutput ? output : OutputBeside(input, dots->identity, *format_), bytes);
    }
    CommitPending();
    if (!quiet_) {
        for (const std::filesystem::path& path : written_)
            Say(PathText(path));
    }
    if (!StdoutIntact() || badFile_)
        return BadFile;
    return differences_ ? Differences : AllGood;
}

}  // namespace

std::unique_ptr<Command> ConvertCommand()
{
    return std::make_unique<Convert>();
}

}  // namespace quillon::cli
