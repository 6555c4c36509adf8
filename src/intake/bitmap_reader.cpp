#include "intake/bitmap_reader.h"

namespace quillon {

namespace {

// Little-endian field decoding from a byte cursor; the caller has checked the length.
class Cursor {
public:
    Cursor(std::span<const std::uint8_t> bytes, std::size_t at) : bytes_(bytes), at_(at) {}

    std::uint8_t U8() { return bytes_[at_++]; }
    std::uint16_t U16()
    {
        const std::uint16_t low = U8();
        return static_cast<std::uint16_t>(low | (U8() << 8));
    }
    std::uint32_t U32()
    {
        const std::uint32_t low = U16();
        return low | (static_cast<std::uint32_t>(U16()) << 16);
    }
    std::int32_t S32() { return static_cast<std::int32_t>(U32()); }
    std::int16_t S16() { return static_cast<std::int16_t>(U16()); }

    RGBQUAD Quad()
    {
        RGBQUAD quad;
        quad.rgbBlue = U8();
        quad.rgbGreen = U8();
        quad.rgbRed = U8();
        quad.rgbReserved = U8();
        return quad;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_;
};

PictureRead Unreadable(PictureRead read, std::string problem)
{
    read.outcome = PictureRead::Outcome::Unreadable;
    read.problem = std::move(problem);
    return read;
}

}  // namespace

std::string SizeErrorPrompt()
{
    return "Picture Resolution is limit to " + std::to_string(AcceptedWidth) + " x " + std::to_string(AcceptedHeight) +
           " pixels (Width x Height) and " + "\r\n" + std::to_string(1 << AcceptedBitCount) + " Colors Bitmap.";
}

bool IsAcceptable(const BITMAPINFOHEADER& info)
{
    return info.biHeight == AcceptedHeight && info.biWidth == AcceptedWidth && info.biBitCount == AcceptedBitCount;
}

PictureRead ReadPicture(std::span<const std::uint8_t> bytes)
{
    PictureRead read;
    if (bytes.size() < HeadersSize) {
        return Unreadable(read, "The file is too short for a bitmap: it has " + std::to_string(bytes.size()) +
                                    " bytes, its headers alone need " + std::to_string(HeadersSize) + ".");
    }

    Cursor cursor(bytes, 0);
    BITMAPFILEHEADER& file = read.fileHeader;
    file.bfType = cursor.U16();
    file.bfSize = cursor.U32();
    file.bfReserved1 = cursor.U16();
    file.bfReserved2 = cursor.U16();
    file.bfOffBits = cursor.U32();

    BITMAPINFOHEADER& info = read.infoHeader;
    info.biSize = cursor.U32();
    info.biWidth = cursor.S32();
    info.biHeight = cursor.S32();
    info.biPlanes = cursor.U16();
    info.biBitCount = cursor.S16();
    info.biCompression = cursor.U32();
    info.biSizeImage = cursor.U32();
    info.biXPelsPerMeter = cursor.U32();
    info.biYPelsPerMeter = cursor.U32();
    info.biClrUsed = cursor.U32();
    info.biClrImportant = cursor.U32();

    if (info.biBitCount == 1) {
        // The colour table follows the info header, whatever its size.
        const std::uint64_t tableAt = 14 + std::uint64_t{info.biSize};
        if (tableAt + 8 > bytes.size())
            return Unreadable(read, "The colour table lies beyond the end of the file.");
        Cursor table(bytes, static_cast<std::size_t>(tableAt));
        read.colourTable[0] = table.Quad();
        read.colourTable[1] = table.Quad();
        read.hasColourTable = true;
    }

    if (!IsAcceptable(info)) {
        read.outcome = PictureRead::Outcome::Rejected;
        return read;
    }

    if (info.biCompression != 0)
        return Unreadable(read, "The picture is stored compressed; only uncompressed bitmaps can be read.");

    // Rows are stored bottom-up, 1 bit per pixel, most significant bit leftmost,
    // each row padded to a multiple of 4 bytes.
    const std::size_t stride = (AcceptedWidth + 31) / 32 * 4;
    const std::uint64_t bodyEnd = std::uint64_t{file.bfOffBits} + stride * AcceptedHeight;
    if (bodyEnd > bytes.size())
        return Unreadable(read, "The file ends before the picture's pixels do.");

    MonoPicture& picture = read.picture;
    picture.width = AcceptedWidth;
    picture.height = AcceptedHeight;
    picture.table = read.colourTable;
    picture.index.resize(static_cast<std::size_t>(AcceptedWidth) * AcceptedHeight);
    for (int y = 0; y < AcceptedHeight; ++y) {
        const std::size_t row = file.bfOffBits + stride * static_cast<std::size_t>(AcceptedHeight - 1 - y);
        for (int x = 0; x < AcceptedWidth; ++x) {
            const std::uint8_t packed = bytes[row + static_cast<std::size_t>(x / 8)];
            picture.index[static_cast<std::size_t>(y) * AcceptedWidth + x] = (packed >> (7 - x % 8)) & 1;
        }
    }
    read.outcome = PictureRead::Outcome::Accepted;
    return read;
}

}  // namespace quillon
