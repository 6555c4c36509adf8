// Any bytes as quillon-cli's argument vector (split at NUL bytes) through its
// own main, built here with main renamed QuillonCliMain and its commands'
// work replaced: nothing is read or written, only the parsing runs. It must end
// with 0 or 64 without a fault, and the options a command would get must hold
// what the parsing promises.
#include "cli/commands.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

int QuillonCliMain(int argc, char** argv);

namespace quillon::cli {

ExitCode RunConvert(const ConvertOptions& options)
{
    FUZZ_CHECK(options.format, "no format");
    FUZZ_CHECK(!options.inputs.empty(), "no inputs");
    FUZZ_CHECK(!options.hasOutput || options.inputs.size() == 1, "--output with %zu inputs", options.inputs.size());
    FUZZ_CHECK(!options.hasOutput || !options.output.empty(), "an empty --output");
    for (const auto& input : options.inputs)
        FUZZ_CHECK(input != "-" || options.hasOutput, "standard input without --output");
    FUZZ_CHECK(options.label.empty() || (options.format->takesLabel && IsValidLabel(options.label)),
               "label \"%s\" taken", options.label.c_str());
    return BadFile;  // told apart from what the parsing answers
}

ExitCode RunPreview(const PreviewOptions& options)
{
    FUZZ_CHECK(!options.file.empty(), "preview of no file");
    FUZZ_CHECK(options.scale >= 1 && options.scale <= 16, "--scale %d taken", options.scale);
    return BadFile;
}

ExitCode RunText()
{
    return BadFile;
}

ExitCode RunFont()
{
    return BadFile;
}

ExitCode RunGlassCommand()
{
    return BadFile;
}

}  // namespace quillon::cli

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
    static Discard discard;
    std::cout.rdbuf(&discard);
    std::cerr.rdbuf(&discard);
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
    const int code = QuillonCliMain(static_cast<int>(arguments.size()), argv.data());
    FUZZ_CHECK(code == 0 || code == 64 || code == quillon::cli::BadFile, "exit code %d", code);
    return 0;
}
