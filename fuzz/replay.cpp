// A fuzz target's corpus replayed without libFuzzer: each file named (or each
// file in each folder named) goes through the target once, as in a fuzzing
// run. Built into the normal build, so that ctest replays every corpus.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

namespace {

int Replay(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.eof() && in.fail()) {
        std::fprintf(stderr, "%s: cannot be read\n", file.c_str());
        return 1;
    }
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int files = 0;
    int failed = 0;
    for (int k = 1; k < argc; ++k) {
        const std::filesystem::path path = argv[k];
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            for (const auto& entry : std::filesystem::directory_iterator(path)) {
                failed += Replay(entry.path());
                ++files;
            }
        } else {
            failed += Replay(path);
            ++files;
        }
    }
    std::printf("%d inputs replayed\n", files);
    return failed == 0 && files > 0 ? 0 : 1;
}
