// The options that say how a picture that is not an exact 1-bit 122 x 32 BMP
// becomes dots (--fit, --background, --dither, --threshold, --rotate, --flip,
// --frame): added to convert and preview alike, and a picture's bytes turned
// into dots with them.
#pragma once

#include "convert/artwork.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace quillon::cli {

struct PictureOptions {
    ArtworkOptions artwork;  // its inverse is set from --inverse
    int frame = 0;           // of a GIF, from 0

    // The words as given, turned into `artwork` by Finish.
    std::string fit = "contain";
    std::string background = "white";
    std::string dither = "none";
    std::string flip = "none";

    void Finish();
};

// Adds the options to `command`, their values landing in `options`; a value
// that is none of the choices is refused naming the option (exit code 64).
void AddArtworkOptions(CLI::App& command, PictureOptions& options);

// Whether the bytes begin as a picture of a format quillon-cli reads: BMP, PNG,
// GIF, JPEG or PNM.
bool LooksLikePicture(std::string_view bytes);

// The dots of a picture: an exact 1-bit 122 x 32 BMP as the window takes it
// (lit: colour-table entry 0, or 1 when inverse), any other picture as
// artwork. Nothing, after naming the problem on stderr, when it cannot be read.
std::optional<DisplayImage> PictureDots(std::string_view bytes, std::string_view name, const PictureOptions& options,
                                        bool inverse);

}  // namespace quillon::cli
