// quillon-cli: converts 122 x 32 two-colour BMP pictures to LCD data tables in
// the window's listing and in the formats assemblers and compilers take,
// checks them on disk, and prints a table's dots, with the core the window uses.
#include "cli/commands.h"
#include "cli/messages.h"
#include "cli/text_commands.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <new>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include "files/windows_arguments.h"

#include <fcntl.h>
#include <io.h>
#endif

namespace {

using namespace quillon;
using namespace quillon::cli;

constexpr const char* ExitCodes = R"(Exit codes:
  0   all good: every file written, every file up to date, or the dots
      shown whole
  1   --check found a file that is missing or out of date
  2   a picture was rejected, or a file could not be read or written
      (preview: some of its lines could not be read, or dots were left
      unpainted)
  64  the command line was not understood)";

constexpr const char* ConvertInputs = R"(Each INPUT is a picture or a table in any of the formats below, told by its
content. A 1-bit 122 x 32 BMP is taken as the window takes it: its first
colour's pixels lit (its second's with --inverse). Any other picture (PNG,
GIF, JPEG, PNM, BMP of any kind) is fitted onto the 122 x 32 dots, turned
grey and thresholded or dithered: dark pixels become lit dots, light ones with
--inverse (see the options for pictures). A table is exactly 488 bytes of
binary, DB, .db or .byte lines, or a C initialiser in { }. - reads standard
input (then give --output). Put -- before names that begin with -.)";

// The formats and the names written beside each input, from the format table.
std::string FormatList()
{
    std::string list = "Formats (--format) and the names written beside each input:\n";
    for (const Format& format : Formats()) {
        const std::string name = format.name == "listing" ? "lcd_<name>" : "lcd_<stem>";
        std::string line = "  " + std::string(format.name);
        line.resize(11, ' ');
        line += name + std::string(format.extension);
        line.resize(27, ' ');
        list += line + std::string(format.purpose) + "\n";
    }
    return list + R"(<name> is the picture's name with every ".bmp", in any case, made ".txt"
(a .png, .gif, .jpg, .jpeg or .p?m picture's is its <stem>);
<stem> is the name without its extension and without a leading "lcd_". An
output that would land on an input is refused.)";
}

// "Usage: quillon-cli convert ..." for a command, not "Usage: convert ...".
class Formatter : public CLI::Formatter {
public:
    std::string make_usage(const CLI::App* app, std::string name) const override
    {
        for (const CLI::App* parent = app->get_parent(); parent; parent = parent->get_parent())
            name = parent->get_name() + " " + name;
        return CLI::Formatter::make_usage(app, name);
    }
};

// The first argument before "--" that looks like an option but is none of
// `command`'s (a picture named -x.bmp), or nothing. CLI11 would call it an
// unexpected argument, or miss it and ask for the INPUT it took the place of.
std::string UnknownOption(const CLI::App& command, int argc, char** argv)
{
    bool value = false;  // the argument is an option's value ("--threshold -1")
    for (int k = 1; k < argc; ++k) {
        const std::string_view argument = argv[k];
        if (std::exchange(value, false))
            continue;
        if (argument == "--")
            break;
        if (argument.size() < 2 || argument[0] != '-')
            continue;
        const std::string name = argument.starts_with("--") ? std::string(argument.substr(0, argument.find('=')))
                                                            : std::string(argument.substr(0, 2));
        const CLI::Option* option = command.get_option_no_throw(name);
        if (!option && name != "--help" && name != "-h" && name != "--version")
            return std::string(argument);
        value = option && option->get_type_size() != 0 && name.size() == argument.size();
    }
    return {};
}

int Run(int argc, char** argv)
{
    CLI::App app(
        "Turns pictures (PNG, GIF, JPEG, PNM, BMP) into 122 x 32 LCD data tables:\n"
        "the Quillon window's listing, byte for byte, or what assemblers and C\n"
        "compilers take.",
        "quillon-cli");
    app.allow_windows_style_options(false);  // "/tmp/x.bmp" is a name, on Windows too
    app.formatter(std::make_shared<Formatter>());
    app.get_formatter()->column_width(24);
    app.set_version_flag("--version", "quillon-cli " QUILLON_VERSION, "Print the version and exit");
    app.require_subcommand(1);
    app.footer(ExitCodes);
    app.failure_message([](const CLI::App* failed, const CLI::Error& error) {
        std::string command;  // "quillon-cli convert" when the command's line was wrong
        for (const CLI::App* at = failed; at; at = at->get_parent())
            command = at->get_name() + (command.empty() ? "" : " " + command);
        return "quillon-cli: " + std::string(error.what()) + "\nRun '" + command + " --help' for more information.\n";
    });

    std::vector<std::string> inputs;
    std::string output;
    std::string formatName = "listing";
    ConvertOptions convert;
    CLI::App* convertCommand =
        app.add_subcommand("convert", "Write each picture or table in a format; print the paths");
    convertCommand->footer(std::string(ConvertInputs) + "\n\n" + FormatList() + "\n\n" + ExitCodes);
    std::vector<std::string> names;
    for (const Format& format : Formats())
        names.emplace_back(format.name);
    convertCommand->add_option("-f,--format", formatName, "What to write (default: listing)")
        ->type_name("FORMAT")
        ->check(CLI::IsMember(names));
    convertCommand->add_option("--label", convert.label, "Label before the data; in C the array's name")
        ->type_name("NAME");
    convertCommand->add_flag("--inverse", convert.inverse,
                             "Light a 1-bit BMP's second colour, another picture's light pixels");
    convertCommand->add_flag("--check", convert.check, "Write nothing; name missing or stale files");
    CLI::Option* outputOption =
        convertCommand->add_option("-o,--output", output, "Write the one input's file there; - is stdout");
    outputOption->type_name("FILE");
    convertCommand->add_flag("-q,--quiet", convert.quiet, "Print no paths of files written");
    convertCommand->add_option("INPUT", inputs, "Pictures or tables")->required();
    AddArtworkOptions(*convertCommand, convert.picture);

    std::string shown;
    std::string png;
    PreviewOptions preview;
    CLI::App* previewCommand =
        app.add_subcommand("preview", "Print the 122 x 32 dots of a table or picture: '#' set, '.' clear");
    previewCommand->footer(
        "A listing is read as the window's preview reads it, line by line; ' '\n"
        "marks a dot it never painted. Any other table is read whole, and a picture\n"
        "converted, as convert does it, with the same options.\n\n" +
        std::string(ExitCodes));
    previewCommand->add_option("FILE", shown, "A listing, a table in another format, or a picture")->required();
    previewCommand->add_flag("--inverse", preview.inverse,
                             "Light a 1-bit BMP's second colour, another picture's light pixels");
    CLI::Option* pngOption =
        previewCommand->add_option("--png", png, "Write the dots as a PNG picture there, green and black")
            ->type_name("FILE");
    previewCommand->add_option("--scale", preview.scale, "Pixels a dot in the PNG, each way (default 4)")
        ->type_name("1..16")
        ->check(CLI::Range(1, 16).description(""))
        ->needs(pngOption);
    AddArtworkOptions(*previewCommand, preview.picture);

    CLI::App* textCommand = AddTextCommand(app);
    CLI::App* fontCommand = AddFontCommand(app);
    CLI::App* glassCommand = AddGlassCommand(app);

    // A first word that is neither an option nor a command would otherwise only
    // be told as "a subcommand is required".
    if (argc > 1 && argv[1][0] != '-' &&
        app.get_subcommands([&](CLI::App* command) { return command->check_name(argv[1]); }).empty()) {
        std::cerr << "quillon-cli: " << argv[1]
                  << " is not a command; the commands are convert, preview, text, font and glass\n"
                  << "Run 'quillon-cli --help' for more information.\n";
        return UsageError;
    }

    try {
        app.parse(argc, argv);
        if (previewCommand->parsed() && pngOption->count() > 0 && png.empty())
            throw CLI::ValidationError("--png", "needs a file name");
        if (convertCommand->parsed()) {
            convert.picture.Finish();
            convert.format = FindFormat(formatName);
            convert.hasOutput = outputOption->count() > 0;
            convert.output = PathFromText(output);
            if (convert.hasOutput && inputs.size() != 1)
                throw CLI::ValidationError("--output",
                                           "takes the file of exactly one input, not " + std::to_string(inputs.size()));
            if (convert.hasOutput && convert.check && output == "-")
                throw CLI::ValidationError("--output", "- cannot be checked; give the file's name");
            if (convert.hasOutput && output.empty())
                throw CLI::ValidationError("--output", "needs a file name, or - for standard output");
            for (const std::string& input : inputs) {
                if (input == "-" && !convert.hasOutput)
                    throw CLI::ValidationError("INPUT", "- (standard input) needs --output");
            }
            if (!convert.label.empty() && !convert.format->takesLabel)
                throw CLI::ValidationError("--label", "the " + formatName + " format has no place for a label");
            if (!convert.label.empty() && !IsValidLabel(convert.label))
                throw CLI::ValidationError("--label", "\"" + convert.label +
                                                          "\" is no label: letters, digits and _, not first a "
                                                          "digit, at most 31 characters, no keyword or register "
                                                          "name; " +
                                                          LabelFrom(convert.label) + " would do");
        }
    } catch (const CLI::ParseError& error) {
        // --help and --version end here too, with exit code 0.
        CLI::App* failed = &app;
        for (CLI::App* command : {convertCommand, previewCommand, textCommand, fontCommand, glassCommand})
            failed = command->parsed() ? command : failed;
        if (error.get_exit_code() != 0) {
            if (const std::string unknown = UnknownOption(*failed, argc, argv); !unknown.empty()) {
                return failed->exit(CLI::ExtrasError(unknown +
                                                         " is not an option; a name that begins with - goes "
                                                         "after --, as in: " +
                                                         failed->get_name() + " -- " + unknown,
                                                     CLI::ExitCodes::ExtrasError),
                                    std::cout, std::cerr),
                       UsageError;
            }
        }
        const int code = failed->exit(error, std::cout, std::cerr);
        return code == 0 ? AllGood : UsageError;
    }

    if (textCommand->parsed())
        return RunText();
    if (fontCommand->parsed())
        return RunFont();
    if (glassCommand->parsed())
        return RunGlassCommand();
    if (convertCommand->parsed()) {
        for (const std::string& input : inputs)
            convert.inputs.push_back(PathFromText(input));
        return RunConvert(convert);
    }
    preview.file = PathFromText(shown);
    preview.png = pngOption->count() > 0 ? PathFromText(png) : std::filesystem::path();
    preview.picture.Finish();
    return RunPreview(preview);
}

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Tables and pictures go to standard output byte for byte, and messages
    // end their lines with "\n" as on Linux.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The arguments as UTF-8 from the wide command line: argv holds them in
    // the ANSI code page, which loses every name outside it.
    std::vector<std::string> arguments = Utf8Arguments();
    std::vector<char*> pointers;
    for (std::string& argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    if (!arguments.empty()) {
        argc = static_cast<int>(arguments.size());
        argv = pointers.data();
    }
#endif
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::cerr << "quillon-cli: out of memory\n";
        return BadFile;
    }
}
