// quillon-cli convert: each picture read and accepted or rejected exactly as the
// main window does it, then written as its listing, or compared with the one on
// disk (--check).
#include "cli/commands.h"
#include "cli/messages.h"
#include "convert/geometry.h"
#include "convert/listing_writer.h"
#include "intake/bitmap_reader.h"
#include "intake/listing_name.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <string>

namespace quillon::cli {

namespace {

// At most `limit` bytes from the start of the file at `path`, or the reason it
// could not be read, in the window's words: `kind` is "a picture file" or "a
// listing". As in the window, only a plain file is opened: opening a named pipe
// would wait for a writer.
std::optional<QByteArray> ReadStart(const QString& path, qint64 limit, QString& problem, const char* kind)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        problem = QStringLiteral("It is a folder, not %1.").arg(QLatin1String(kind));
        return std::nullopt;
    }
    if (info.exists() && !info.isFile()) {
        problem = QStringLiteral("It is a device, pipe or socket, not %1.").arg(QLatin1String(kind));
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        problem = file.errorString();
        return std::nullopt;
    }
    constexpr qint64 Piece = 64 * 1024;
    QByteArray bytes;
    while (bytes.size() < limit) {
        const qsizetype had = bytes.size();
        const qint64 want = std::min(Piece, limit - had);
        bytes.resize(had + static_cast<qsizetype>(want));
        const qint64 got = file.read(bytes.data() + had, want);
        if (got < 0) {
            problem = file.errorString();
            return std::nullopt;
        }
        bytes.resize(had + static_cast<qsizetype>(got));
        if (got == 0)
            break;
    }
    return bytes;
}

// The listing the window would write for this picture, or nothing after
// naming the picture's problem on stderr.
std::optional<std::string> ListingFor(const QString& picturePath, bool inverse)
{
    QString problem;
    const auto bytes = ReadStart(picturePath, static_cast<qint64>(ReadLimit), problem, "a picture file");
    if (!bytes) {
        Problem(picturePath, "cannot be read: " + OneLine(problem.toStdString()));
        return std::nullopt;
    }
    const PictureRead read = ReadPicture(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes->constData()), static_cast<std::size_t>(bytes->size())));
    switch (read.outcome) {
        case PictureRead::Outcome::Unreadable:
            Problem(picturePath, "cannot be read: " + OneLine(read.problem));
            return std::nullopt;
        case PictureRead::Outcome::Rejected:
            Problem(picturePath, std::string(SizeErrorTitle) + ": " + OneLine(SizeErrorPrompt()));
            return std::nullopt;
        case PictureRead::Outcome::Accepted:
            break;
    }

    SharedState state;
    state.FileHeader = read.fileHeader;
    state.InfoHeader = read.infoHeader;
    CountPagesAndBlocks(state);
    const RgbValue onColour = ColourOf(read.colourTable[inverse ? 1 : 0]);
    const MonoPicture& picture = read.picture;
    return WriteListing(state, onColour, [&picture](int x, int y) { return picture.Pixel(x, y); }, {});
}

// Where the listing of `picturePath` goes without --output: beside the
// picture, in the folder as the user spelled it ("pic.bmp" gives "lcd_pic.txt").
QString ListingBeside(const QString& picturePath)
{
    const QFileInfo info(picturePath);
    const QString folder = picturePath.contains(QLatin1Char('/')) ? info.path() : QString();
    return ListingPath(folder, info.fileName());
}

enum class Comparison { Same, Missing, Stale, Unreadable };

Comparison CompareWithDisk(const QString& listingPath, const std::string& listing)
{
    if (!QFileInfo::exists(listingPath))
        return Comparison::Missing;
    QString problem;
    // One byte more than the listing tells a longer file from an equal one.
    const auto onDisk = ReadStart(listingPath, static_cast<qint64>(listing.size()) + 1, problem, "a listing");
    if (!onDisk) {
        Problem(listingPath, "cannot be read: " + OneLine(problem.toStdString()));
        return Comparison::Unreadable;
    }
    const bool same = static_cast<std::size_t>(onDisk->size()) == listing.size() &&
                      std::equal(listing.begin(), listing.end(), onDisk->constData());
    return same ? Comparison::Same : Comparison::Stale;
}

}  // namespace

ExitCode RunConvert(const ConvertOptions& options)
{
    const bool toStdout = options.hasOutput && options.output == QLatin1String("-");
    bool badFile = false;
    bool differences = false;

    for (const QString& picturePath : options.pictures) {
        const std::optional<std::string> listing = ListingFor(picturePath, options.inverse);
        if (!listing) {
            badFile = true;
            continue;
        }
        if (toStdout) {
            Emit(*listing);
            continue;
        }
        const QString listingPath = options.hasOutput ? options.output : ListingBeside(picturePath);
        if (options.check) {
            switch (CompareWithDisk(listingPath, *listing)) {
                case Comparison::Same:
                    break;
                case Comparison::Missing:
                    Problem(listingPath, "missing; it would be written from " + PathText(picturePath));
                    differences = true;
                    break;
                case Comparison::Stale:
                    Problem(listingPath, "out of date; it differs from what " + PathText(picturePath) + " gives");
                    differences = true;
                    break;
                case Comparison::Unreadable:
                    badFile = true;
                    break;
            }
            continue;
        }
        const QString problem = SaveListing(listingPath, *listing);
        if (!problem.isEmpty()) {
            Problem(listingPath, "cannot be written: " + OneLine(problem.toStdString()));
            badFile = true;
            continue;
        }
        Say(PathText(listingPath));
    }

    if (!StdoutIntact())
        return BadFile;
    if (badFile)
        return BadFile;
    return differences ? Differences : AllGood;
}

}  // namespace quillon::cli
