#include "cli/options.h"

#include "cli/messages.h"
#include "engine/naming.h"
#include "files/replace_file.h"

#include <algorithm>

namespace quillon::cli {

namespace {

template <std::size_t N>
std::vector<std::string> Words(const std::array<std::string_view, N>& names, bool withNone = true)
{
    std::vector<std::string> words;
    for (const std::string_view name : names) {
        if (withNone || name != "none")
            words.emplace_back(name);
    }
    return words;
}

}  // namespace

PictureOptions PictureWords::Finish(bool inverse) const
{
    PictureOptions options;
    // The parser took only the choices' own words.
    options.artwork.fit = *FitNamed(fit);
    options.artwork.background = *BackgroundNamed(background);
    options.artwork.dither = *DitherNamed(dither);
    options.artwork.flip = *FlipNamed(flip);
    options.artwork.threshold = threshold;
    options.artwork.rotate = rotate;
    options.artwork.inverse = inverse;
    options.frame = frame;
    return options;
}

void AddPictureOptions(CLI::App& command, PictureWords& words)
{
    const std::string group = "Pictures other than an exact 1-bit 122 x 32 BMP";
    const auto choice = [&](const char* name, std::string& value, std::vector<std::string> choices, const char* help,
                            const char* type) {
        command.add_option(name, value, help)->type_name(type)->check(CLI::IsMember(choices))->group(group);
    };
    choice("--fit", words.fit, Words(FitNames), "Onto 122 x 32: contain, cover, stretch, none (1:1)", "HOW");
    choice("--background", words.background, Words(BackgroundNames), "Behind transparency, around it (white)",
           "COLOUR");
    choice("--dither", words.dither, Words(DitherNames), "How greys become dots (none: --threshold)", "HOW");
    command.add_option("--threshold", words.threshold, "A grey below it is lit (default 128)")
        ->type_name("0..255")
        ->check(CLI::Range(0, 255).description(""))
        ->group(group);
    command.add_option("--rotate", words.rotate, "Turn it clockwise first")
        ->type_name("DEGREES")
        ->check(CLI::IsMember(std::vector<int>(Rotations.begin(), Rotations.end())))
        ->group(group);
    choice("--flip", words.flip, Words(FlipNames, false), "Then mirror it: h left-right, v top-bottom", "WAY");
    command.add_option("--frame", words.frame, "The frame of an animated GIF, from 0")
        ->type_name("N")
        ->check(CLI::Validator(
            [](std::string& value) {
                return value.starts_with('-') ? value + " is no frame: frames count from 0" : std::string();
            },
            ""))
        ->group(group);
}

CLI::Option* AddFormatOption(CLI::App& command, std::string& name, std::vector<std::string> formats)
{
    if (formats.empty()) {
        for (const Format& format : Formats())
            formats.emplace_back(format.name);
    }
    return command.add_option("-f,--format", name, "What to write (default: by -o's name, else listing)")
        ->type_name("FORMAT")
        ->check(CLI::IsMember(formats));
}

const Format& ChosenFormat(const std::string& given, const std::filesystem::path& output, bool hasOutput)
{
    const Format& listing = *FindFormat("listing");
    if (!given.empty())
        return *FindFormat(given);
    return hasOutput && !IsDash(output) ? FormatFor(output, listing) : listing;
}

bool IsDash(const std::filesystem::path& path)
{
    return path == "-";
}

std::string InputName(const std::filesystem::path& input)
{
    return IsDash(input) ? "standard input" : PathText(input);
}

std::optional<files::InputFile> OpenInput(const std::filesystem::path& input, std::string_view kind)
{
    if (IsDash(input))
        return files::InputFile::StandardInput();
    Result<files::InputFile> file = files::InputFile::Open(input, kind);
    if (!file) {
        ProblemAt(InputName(input), "cannot be read: " + OneLine(file.Error()));
        return std::nullopt;
    }
    return std::move(*file);
}

std::optional<std::uint64_t> SizeOf(const std::filesystem::path& input)
{
    std::error_code error;
    const std::uint64_t size = IsDash(input) ? 0 : std::filesystem::file_size(input, error);
    if (IsDash(input) || error)
        return std::nullopt;
    return size;
}

bool ToStandardOutput(const std::filesystem::path& output)
{
    if (IsDash(output))
        return true;
    const auto identity = files::IdentityOf(output);
    return identity && identity == files::IdentityOfStandardOutput();
}

bool WriteOutput(const std::filesystem::path& output, std::string_view bytes)
{
    if (ToStandardOutput(output)) {
        Emit(bytes);
        return StdoutIntact();
    }
    if (const Result<void> written = files::ReplaceFile(output, bytes, files::Place::Given); !written) {
        Problem(output, "cannot be written: " + OneLine(written.Error()));
        return false;
    }
    return true;
}

}  // namespace quillon::cli
