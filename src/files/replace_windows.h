// Durable replacement of a file on Windows: the counterpart of the Linux
// build's save, for quillon-cli.exe.
#pragma once

#ifdef _WIN32

#include <filesystem>
#include <string>
#include <string_view>

namespace quillon {

// Writes `bytes` to a temporary file in the target's folder, flushes it to the
// disk and only then puts it in place of `target` (MoveFileExW, replacing,
// with write-through), keeping the earlier file's hidden, system and archive
// attributes. On failure the earlier file is untouched and no temporary file
// remains. Returns an empty string on success, otherwise the reason in words
// (UTF-8).
std::string ReplaceFileDurably(const std::filesystem::path& target, std::string_view bytes);

}  // namespace quillon

#endif
