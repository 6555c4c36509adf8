// Turns the picture the window shows into the listing of assembler data lines
// that the display's firmware includes:
//
//         DB 01H,80H,FFH,00H,00H,00H,00H,00H;
//
// The picture is sampled as the window's Convert samples it (convert/sampling.h)
// and written by the listing row of the format table: the one listing writer.
#pragma once

#include "convert/sampling.h"
#include "formats/formats.h"

#include <string>
#include <utility>

namespace quillon {

// The listing of the picture: its display image in the listing format.
template <typename Pixel, typename Progress = detail::NoProgress>
std::string WriteListing(ScanState& state, RgbValue onColour, Pixel&& pixel, Progress&& progress = {})
{
    const DisplayImage image =
        SampleDisplay(state, onColour, std::forward<Pixel>(pixel), std::forward<Progress>(progress));
    return FindFormat("listing")->Write(image, {});
}

}  // namespace quillon
