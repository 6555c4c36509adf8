// How the display hangs on the 8051: on the external bus at four addresses, or
// on port pins driven bit by bit (6800-style: data on a port, A0, R/W and one
// enable for each controller).
#pragma once

#include "common/result.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon::glass {

// A port pin, P3.4 = {3, 4}.
struct PortPin {
    int port = 3;
    int bit = 0;

    std::uint8_t Sfr() const { return static_cast<std::uint8_t>(0x80 + 0x10 * port); }
    std::uint8_t BitAddress() const { return static_cast<std::uint8_t>(Sfr() + bit); }
    std::string Name() const
    {
        // Appended rather than "P" + ...: GCC 12 warns falsely (-Wrestrict) of the temporary's copy.
        std::string name = "P";
        name += std::to_string(port);
        name += '.';
        name += std::to_string(bit);
        return name;
    }
    friend bool operator==(const PortPin&, const PortPin&) = default;
};

struct Wiring {
    bool onPorts = false;
    // On the bus: command and data of controller 1, then of controller 2.
    std::array<std::uint16_t, 4> addresses{0x8000, 0x8001, 0x8002, 0x8003};
    // On pins: DB0-DB7 on a whole port, A0 (0 command, 1 data), R/W (1 read)
    // and the enables E1 and E2 (active high).
    int dataPort = 1;
    PortPin a0{3, 2};
    PortPin rw{3, 3};
    PortPin e1{3, 4};
    PortPin e2{3, 5};
};

// "0x8000,0x8001,0x8002,0x8003": four distinct external-memory addresses
// (hexadecimal with 0x, or decimal).
Result<std::array<std::uint16_t, 4>> ParseAddresses(std::string_view text);
// "P1": a whole port, P0 to P3.
Result<int> ParsePort(std::string_view text);
// "P3.4": a pin, P0.0 to P3.7.
Result<PortPin> ParsePin(std::string_view text);
// The pins are four different ones, none on the data port.
Result<void> CheckPins(const Wiring& wiring);

}  // namespace quillon::glass
