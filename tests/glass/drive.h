// Drives the model of the two controllers as a display driver does: each set
// up, then a picture's bytes page by page, one write every `step` clock
// periods. The fields are the ways a driver goes wrong.
#pragma once

#include "glass/sed1520.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace quillon::glass::test {

inline constexpr Tick Ms = 12'000;  // clock periods at 12 MHz

// A picture that differs in every byte from its neighbours and from other seeds.
inline DisplayImage Picture(int seed)
{
    DisplayImage::Bytes bytes;
    for (std::size_t k = 0; k < bytes.size(); ++k)
        bytes[k] = static_cast<std::uint8_t>(k * 37 + seed * 101);
    return DisplayImage(bytes);
}

struct Drive {
    int picture = 1;
    Tick start = 0;
    Tick step = 1'000;
    bool reset = true;            // 0xE2 first
    Tick resetWait = 2'100 * 12;  // after it
    Tick pauseAfterFirst = 0;     // between the two controllers
    std::vector<std::uint8_t> setup{0xA4, 0xA0, 0xA9, 0xC0, 0xAF};
    int firstColumn = 0;
    int columns = 61;  // written a page
    int skippedPage = -1;
    bool swapped = false;             // each half to the other controller
    int controllers = 2;              // driven, from the first
    std::vector<std::uint8_t> after;  // commands to controller 1 once the picture is written
    std::function<void(Tick, const Display&)> onWrite;

    void Run(Display& display) const
    {
        Tick tick = start;
        const auto write = [&](int lcd, bool data, std::uint8_t byte) {
            display[lcd].Write(data, byte, tick);
            if (onWrite)
                onWrite(tick, display);
            tick += step;
        };
        const DisplayImage image = Picture(picture);
        for (int half = 0; half < controllers; ++half) {
            const int lcd = swapped ? 1 - half : half;
            if (reset) {
                write(lcd, false, 0xE2);
                tick += resetWait - step;
            }
            for (const std::uint8_t command : setup)
                write(lcd, false, command);
            for (int page = 0; page < 4; ++page) {
                if (page == skippedPage && half == 0)
                    continue;
                write(lcd, false, static_cast<std::uint8_t>(0xB8 | page));
                write(lcd, false, static_cast<std::uint8_t>(firstColumn));
                for (int column = 0; column < columns; ++column) {
                    const std::size_t at = static_cast<std::size_t>(half * 244 + page * 61 + column % 61);
                    write(lcd, true, image.bytes()[at]);
                }
            }
            if (half == 0)
                tick += pauseAfterFirst;
        }
        for (const std::uint8_t command : after)
            write(0, false, command);
    }
};

}  // namespace quillon::glass::test
