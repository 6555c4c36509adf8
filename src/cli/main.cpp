// quillon-cli: pictures of any kind to the 122 x 32 LCD's data tables, in the
// window's listing and in the formats assemblers and compilers take; tables
// checked on disk and their dots shown; text and fonts for firmware.
#include "cli/command.h"

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#ifdef _WIN32
#include "files/windows_arguments.h"

#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Tables and pictures go to standard output byte for byte, and messages
    // end their lines with "\n" as on Linux.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The arguments as UTF-8 from the wide command line: argv holds them in
    // the ANSI code page, which loses every name outside it.
    std::vector<std::string> arguments = quillon::Utf8Arguments();
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
        return quillon::cli::RunCommandLine(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("quillon-cli: out of memory\n", stderr);
        return quillon::cli::BadFile;
    }
}
