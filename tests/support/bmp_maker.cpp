#include "bmp_maker.h"

#include <QFile>

#include <random>

namespace quillon::test {

namespace {

void Put16(QByteArray& out, std::uint16_t v)
{
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>(v >> 8));
}

void Put32(QByteArray& out, std::uint32_t v)
{
    Put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<std::uint16_t>(v >> 16));
}

}  // namespace

QByteArray MakeBmp(const BmpRecipe& recipe)
{
    const int colours = recipe.bitCount >= 1 && recipe.bitCount <= 8 ? 1 << recipe.bitCount : 0;
    const std::uint32_t headerBytes = 14 + recipe.infoSize + 4 * static_cast<std::uint32_t>(colours);
    const std::int64_t rows = recipe.height < 0 ? -std::int64_t{recipe.height} : recipe.height;
    const std::int64_t stride = (std::int64_t{recipe.width} * std::max<int>(recipe.bitCount, 1) + 31) / 32 * 4;
    const std::int64_t body = stride * rows;

    QByteArray out;
    Put16(out, recipe.type);
    Put32(out, static_cast<std::uint32_t>(headerBytes + body));
    Put32(out, 0);
    Put32(out, headerBytes);
    Put32(out, recipe.infoSize);
    Put32(out, static_cast<std::uint32_t>(recipe.width));
    Put32(out, static_cast<std::uint32_t>(recipe.height));
    Put16(out, 1);
    Put16(out, static_cast<std::uint16_t>(recipe.bitCount));
    Put32(out, recipe.compression);
    Put32(out, static_cast<std::uint32_t>(body));
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    if (recipe.infoSize > 40) {
        QByteArray extra(static_cast<qsizetype>(recipe.infoSize - 40), '\0');
        if (recipe.infoSize >= 108)  // colour space "sRGB" behind the four masks
            extra.replace(16, 4, QByteArray("BGRs", 4));
        out += extra;
    }
    for (int k = 0; k < colours; ++k) {
        const RGBQUAD entry = k < 2 ? recipe.colours[static_cast<std::size_t>(k)] : RGBQUAD{};
        out.append(static_cast<char>(entry.rgbBlue));
        out.append(static_cast<char>(entry.rgbGreen));
        out.append(static_cast<char>(entry.rgbRed));
        out.append(static_cast<char>(entry.rgbReserved));
    }
    QByteArray pixels(static_cast<qsizetype>(body), '\0');
    if (recipe.bitCount == 1) {
        for (std::int64_t y = 0; y < rows; ++y) {
            const std::int64_t stored = recipe.height > 0 ? rows - 1 - y : y;  // bottom-up unless top-down
            for (int x = 0; x < recipe.width; ++x) {
                if (recipe.index(x, static_cast<int>(y)))
                    pixels[static_cast<qsizetype>(stored * stride + x / 8)] |= static_cast<char>(0x80 >> (x % 8));
            }
        }
    }
    return out + pixels;
}

BmpRecipe RandomPicture(unsigned seed)
{
    BmpRecipe recipe;
    std::mt19937 generator(seed);
    auto bits = std::make_shared<std::vector<int>>(122 * 32);
    for (int& bit : *bits)
        bit = static_cast<int>(generator() & 1);
    recipe.index = [bits](int x, int y) { return (*bits)[static_cast<std::size_t>(y * 122 + x)]; };
    recipe.colours = {RGBQUAD{static_cast<std::uint8_t>(seed), 40, 200, 0}, RGBQUAD{10, 220, 30, 0}};
    return recipe;
}

QByteArray ExpectedListing(const std::function<bool(int x, int y)>& lit)
{
    QByteArray out;
    for (int block = 0; block < 2; ++block) {
        if (block == 1)
            out += "\r\n";
        QByteArrayList items;
        for (int k = 0; k < 244; ++k) {
            const int x = 61 * block + k % 61;
            const int top = 8 * (k / 61);
            int byte = 0;
            for (int r = 0; r < 8; ++r)
                byte |= lit(x, top + r) ? 1 << r : 0;
            items << QByteArray::number(byte, 16).toUpper().rightJustified(2, '0') + "H";
        }
        for (int first = 0; first < 244; first += 8)
            out += "        DB " + items.mid(first, 8).join(',') + ";\r\n";
    }
    return out;
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace quillon::test
