// A model of the display's two SED1520-family controllers: what each does with
// the bytes the firmware writes, what it answers to reads, and what the glass
// shows. Time is counted in the 8051's clock periods ("ticks", 12 a machine
// cycle), the unit of s51's simulated time.
#pragma once

#include "common/display.h"

#include <array>
#include <cstdint>

namespace quillon::glass {

using Tick = std::uint64_t;

inline constexpr int Pages = 4;      // of 8 RAM lines each
inline constexpr int Columns = 80;   // RAM columns of one controller
inline constexpr int Segments = 61;  // of them on the glass: controller 1 columns 0-60, controller 2 61-121
inline constexpr Tick TicksPerCycle = 12;

// Status bits (read at A0 = 0).
inline constexpr std::uint8_t StatusBusy = 0x80;
inline constexpr std::uint8_t StatusAdcNormal = 0x40;
inline constexpr std::uint8_t StatusOff = 0x20;
inline constexpr std::uint8_t StatusReset = 0x10;

// How long a controller takes, in ticks of an 8051 clocked at `clockMHz`.
struct Timing {
    double clockMHz = 12;
    Tick busy = 0;   // after each write it accepts
    Tick reset = 0;  // after 0xE2
};

// The figures the model uses unless told others, in microseconds. The SED1520
// data sheet says the busy flag is set while the controller carries out a
// command or resets, that it rejects any command but a status read then, and
// that with a long enough bus cycle time (tCYC) the flag need not be read; the
// figures here are the ones the drivers in examples/firmware are written
// against: the assembler one leaves at least 9 machine cycles (9 us at 12 MHz)
// between two writes and waits 2,056 (2.06 ms) after 0xE2.
inline constexpr double DefaultBusyUs = 5;
inline constexpr double DefaultResetUs = 2000;

Timing TimingAt(double clockMHz, double busyUs, double resetUs);

// Counts of one kind of mistake, with its first occurrence.
struct Tally {
    std::uint64_t count = 0;
    Tick first = 0;         // when it first happened
    std::uint8_t byte = 0;  // the byte written then
    bool data = false;      // a data byte, not a command
    Tick since = 0;         // ticks from the write (or 0xE2) before it

    void Note(Tick tick, std::uint8_t value, bool isData, Tick after)
    {
        if (count++ == 0) {
            first = tick;
            byte = value;
            data = isData;
            since = after;
        }
    }
};

class Controller {
public:
    explicit Controller(const Timing& timing);

    // A byte written at `tick`: a command (A0 = 0) or display data (A0 = 1).
    // One written while the controller is busy or resetting is rejected.
    void Write(bool data, std::uint8_t byte, Tick tick);
    // The status read at `tick`.
    std::uint8_t Status(Tick tick) const;
    // A display data read at `tick`: the byte the output latch held, which
    // then takes the RAM byte at the page and column (so the first read after
    // setting the column is a dummy one).
    std::uint8_t ReadData(Tick tick);
    // The byte the next display data read gives.
    std::uint8_t Latch() const { return latch_; }
    // When the busy bit (and the reset bit) clear, and the status until then.
    Tick ReadyAt() const { return readyAt_; }
    std::uint8_t StatusWhileBusy() const;
    std::uint8_t StatusWhenReady() const;

    // What the glass shows at `segment` (0-60) and `row` (0-31).
    bool Lit(int segment, int row) const;

    // The state that decides the picture.
    bool Written() const { return writes_ > 0; }
    bool DisplayOn() const { return on_; }
    int StartLine() const { return startLine_; }
    bool AdcReversed() const { return adcReversed_; }
    bool StaticDrive() const { return static_; }
    bool Duty32() const { return duty32_; }
    // Whether the RAM byte at `page` and `column` was ever written.
    bool ByteWritten(int page, int column) const { return written_[Index(page, column)]; }
    // The RAM column `segment` shows, through ADC.
    int ColumnOf(int segment) const { return adcReversed_ ? Columns - 1 - segment : segment; }
    // Rows the duty drives, from the top.
    int RowsDriven() const { return duty32_ ? 32 : 16; }

    const Tally& WhileBusy() const { return whileBusy_; }
    const Tally& WhileResetting() const { return whileResetting_; }
    const Tally& PastLastColumn() const { return pastColumn_; }          // data bytes at column 80
    const Tally& ColumnOutOfRange() const { return columnOutOfRange_; }  // 0x50-0x7F
    const Tally& PageOutOfRange() const { return pageOutOfRange_; }      // 0xBC-0xBF
    const Tally& UnknownCommands() const { return unknown_; }
    std::uint64_t Writes() const { return writes_; }
    std::uint64_t Reads() const { return reads_; }

private:
    static std::size_t Index(int page, int column) { return static_cast<std::size_t>(page * Columns + column); }
    void Command(std::uint8_t byte, Tick tick);

    Timing timing_;
    std::array<std::uint8_t, Pages * Columns> ram_{};
    std::array<bool, Pages * Columns> written_{};
    int page_ = 2;
    int column_ = 7;
    bool on_ = false;
    int startLine_ = 5;
    bool adcReversed_ = true;
    bool static_ = true;
    bool duty32_ = false;
    bool readModifyWrite_ = false;
    int savedColumn_ = 0;
    std::uint8_t latch_ = 0xA5;
    Tick readyAt_ = 0;
    Tick resetUntil_ = 0;
    Tick lastAccepted_ = 0;  // the last write taken, or 0xE2
    Tick lastReset_ = 0;
    std::uint64_t writes_ = 0;
    std::uint64_t reads_ = 0;
    Tally whileBusy_;
    Tally whileResetting_;
    Tally pastColumn_;
    Tally columnOutOfRange_;
    Tally pageOutOfRange_;
    Tally unknown_;
};

// The two controllers side by side.
class Display {
public:
    explicit Display(const Timing& timing) : controllers_{Controller(timing), Controller(timing)} {}

    Controller& operator[](int index) { return controllers_[static_cast<std::size_t>(index)]; }
    const Controller& operator[](int index) const { return controllers_[static_cast<std::size_t>(index)]; }

    // The 122 x 32 dots the glass shows now.
    DisplayImage Shown() const;

private:
    std::array<Controller, 2> controllers_;
};

}  // namespace quillon::glass
