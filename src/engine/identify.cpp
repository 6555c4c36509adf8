#include "engine/identify.h"

#include "intake/bitmap_reader.h"

#include <algorithm>

namespace quillon {

namespace {

// Appends up to `count` bytes of the file; false at its end. The string grows
// with what is read (doubling), never to `count` at once: most files are far
// smaller than the most that may be read of them.
Result<bool> ReadMore(ByteSource& file, std::string& bytes, std::size_t count)
{
    const std::size_t goal = bytes.size() + count;
    while (bytes.size() < goal) {
        const std::size_t at = bytes.size();
        const std::size_t step = std::min(goal - at, std::max<std::size_t>(64 * 1024, at));
        bytes.resize(at + step);
        std::size_t got = 0;
        while (got < step) {
            const Result<std::size_t> read = file.Read(reinterpret_cast<std::uint8_t*>(bytes.data()) + at + got, step - got);
            if (!read)
                return Failure{read.Error()};
            if (*read == 0)
                break;
            got += *read;
        }
        bytes.resize(at + got);
        if (got < step)
            return false;
    }
    return true;
}

// The window reads a picture's headers whatever its first two bytes are: a
// picture it takes is a picture here too, signature or not.
const PictureKind* WindowsPicture(std::string_view bytes)
{
    const PictureRead read = ReadPicture(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    return read.outcome == PictureRead::Outcome::Accepted ? PictureKindNamed(".bmp") : nullptr;
}

}  // namespace

Identity Identify(std::string_view bytes)
{
    if (const PictureKind* kind = PictureKindOf(bytes.substr(0, PictureHeadBytes())))
        return {kind, nullptr};
    if (const PictureKind* kind = WindowsPicture(bytes))
        return {kind, nullptr};
    return {nullptr, DetectFormat(bytes)};
}

Result<FileStart> ReadFileStart(ByteSource& file, std::optional<std::uint64_t> size, std::size_t around)
{
    FileStart start;
    const Result<bool> head = ReadMore(file, start.bytes, PictureHeadBytes());
    if (!head)
        return Failure{head.Error()};
    start.identity.picture = PictureKindOf(start.bytes);
    const bool picture = start.identity.picture != nullptr;
    if ((picture && start.identity.picture->readsAsItGoes) || (!picture && size && *size > WholeFileLimit)) {
        // The rest is the decoder's, or too much to hold: only a look at it.
        if (around > 0 && *head) {
            if (const Result<bool> more = ReadMore(file, start.bytes, around); !more)
                return Failure{more.Error()};
        }
        start.whole = !*head;
        return start;
    }
    if (*head) {
        // One byte past the limit tells a file too long from one that fits.
        const Result<bool> rest = ReadMore(file, start.bytes, WholeFileLimit + 1 - start.bytes.size());
        if (!rest)
            return Failure{rest.Error()};
        start.whole = !*rest;
    } else {
        start.whole = true;
    }
    if (start.whole && !start.identity.picture)
        start.identity = Identify(start.bytes);
    return start;
}

std::string TooLong()
{
    return "larger than " + std::to_string(WholeFileLimit >> 20) + " MiB";
}

}  // namespace quillon
