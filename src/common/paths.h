// Paths as bytes: names are kept as the file system spells them, valid UTF-8
// or not (on Windows they are UTF-8, converted to and from its wide names).
#pragma once

#include <filesystem>
#include <string>

namespace quillon {

// The bytes of a path as the file system spells it (UTF-8 on Windows).
inline std::string PathText(const std::filesystem::path& path)
{
#ifdef _WIN32
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
#else
    return path.native();
#endif
}

// A path from such bytes: an argument as it came (made UTF-8 on Windows), or a
// name the tool made.
inline std::filesystem::path PathFromText(const std::string& text)
{
#ifdef _WIN32
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
#else
    return std::filesystem::path(text);
#endif
}

}  // namespace quillon
