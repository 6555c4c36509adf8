#include "cli/messages.h"

#include <cstdio>

namespace quillon::cli {

void Problem(const std::filesystem::path& path, std::string_view what)
{
    ProblemAt(PathText(path), what);
}

void ProblemAt(std::string_view where, std::string_view what)
{
    std::fflush(stdout);  // keep both streams in order on a shared terminal
    std::string line = "quillon-cli: ";
    line += where;
    line += ": ";
    line += what;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

void Say(std::string_view line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

void Emit(std::string_view bytes)
{
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

bool StdoutIntact()
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return true;
    std::fputs("quillon-cli: standard output: write error\n", stderr);
    return false;
}

std::string OneLine(std::string_view text)
{
    std::string joined;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(at, end - at);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        if (!line.empty()) {
            if (!joined.empty())
                joined += ' ';
            joined += line;
        }
        at = end + 1;
    }
    return joined;
}

}  // namespace quillon::cli
