// Reading the files the tool is given (pictures, listings) without ever waiting
// on one: only a regular file is read.
#pragma once

#include "common/byte_source.h"
#include "common/result.h"

#include <compare>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::files {

// An open regular file, read in pieces. Open refuses a folder, a device, a pipe
// or a socket in words naming `kind` ("a picture file", "a listing"). The file
// is opened without waiting and then checked, so one that turns into a pipe
// between a look and the open is refused too, never waited on.
class InputFile final : public ByteSource {
public:
    InputFile() = default;
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile() override;

    static Result<InputFile> Open(const std::filesystem::path& path, std::string_view kind);
    // Standard input, whatever it is (a pipe, a terminal, a file), read as bytes.
    static InputFile StandardInput();

    // Up to `size` bytes into `into`: the count read, 0 at the end.
    Result<std::size_t> Read(char* into, std::size_t size);
    Result<std::size_t> Read(std::uint8_t* into, std::size_t size) override
    {
        return Read(reinterpret_cast<char*>(into), size);
    }

private:
    int fd_ = -1;
};

// At most `limit` bytes from the start of the file.
Result<std::string> ReadStart(const std::filesystem::path& path, std::size_t limit, std::string_view kind);
Result<std::string> ReadStart(InputFile& file, std::size_t limit);

// The operating system's words for an error number ("No such file or directory").
std::string ErrorText(int error);

// What makes a file itself, whatever names (links) lead to it.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t number = 0;
    auto operator<=>(const FileId&) const = default;
};

// The file a path leads to, through links; nothing when there is none.
std::optional<FileId> IdentityOf(const std::filesystem::path& path);
// The file, pipe or terminal standard output goes to.
std::optional<FileId> IdentityOfStandardOutput();

// True when both name the same existing file, through links or not.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace quillon::files
