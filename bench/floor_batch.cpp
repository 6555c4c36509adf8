// The least a batch can cost: a plain program doing the durable work of one
// `quillon-cli convert` of many pictures in the cheapest order that keeps the
// promise (every listing's new bytes on the disk before its name changes):
// write every temporary file, make them all durable with one syncfs, rename
// them all, sync each folder once. Each picture's listing goes beside it,
// named as the picture with ".txt" added.
//
//   floor_batch PICTURE.bmp...
#include "floor_listing.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> listings;
    for (int k = 1; k < argc; ++k) {
        const std::string listing = FloorListing(argv[k]);
        const std::string temporary = std::string(argv[k]) + ".txt.tmp";
        const int out = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (listing.empty() || out < 0 ||
            write(out, listing.data(), listing.size()) != static_cast<ssize_t>(listing.size()) || close(out) != 0)
            return 2;
        listings.push_back(std::string(argv[k]) + ".txt");
    }
    if (listings.empty())
        return 0;
    const int any = open(FloorFolder(listings[0]).c_str(), O_RDONLY | O_DIRECTORY);
    if (any < 0 || syncfs(any) != 0)
        return 2;
    close(any);
    std::set<std::string> folders;
    for (const std::string& listing : listings) {
        if (rename((listing + ".tmp").c_str(), listing.c_str()) != 0)
            return 2;
        folders.insert(FloorFolder(listing));
    }
    for (const std::string& name : folders) {
        const int folder = open(name.c_str(), O_RDONLY | O_DIRECTORY);
        fsync(folder);
        close(folder);
    }
    for (const std::string& listing : listings)
        std::puts(listing.c_str());
    return 0;
}
