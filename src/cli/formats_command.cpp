// quillon-cli formats: the tables quillon-cli reads and writes, the kinds of
// picture it reads, and the words its options take, from the tables they are
// kept in. With --names, one a line, for scripts (the bash completion reads
// them so).
#include "cli/command.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "convert/artwork.h"
#include "formats/formats.h"
#include "intake/picture_kinds.h"

#include <functional>
#include <map>

namespace quillon::cli {

namespace {

std::string Padded(std::string text, std::size_t width)
{
    text.resize(std::max(width, text.size() + 1), ' ');
    return text;
}

template <typename List>
std::vector<std::string> Strings(const List& list)
{
    std::vector<std::string> strings;
    for (const auto& item : list) {
        if constexpr (std::is_same_v<std::decay_t<decltype(item)>, int>)
            strings.push_back(std::to_string(item));
        else
            strings.emplace_back(item);
    }
    return strings;
}

// Each list a script may ask for, by its name.
const std::map<std::string, std::function<std::vector<std::string>()>>& Lists()
{
    static const std::map<std::string, std::function<std::vector<std::string>()>> lists = {
        {"tables",
         [] {
             std::vector<std::string> names;
             for (const Format& format : Formats())
                 names.emplace_back(format.name);
             return names;
         }},
        {"pictures",
         [] {
             std::vector<std::string> names;
             for (const PictureKind& kind : PictureKinds())
                 names.emplace_back(kind.name);
             return names;
         }},
        {"extensions",
         [] {
             std::vector<std::string> endings;
             for (const PictureKind& kind : PictureKinds()) {
                 for (std::string_view rest = kind.extensions; !rest.empty();) {
                     const std::string_view ending = rest.substr(0, rest.find(' '));
                     endings.emplace_back(ending);
                     rest.remove_prefix(std::min(rest.size(), ending.size() + 1));
                 }
             }
             return endings;
         }},
        {"fit", [] { return Strings(FitNames); }},
        {"dither", [] { return Strings(DitherNames); }},
        {"background", [] { return Strings(BackgroundNames); }},
        {"flip", [] { return Strings(std::vector<std::string_view>(FlipNames.begin() + 1, FlipNames.end())); }},
        {"rotate", [] { return Strings(Rotations); }},
    };
    return lists;
}

class Formats final : public Command {
public:
    void Add(CLI::App& subcommand) override
    {
        CLI::App* command = &subcommand;
        std::vector<std::string> names;
        for (const auto& [name, list] : Lists())
            names.push_back(name);
        command->add_option("--names", list_, "Only the names of one list, one a line")
            ->type_name("LIST")
            ->check(CLI::IsMember(names));
    }

    ExitCode Run() override
    {
        if (!list_.empty()) {
            for (const std::string& name : Lists().at(list_)())
                Say(name);
            return StdoutIntact() ? AllGood : BadFile;
        }
        Say("Tables (--format), written as lcd_<stem><ending>, read back by content:");
        for (const Format& format : quillon::Formats())
            Say("  " + Padded(std::string(format.name), 9) + Padded(std::string(format.extension), 6) +
                std::string(format.purpose));
        Say("");
        Say("Pictures, read by content:");
        for (const PictureKind& kind : PictureKinds())
            Say("  " + Padded(std::string(kind.name), 6) + std::string(kind.extensions));
        return StdoutIntact() ? AllGood : BadFile;
    }

private:
    std::string list_;
};

}  // namespace

std::unique_ptr<Command> FormatsCommand()
{
    return std::make_unique<Formats>();
}

}  // namespace quillon::cli
