// Crafted picture files for the tests.
#pragma once

#include "intake/bmp_records.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>

namespace quillon::test {

struct BmpRecipe {
    std::int32_t width = 122;
    std::int32_t height = 32;
    std::int16_t bitCount = 1;
    std::uint32_t infoSize = 40;  // 40, 108 or 124 give real headers; other values only the field
    std::uint16_t type = 0x4D42;  // "BM"
    std::uint32_t compression = 0;
    std::array<RGBQUAD, 2> colours{RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
    // Colour-table index of pixel (x, y), top row 0; for 1-bit pictures.
    std::function<int(int x, int y)> index = [](int, int) { return 0; };
};

// The whole file: headers, colour table (for 1 to 8 bits), bottom-up rows.
QByteArray MakeBmp(const BmpRecipe& recipe);

// A picture whose pixels come from a seeded generator, about half of them index 1.
BmpRecipe RandomPicture(unsigned seed);

// The listing as the display expects it, worked out from the byte order alone:
// byte k of block b holds column 61*b + k%61 of page k/61, row r of the page in bit r.
QByteArray ExpectedListing(const std::function<bool(int x, int y)>& lit);

bool WriteFile(const QString& path, const QByteArray& bytes);

}  // namespace quillon::test
