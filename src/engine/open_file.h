// A file read once for its dots under options that change (the web page's
// controls, the C interface): a picture that can be held whole is decoded
// once, and the greys of its last fitting are kept, so a new threshold or
// dither costs that step alone. Its dots are always what DotsOf gives for the
// same bytes and options: decoders hand rows on top to bottom, held or not.
#pragma once

#include "engine/dots.h"

#include <optional>
#include <string>

namespace quillon {

class OpenFile {
public:
    explicit OpenFile(std::string bytes);

    const Identity& What() const { return identity_; }
    Result<FileDots> Dots(const PictureOptions& options);

private:
    bool SameFitting(const PictureOptions& options) const;

    std::string bytes_;
    Identity identity_;
    // The picture held, and its frame.
    std::optional<PictureImage> held_;
    int heldFrame_ = -1;
    // The last fitting and its greys.
    std::optional<PictureOptions> fitted_;
    GreyImage grey_{};
};

}  // namespace quillon
