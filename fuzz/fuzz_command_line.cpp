// Any bytes as quillon-cli's argument vector (split at NUL bytes) through its
// own command line, every command's options parsed and checked and no
// command's work run. It must end with 0 or 64 without a fault: a command
// whose Check passes gets only options that hold together.
#include "cli/command.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

namespace {

class Discard : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Help and messages go nowhere; the fuzzer's own report still reaches stderr.
    // The buffer is never destroyed: the standard streams are flushed after
    // every static object is gone, and would flush into a dead one.
    static Discard* const discard = new Discard;
    std::cout.rdbuf(discard);
    std::cerr.rdbuf(discard);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> arguments{"quillon-cli"};
    std::string argument;
    for (std::size_t k = 0; k < size; ++k) {
        if (data[k] == 0) {
            arguments.push_back(argument);
            argument.clear();
        } else {
            argument += static_cast<char>(data[k]);
        }
    }
    if (size > 0)
        arguments.push_back(argument);
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    using namespace quillon::cli;
    // BadFile stands for the work, told apart from what the parsing answers.
    const int code = RunCommandLine(static_cast<int>(arguments.size()), argv.data(), [](Command&) { return BadFile; });
    FUZZ_CHECK(code == AllGood || code == UsageError || code == BadFile, "exit code %d", code);
    return 0;
}
