// quillon-cli: converts 122 x 32 two-colour BMP pictures to LCD listings, checks
// listings on disk, and prints a listing's dots, with the core the window uses.
#include "cli/commands.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <new>
#include <string>
#include <vector>

namespace {

using namespace quillon::cli;

constexpr const char* ExitCodes =
    "Exit codes:\n"
    "  0   all good: every picture converted, every listing up to date, or the listing shown whole\n"
    "  1   --check found a listing that is missing or out of date\n"
    "  2   a picture was rejected, or a file could not be read or written\n"
    "      (preview: the listing, or some of its lines, could not be read, or dots were left unpainted)\n"
    "  64  the command line was not understood";

// An argument as the file system spells the name: its bytes as they came.
std::filesystem::path FromArgument(const std::string& argument)
{
    return std::filesystem::path(argument);
}

int Run(int argc, char** argv)
{
    CLI::App app(
        "Turns 1-bit 122 x 32 BMP pictures into LCD data listings (\"DB\" lines in LCD page order),\n"
        "byte for byte as the Quillon window writes them.",
        "quillon-cli");
    app.set_version_flag("--version", "quillon-cli " QUILLON_VERSION, "Print the version and exit");
    app.require_subcommand(1);
    app.footer(ExitCodes);
    app.failure_message([](const CLI::App* failed, const CLI::Error& error) {
        std::string command;  // "quillon-cli convert" when the subcommand's line was wrong
        for (const CLI::App* at = failed; at; at = at->get_parent())
            command = at->get_name() + (command.empty() ? "" : " " + command);
        return "quillon-cli: " + std::string(error.what()) + "\nRun '" + command + " --help' for more information.\n";
    });

    std::vector<std::string> pictures;
    std::string output;
    ConvertOptions convert;
    CLI::App* convertCommand =
        app.add_subcommand("convert",
                           "Write lcd_<name>.txt beside each picture (every \".bmp\" in the name becomes "
                           "\".txt\") and print its path");
    convertCommand->add_flag("--inverse", convert.inverse,
                             "Light the pixels of the second colour-table entry instead of the first");
    convertCommand->add_flag("--check", convert.check,
                             "Write nothing; name each listing that is missing or differs from what would be written");
    CLI::Option* outputOption = convertCommand->add_option(
        "-o,--output", output, "Write the listing of the one picture given to FILE instead; - writes it to stdout");
    outputOption->type_name("FILE");
    convertCommand->add_option("PICTURE.bmp", pictures, "The pictures")->required();

    std::string listing;
    CLI::App* previewCommand =
        app.add_subcommand("preview",
                           "Read a listing as the preview window does and print its 122 x 32 dots: '#' set "
                           "(black), '.' clear (green), ' ' never painted");
    previewCommand->add_option("LISTING.txt", listing, "The listing")->required();

    // A first word that is neither an option nor a command would otherwise only
    // be told as "a subcommand is required".
    if (argc > 1 && argv[1][0] != '-' &&
        app.get_subcommands([&](CLI::App* command) { return command->check_name(argv[1]); }).empty()) {
        std::cerr << "quillon-cli: " << argv[1] << " is not a command; the commands are convert and preview\n"
                  << "Run 'quillon-cli --help' for more information.\n";
        return UsageError;
    }

    try {
        app.parse(argc, argv);
        if (convertCommand->parsed()) {
            convert.hasOutput = outputOption->count() > 0;
            convert.output = FromArgument(output);
            if (convert.hasOutput && pictures.size() != 1)
                throw CLI::ValidationError(
                    "--output", "takes the listing of exactly one picture, not " + std::to_string(pictures.size()));
            if (convert.hasOutput && convert.check && output == "-")
                throw CLI::ValidationError("--output", "- cannot be checked; give the listing's file name");
            if (convert.hasOutput && output.empty())
                throw CLI::ValidationError("--output", "needs a file name, or - for standard output");
        }
    } catch (const CLI::ParseError& error) {
        // --help and --version end here too, with exit code 0.
        CLI::App* failed = convertCommand->parsed() ? convertCommand : previewCommand->parsed() ? previewCommand : &app;
        const int code = failed->exit(error, std::cout, std::cerr);
        return code == 0 ? AllGood : UsageError;
    }

    if (convertCommand->parsed()) {
        for (const std::string& picture : pictures)
            convert.pictures.push_back(FromArgument(picture));
        return RunConvert(convert);
    }
    return RunPreview(FromArgument(listing));
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::cerr << "quillon-cli: out of memory\n";
        return quillon::cli::BadFile;
    }
}
