#include "intake/listing_name.h"

namespace quillon {

namespace {

using Native = std::filesystem::path::string_type;
using Char = Native::value_type;

constexpr Char Lower(Char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

}  // namespace

std::filesystem::path ListingFileName(const std::filesystem::path& pictureName)
{
    static constexpr Char From[] = {'.', 'b', 'm', 'p'};
    static constexpr Char To[] = {'.', 't', 'x', 't'};
    const Native& name = pictureName.native();
    Native result;
    result.reserve(name.size());
    for (std::size_t at = 0; at < name.size();) {
        bool match = at + 4 <= name.size();
        for (std::size_t k = 0; match && k < 4; ++k)
            match = Lower(name[at + k]) == From[k];
        if (match) {
            result.append(To, 4);
            at += 4;
        } else {
            result += name[at++];
        }
    }
    return result;
}

std::filesystem::path ListingPath(const std::filesystem::path& folder, const std::filesystem::path& pictureName)
{
    Native path = folder.native();
#ifdef _WIN32
    // Always "\" between folder and name, as the tool has always made it: at a
    // drive root ("C:\") that makes two in a row, which Windows reads as one.
    // Not after a bare drive ("C:pic.bmp"), whose folder is that drive's current one.
    if (!path.empty() && path.back() != ':')
        path += L'\\';
#else
    if (!path.empty() && path.back() != '/')
        path += '/';
#endif
    static constexpr Char Prefix[] = {'l', 'c', 'd', '_'};
    path.append(Prefix, 4);
    return path + ListingFileName(pictureName).native();
}

}  // namespace quillon
