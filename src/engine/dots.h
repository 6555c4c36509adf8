// The one route from a file's bytes to the display's dots, taken by every
// command of quillon-cli, the web page and the C interface: a table is read as
// its format reads it; an exact 1-bit 122 x 32 BMP is taken as the window
// takes it, its first colour lit (its second with inverse); any other picture
// is decoded row by row into the artwork steps (convert/artwork.h).
#pragma once

#include "common/byte_source.h"
#include "common/display.h"
#include "common/result.h"
#include "convert/artwork.h"
#include "engine/identify.h"

#include <string>
#include <vector>

namespace quillon {

// How a picture becomes dots: the artwork options, with inverse, which also
// picks an exact BMP's second colour, and the frame of an animation.
struct PictureOptions {
    ArtworkOptions artwork;
    int frame = 0;  // from 0
};

struct FileDots {
    DisplayImage image;
    Identity identity;
    bool exact = false;  // an exact 1-bit BMP, taken as the window takes it
    // Something to tell that is no fault (which colour of an exact BMP is
    // lit when it is the lighter one), or nothing.
    std::string notice;
};

// The dots of a file from its start (ReadFileStart) and the rest of it: of an
// animation (a GIF's, or an animation's table), the frame options.frame. A
// failure's words follow the file's name in a message ("cannot be read: ...").
Result<FileDots> DotsOf(FileStart start, ByteSource& rest, const PictureOptions& options);
// Both steps in one.
Result<FileDots> DotsOfFile(ByteSource& file, const PictureOptions& options);

struct FileFrames {
    std::vector<Frame> frames;
    Identity identity;
    std::string notice;
};
// Every frame of a file: an animated picture's as a viewer shows them, an
// animation table's, or the one frame of anything else (delay 0).
Result<FileFrames> FramesOf(FileStart start, ByteSource& rest, const PictureOptions& options);

}  // namespace quillon
