// Pictures written and read by ImageMagick's convert, the independent
// reference the picture decoders are compared with.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quillon::test {

// Runs convert with `arguments`; what it printed on stdout, or a null array
// (with a warning naming the package) when it is missing or fails.
QByteArray Convert(const QStringList& arguments);

// A small picture with a gradient, a flat rectangle and one half-transparent
// pixel, 8 bits a sample: convert's arguments that draw it, to put an output after.
QStringList SamplePicture();

// The picture in `path` as convert reads it: 8-bit RGBA, top row first.
QByteArray MagickRgba(const QString& path);

}  // namespace quillon::test
