#include "convert/listing_writer.h"

#include "convert/geometry.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cmath>

namespace quillon {

namespace {

constexpr const char* LineEnd = "\r\n";

std::string TwoHexDigits(int value)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string hex;
    do {
        hex.insert(hex.begin(), Digits[value % 16]);
        value /= 16;
    } while (value > 0);
    if (hex.size() == 1)
        hex.insert(hex.begin(), '0');
    return hex;
}

}  // namespace

std::int64_t RoundHalfEven(double value)
{
    const double below = std::floor(value);
    const double fraction = value - below;
    auto whole = static_cast<std::int64_t>(below);
    if (fraction > 0.5 || (fraction == 0.5 && whole % 2 != 0))
        ++whole;
    return whole;
}

std::string WriteListing(SharedState& state, RgbValue onColour, const PixelQuery& pixel, const ProgressShow& progress)
{
    std::string listing;
    int bitPosition = 0;
    Int16 byteValue = 0;
    Int16 itemCount = 0;
    std::int32_t pixelCount = 0;
    Int16 progressValue = 0;
    std::string pending;

    const std::int32_t pixelTotal = Guard32(std::int64_t{state.InfoHeader.biWidth} * state.InfoHeader.biHeight);
    const double progressStep = pixelTotal / 100.0;
    const std::int64_t wholeStep = RoundHalfEven(progressStep);

    for (std::int64_t block = 1; block <= state.BlockCount; ++block) {
        if (block != 1)
            listing += LineEnd;
        EnterBlock(state, block);
        for (std::int64_t page = 1; page <= state.PageCount; ++page) {
            EnterPage(state, page);
            for (std::int32_t x = state.ColStart; x <= state.ColEnd; ++x) {
                for (std::int32_t y = state.RowStart; y <= state.RowEnd; ++y) {
                    pixelCount = Guard32(std::int64_t{pixelCount} + 1);
                    ++bitPosition;
                    if (pixel(x, y) == onColour)
                        byteValue = byteValue + (1 << (bitPosition - 1));
                    // A step below one pixel (a picture under 50 pixels) never counts.
                    if (wholeStep > 0 && pixelCount % wholeStep == 0 && progressValue < 100) {
                        progressValue = progressValue + 1;
                        if (progress)
                            progress(progressValue);
                    }
                }
                const std::string digits = TwoHexDigits(byteValue);
                itemCount = itemCount + 1;
                if (itemCount == 8) {
                    listing += ListingPrefix + pending + digits + "H;" + LineEnd;
                    itemCount = 0;
                    pending.clear();
                } else {
                    pending += digits + "H,";
                }
                bitPosition = 0;
                byteValue = 0;
            }
        }
        if (!pending.empty()) {
            pending.pop_back();  // the last item's ","
            listing += ListingPrefix + pending + ";" + LineEnd;
            itemCount = 0;
            pending.clear();
        }
    }
    return listing;
}

QString SaveListing(const QString& path, const std::string& listing)
{
    if (QFileInfo(path).isDir())
        return QStringLiteral("A folder of that name is in the way.");
    QSaveFile file(path);
    // Unbuffered: a write that the disk cuts short shows in write()'s count. A
    // buffered one is only flushed by commit(), which then renames the cut
    // file over the earlier listing and reports success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    const auto size = static_cast<qint64>(listing.size());
    if (const qint64 written = file.write(listing.data(), size); written != size) {
        const QString reason = written > 0
                                   ? QStringLiteral("Only %1 of its %2 bytes could be written; the disk may be full.")
                                         .arg(written)
                                         .arg(size)
                                   : file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

}  // namespace quillon
