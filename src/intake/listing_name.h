// The name of the listing that a conversion writes for a picture.
#pragma once

#include <filesystem>

namespace quillon {

// The picture's file name with every ".BMP", in any case, turned into ".txt":
// left to right, not overlapping, not only at the end. The name's other bytes
// are kept as they are, valid UTF-8 or not.
std::filesystem::path ListingFileName(const std::filesystem::path& pictureName);

// The picture's folder, then "lcd_" and the converted name, joined with the
// platform's separator: on Linux "/", not doubled at the root; on Windows
// always "\", so a picture at a drive root gives "C:\\lcd_x.txt".
std::filesystem::path ListingPath(const std::filesystem::path& folder, const std::filesystem::path& pictureName);

}  // namespace quillon
