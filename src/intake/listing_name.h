// The name of the listing that a conversion writes for a picture.
#pragma once

#include <QString>

namespace quillon {

// The picture's file name with every ".BMP", in any case, turned into ".txt".
QString ListingFileName(const QString& pictureName);

// The picture's folder, then "lcd_" and the converted name, joined with the
// platform's separator (not doubled at a root folder).
QString ListingPath(const QString& folder, const QString& pictureName);

}  // namespace quillon
