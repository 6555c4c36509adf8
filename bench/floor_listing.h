// The floor programs' listing: a picture file's bytes to the 2,760-byte
// listing, as plainly as it can be done, with no checks.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <string>

// The listing of the picture at `path`, or an empty string when it cannot be read.
inline std::string FloorListing(const char* path)
{
    unsigned char file[1024];
    const int in = open(path, O_RDONLY);
    const ssize_t size = in < 0 ? -1 : read(in, file, sizeof file);
    if (in >= 0)
        close(in);
    if (size < 62 + 16 * 32)
        return {};
    const std::uint32_t offset = file[10] | file[11] << 8 | file[12] << 16 | static_cast<std::uint32_t>(file[13]) << 24;
    const auto lit = [&](int x, int y) { return ((file[offset + 16 * (31 - y) + x / 8] >> (7 - x % 8)) & 1) == 0; };

    static const char Digits[] = "0123456789ABCDEF";
    std::string listing;
    listing.reserve(2760);
    for (int block = 0; block < 2; ++block) {
        if (block == 1)
            listing += "\r\n";
        for (int item = 0; item < 244; ++item) {
            const int x = 61 * block + item % 61;
            const int top = 8 * (item / 61);
            int byte = 0;
            for (int row = 0; row < 8; ++row)
                byte |= lit(x, top + row) << row;
            if (item % 8 == 0)
                listing += "        DB ";
            listing += Digits[byte >> 4];
            listing += Digits[byte & 15];
            listing += item % 8 == 7 || item == 243 ? "H;\r\n" : "H,";
        }
    }
    return listing;
}

// The folder of `path`, for syncing its entries.
inline std::string FloorFolder(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}
