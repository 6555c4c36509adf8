// What a firmware puts on the display, without the board: the firmware runs in
// the 8051 simulator s51 against the model of the two controllers
// (sed1520.h) until it stops writing them, and the glass is read off the model.
#pragma once

#include "common/display.h"
#include "glass/sed1520.h"
#include "glass/wiring.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quillon::glass {

// The firmware rests once it has written nothing for this many machine
// cycles (100 ms at 12 MHz): longer than any wait between two writes of a
// driver that shows a picture, a reset's 2 ms included.
inline constexpr std::uint64_t DefaultRestCycles = 100'000;
// A firmware that has written this many bytes (10 pictures' worth) without
// a rest, or has not rested after this many machine cycles (1 s at 12 MHz),
// never comes to rest. Each write it makes may cost a round trip to s51.
inline constexpr std::uint64_t MostWrites = 5'000;
inline constexpr std::uint64_t MostCycles = 12'000'000;

struct GlassOptions {
    std::string firmware;       // the Intel HEX file's bytes
    std::filesystem::path s51;  // empty: s51 on PATH
    Wiring wiring;
    double clockMHz = 12;
    double busyUs = DefaultBusyUs;
    double resetUs = DefaultResetUs;
    std::uint64_t restCycles = DefaultRestCycles;
    std::uint64_t instructions = 0;  // run exactly this many; 0: until the firmware rests
    double seconds = 0;              // or this long at the clock, at rest or not; 0: until it rests
    // Called after each write the controllers took, with the model as it is
    // from then on: what a recorder samples the glass from.
    std::function<void(Tick tick, const Display& display)> onWrite;
};

struct GlassResult {
    enum class Outcome {
        Rested,       // no write for restCycles
        Ran,          // ran the instructions or the time asked for
        NeverRested,  // still writing after MostWrites, or nothing rested after MostCycles
        NoSimulator,  // s51 is not there
        Failed,       // the file or s51 failed; `problem` says how
    };
    Outcome outcome = Outcome::Failed;
    std::string problem;                // one line, for NoSimulator and Failed
    DisplayImage shown;                 // what the glass shows at the end
    std::vector<std::string> findings;  // what the firmware got wrong, a line each
    std::uint64_t instructions = 0;
    std::uint64_t cycles = 0;  // machine cycles
    std::uint64_t writes = 0;  // to both controllers
    std::uint64_t reads = 0;
};

GlassResult RunGlass(const GlassOptions& options);

// What the firmware got wrong, a line each, from the controllers as it left
// them: `initialised` says which got any set-up command (a reset, display on,
// ADC, static drive, duty or start line).
std::vector<std::string> Findings(const Display& display, const Timing& timing, const std::array<bool, 2>& initialised);

// The clock periods of `seconds` at options.clockMHz.
Tick TicksOf(const GlassOptions& options, double seconds);

// The code an Intel HEX file loads, a byte (or -1 where it loads none) for
// each of the 64 KiB an 8051 addresses; the failure says where it is not one.
using Code = std::vector<int>;
Result<Code> CodeOf(std::string_view text);

}  // namespace quillon::glass
