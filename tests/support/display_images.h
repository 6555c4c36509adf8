// Display images the format tests write and read: together they hold every
// byte value 00-FF, and the all-clear and all-lit extremes.
#pragma once

#include "common/display.h"
#include "engine/dots.h"

#include <QList>
#include <QString>

namespace quillon::test {

struct NamedImage {
    QString name;
    DisplayImage image;
};

// "every byte value" (byte k = k mod 256), "every byte value, reversed" (byte
// k = 255 - k mod 256), "all clear", "all lit".
const QList<NamedImage>& TestImages();

// A file's bytes read back as every command reads a file (engine/dots.h).
using ReadBack = FileDots;
Result<ReadBack> DotsOfBytes(std::string_view bytes, const PictureOptions& options = {});

}  // namespace quillon::test
