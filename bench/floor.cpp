// The least a conversion can cost: a plain C++ program doing the same work as
// one `quillon-cli convert` (read the picture, build the 2,760-byte listing,
// replace the file beside it durably) with no checks, no messages and no
// command line. bench/run sets quillon-cli's figures against it.
//
//   floor PICTURE.bmp LISTING
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 64;
    unsigned char file[1024];
    const int in = open(argv[1], O_RDONLY);
    const ssize_t size = in < 0 ? -1 : read(in, file, sizeof file);
    if (size < 62 + 16 * 32)
        return 2;
    close(in);
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

    const std::string temporary = std::string(argv[2]) + ".tmp";
    const int out = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (out < 0 || write(out, listing.data(), listing.size()) != static_cast<ssize_t>(listing.size()) ||
        fsync(out) != 0 || close(out) != 0 || rename(temporary.c_str(), argv[2]) != 0)
        return 2;
    const std::string path = argv[2];
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int folder = open(name.c_str(), O_RDONLY | O_DIRECTORY);
    fsync(folder);
    close(folder);
    std::puts(argv[2]);
    return 0;
}
