// The 8051 simulator s51 (uCsim, Debian's sdcc-ucsim) as a child process that
// runs the firmware in steps and reports each access to the display with the
// tick it happened at; the model of the controllers is not in s51 but here
// (sed1520.h), fed from the reports.
//
// s51 reads commands on its standard input. Breakpoints on the display's
// addresses (or on the enables' port and bits) carry conditions that print a
// record of the access with sim_print: "\x1e", a kind letter, the controller,
// the byte in two hex digits (for the pins: the port latches), sim_ticks in
// ten, "\n". A step ends with "state" (instructions and ticks so far), a mark
// "\x1e\n" with the port latches as a number, and a command that makes s51
// open a FIFO as its simulator interface's input: it blocks in open() until
// the next commands are written and the FIFO is opened for writing. Waiting
// there instead of at its prompt spares the 100 ms s51 sleeps whenever it
// finds no input. Which accesses stop a step, and how reads are answered, is
// glass.cpp's choice.
#pragma once

#include "common/result.h"
#include "glass/sed1520.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillon::glass {

// One access the firmware made, as s51 reported it.
struct Access {
    char kind = 0;       // 'C' command, 'D' data written; 'S' status, 'R' data read; 'P' a write to an enable's port
    int controller = 0;  // 1 or 2; for 'P' the enable's bit written (1, 2) or 0 for its whole port
    std::uint8_t byte = 0;
    Tick tick = 0;
    std::array<std::uint8_t, 4> latches{0xFF, 0xFF, 0xFF, 0xFF};  // 'P': P0-P3 just before (those reported)
};

// What one step did.
struct Step {
    std::vector<Access> accesses;                                 // in order
    std::uint64_t instructions = 0;                               // executed since the start
    Tick ticks = 0;                                               // since the start
    std::array<std::uint8_t, 4> latches{0xFF, 0xFF, 0xFF, 0xFF};  // P0-P3 as last written (those reported)
    std::string stop;                                             // s51's words for why the step ended
};

class S51Link {
public:
    S51Link(const S51Link&) = delete;
    S51Link& operator=(const S51Link&) = delete;
    ~S51Link();

    // Starts `program` with `firmware` (Intel HEX bytes) loaded and runs
    // `setup` (breakpoints, variables); each step reports the latches of
    // `ports` (0 to 3). The failure says what went wrong.
    static Result<std::unique_ptr<S51Link>> Start(const std::filesystem::path& program, const std::string& firmware,
                                                  const std::string& setup, const std::vector<int>& ports);

    // Runs `commands` (each ending in "\n"), then at most `instructions`
    // instructions: fewer when a breakpoint stops the step.
    Result<Step> Run(const std::string& commands, std::uint64_t instructions);

    // Lets s51 quit and waits for it.
    void Finish();

    // A condition's part that prints a record: kind, controller, the value of
    // `byte` (an s51 expression) and sim_ticks.
    static std::string Record(char kind, int controller, const std::string& byte);
    // The same for a write to an enable's port, with the latches of `ports`
    // (Start's) before it instead of a byte.
    static std::string PortRecord(int enable, const std::vector<int>& ports);

private:
    S51Link() = default;
    Result<void> MakeFolder(const std::string& firmware);
    Result<void> Spawn(const std::filesystem::path& program);
    Result<void> Send(const std::string& text);
    Result<void> Release();
    Result<std::string> ReadThroughEnd();

    int pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    std::filesystem::path folder_;
    bool barrier_ = false;    // the FIFO s51 waits at: "a" (true) or "b"
    long slack_ = 0;          // the timer slack to restore
    bool waiting_ = false;    // s51 is at the barrier
    std::size_t unread_ = 0;  // bytes sent that s51 began reading before the barrier
    std::string buffer_;
    std::string program_;
    std::string end_;
    std::vector<int> ports_;
};

// The s51 to run: `given`, or "s51" found on PATH; nothing when there is none.
std::optional<std::filesystem::path> FindS51(const std::filesystem::path& given);

}  // namespace quillon::glass
