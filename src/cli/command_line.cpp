// quillon-cli's command line: the table of commands, the options all share,
// how a command line that is not understood is answered, and the run of the
// one command given.
#include "cli/command.h"
#include "cli/messages.h"

#include <array>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon::cli {

namespace {

// The commands, in the order --help lists them.
struct CommandEntry {
    const char* name;
    const char* description;
    std::unique_ptr<Command> (*make)();
};
constexpr std::array CommandTable = {
    CommandEntry{"convert", "Write each picture or table in a format; print the paths", ConvertCommand},
    CommandEntry{"preview", "Print a table's or picture's dots: '#' set, '.' clear", PreviewCommand},
    CommandEntry{"text", "Draw TEXT with a font into a display image and write it", TextCommand},
    CommandEntry{"font", "Write a font's glyph table for firmware", FontCommand},
    CommandEntry{"glass", "Run 8051 firmware in s51; print what the display shows", GlassCommand},
    CommandEntry{"formats", "List the table formats and picture kinds it takes", FormatsCommand},
};

constexpr const char* ExitCodes = R"(Exit codes:
  0   all good: every file written, every file up to date, or the dots
      shown whole
  1   --check found a file that is missing or out of date; glass found the
      firmware at fault, or the glass unlike --expect
  2   a file was refused, or could not be read or written (preview: some of
      its lines could not be read, or dots were left unpainted)
  64  the command line was not understood)";

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

void SetUp(CLI::App& app)
{
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
}

// A first word that is neither an option nor a command would otherwise only
// be told as "a subcommand is required".
bool IsCommandWord(CLI::App& app, const char* word)
{
    return word[0] == '-' || !app.get_subcommands([&](CLI::App* command) { return command->check_name(word); }).empty();
}

std::string CommandNames(CLI::App& app)
{
    const std::vector<CLI::App*> commands = app.get_subcommands([](CLI::App*) { return true; });
    std::string names;
    for (std::size_t k = 0; k < commands.size(); ++k)
        names += (k == 0 ? "" : k + 1 == commands.size() ? " and " : ", ") + commands[k]->get_name();
    return names;
}

// Answers a command line that was not understood, or --help and --version.
int Answer(const CLI::ParseError& error, CLI::App& app, CLI::App* command, int argc, char** argv)
{
    CLI::App* failed = command && command->parsed() ? command : &app;
    if (error.get_exit_code() != 0) {
        if (const std::string unknown = UnknownOption(*failed, argc, argv); !unknown.empty()) {
            failed->exit(CLI::ExtrasError(unknown +
                                              " is not an option; a name that begins with - goes after --, as "
                                              "in: " +
                                              failed->get_name() + " -- " + unknown,
                                          CLI::ExitCodes::ExtrasError),
                         std::cout, std::cerr);
            return UsageError;
        }
    }
    return failed->exit(error, std::cout, std::cerr) == 0 ? AllGood : UsageError;
}

}  // namespace

int RunCommandLine(int argc, char** argv, Runner run)
{
    CLI::App app(
        "Turns pictures (PNG, GIF, JPEG, PNM, BMP) into 122 x 32 LCD data tables:\n"
        "the Quillon window's listing, byte for byte, or what assemblers and C\n"
        "compilers take; and shows what 8051 firmware puts on the display.",
        "quillon-cli");
    SetUp(app);
    // Only the command named gets its options: a run sets up no more than
    // it uses (each command's options are code a start would page in).
    // The command named is the first word that names one.
    const char* named = "";
    for (int k = 1; k < argc && std::string_view(argv[k]) != "--" && !*named; ++k) {
        for (const CommandEntry& entry : CommandTable)
            named = std::string_view(argv[k]) == entry.name ? entry.name : named;
    }
    std::unique_ptr<Command> command;
    CLI::App* chosen = nullptr;
    for (const CommandEntry& entry : CommandTable) {
        CLI::App* added = app.add_subcommand(entry.name, entry.description);
        if (entry.name == std::string_view(named)) {
            command = entry.make();
            command->Add(*added);
            // A command whose codes mean more says them itself.
            const std::string footer = added->get_footer();
            if (footer.find("Exit codes:") == std::string::npos)
                added->footer(footer + (footer.empty() ? "" : "\n\n") + ExitCodes);
            chosen = added;
        }
    }
    if (argc > 1 && !IsCommandWord(app, argv[1])) {
        std::cerr << "quillon-cli: " << argv[1] << " is not a command; the commands are " << CommandNames(app)
                  << "\nRun 'quillon-cli --help' for more information.\n";
        return UsageError;
    }
    try {
        app.parse(argc, argv);
        if (chosen && chosen->parsed())
            command->Check();
    } catch (const CLI::ParseError& error) {
        return Answer(error, app, chosen, argc, argv);
    }
    if (chosen && chosen->parsed())
        return run(*command);
    return UsageError;
}

}  // namespace quillon::cli
