// Writing a file the tool makes (a listing, an --output file) so that the file
// in its place is never lost or left half written: the new bytes go to a
// temporary file beside it, reach the disk, and only then take its place.
#pragma once

#include "common/result.h"

#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::files {

// Who chose the place. A name the tool made up (a listing beside its picture)
// only ever replaces a regular file. A name the user gave (--output) may also be
// an existing pipe or character device, which is written into as a shell's ">"
// would; a regular file there is replaced like any other.
enum class Place { Derived, Given };

// One replacement in progress. Begin checks the place and creates the
// temporary file, so that a folder that cannot be written fails before any
// work; Commit makes it the file. Dropping it unfinished removes the temporary
// file. An interrupting SIGINT, SIGTERM or SIGHUP removes it too.
//
// The place, as the user sees it:
// - nothing there: a new file, with the usual permissions (0666 less umask);
// - a regular file: replaced at once (rename), keeping its permissions, owner
//   and group as far as the process may set them, and its user.* attributes;
//   one the user may not write is refused, as a shell's ">" would refuse it;
// - a symbolic link to a regular file: the link stays, its target is replaced;
// - a link to nothing: refused, so a planted link cannot send the write elsewhere;
// - a folder, a socket, a block device: refused;
// - a pipe or character device: refused for a Derived place, written into for a Given one.
class Replacement {
public:
    enum class FolderSync { Now, Later };

    virtual ~Replacement() = default;
    // Appends bytes.
    virtual Result<void> Write(std::string_view bytes) = 0;
    // Flushes the bytes to the disk and puts the file in place.
    // The file's bytes are on the disk before it takes the place, so the place
    // holds the earlier file or the new one, whole, whatever happens. Its new
    // name reaches the disk with its folder: now, or, for a batch of files,
    // Later through SyncFolder once for every folder written to.
    virtual Result<void> Commit(FolderSync folder = FolderSync::Now) = 0;
    // Ends the writing without syncing: the file is closed, to be put in place
    // by CommitAll, so that a batch of files waits without a descriptor each.
    virtual Result<void> Close() { return {}; }
    // The file written: the path given, or where its link leads.
    virtual const std::filesystem::path& Target() const = 0;
};

// At most this many replacements may be begun and not yet committed or
// dropped at any moment, each one's temporary file known to the cleanup after
// a signal (Begin refuses more). On Windows the cleanup knows one.
#ifdef _WIN32
inline constexpr std::size_t MostPending = 1;
#else
inline constexpr std::size_t MostPending = 4096;
#endif

// Commits replacements whose bytes are all written, each as Commit would, but
// with the waits shared: every file's bytes reach the disk together, then each
// takes its place, then each folder is synced once. For each, in order, done
// or why it could not be put in place: then the earlier file is left as it
// was, and dropping the replacement removes its temporary file.
std::vector<Result<void>> CommitAll(std::span<const std::unique_ptr<Replacement>> replacements);

// Puts the entries of `folder` (renames into it) on the disk.
void SyncFolder(const std::filesystem::path& folder);

Result<std::unique_ptr<Replacement>> BeginReplacement(const std::filesystem::path& path, Place place);

// Begin, Write and Commit in one.
inline Result<void> ReplaceFile(const std::filesystem::path& path, std::string_view bytes, Place place)
{
    Result<std::unique_ptr<Replacement>> replacement = BeginReplacement(path, place);
    if (!replacement)
        return Failure{replacement.Error()};
    if (Result<void> written = (*replacement)->Write(bytes); !written)
        return written;
    return (*replacement)->Commit();
}

}  // namespace quillon::files
