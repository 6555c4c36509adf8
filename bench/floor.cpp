// The least a conversion can cost: a plain C++ program doing the same work as
// one `quillon-cli convert` (read the picture, build the 2,760-byte listing,
// replace the file beside it durably) with no checks, no messages and no
// command line. bench/run sets quillon-cli's figures against it.
//
//   floor PICTURE.bmp LISTING
#include "floor_listing.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 64;
    const std::string listing = FloorListing(argv[1]);
    if (listing.empty())
        return 2;
    const std::string temporary = std::string(argv[2]) + ".tmp";
    const int out = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (out < 0 || write(out, listing.data(), listing.size()) != static_cast<ssize_t>(listing.size()) ||
        fsync(out) != 0 || close(out) != 0 || rename(temporary.c_str(), argv[2]) != 0)
        return 2;
    const int folder = open(FloorFolder(argv[2]).c_str(), O_RDONLY | O_DIRECTORY);
    fsync(folder);
    close(folder);
    std::puts(argv[2]);
    return 0;
}
