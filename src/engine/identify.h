// What a file is, told by its content alone, whatever it is called: a picture
// of one of the kinds (intake/picture_kinds.h) by its first bytes, before any
// other rule, or else a table in one of the formats (formats/formats.h) by the
// formats' rules, or neither. So a picture that happens to be 488 bytes long
// is still a picture.
#pragma once

#include "common/byte_source.h"
#include "common/result.h"
#include "formats/formats.h"
#include "intake/picture_kinds.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

struct Identity {
    const PictureKind* picture = nullptr;  // a picture of this kind, or
    const Format* table = nullptr;         // a table in this format, or neither
    explicit operator bool() const { return picture || table; }
};

// A picture from the first bytes, a table from the whole file.
Identity Identify(std::string_view bytes);

// The most of a file read to tell a table or to read a picture of a kind
// read whole; a longer one is refused, told by its first bytes.
inline constexpr std::size_t WholeFileLimit = 16 * 1024 * 1024;

// A file's start, read to tell what it is: a picture's first bytes (the rest
// left to its decoder), or the whole file when it is no picture, at most
// WholeFileLimit of it.
struct FileStart {
    std::string bytes;
    bool whole = false;  // all of the file; else it goes on (a picture) or is too long
    Identity identity;   // a table only when whole
};

// Reads a file's start. `size`, when the file's size is known: a file past the
// limit is then read only as far as its first bytes (and `around` more, for
// a look at them), not as far as the limit.
Result<FileStart> ReadFileStart(ByteSource& file, std::optional<std::uint64_t> size = std::nullopt,
                                std::size_t around = 0);

// "larger than 16 MiB", for the messages of files too long to read whole.
std::string TooLong();

}  // namespace quillon
