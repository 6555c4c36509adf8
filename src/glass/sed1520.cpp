#include "glass/sed1520.h"

#include <algorithm>
#include <cmath>

namespace quillon::glass {

namespace {

// Microseconds as whole ticks of the clock, rounded up: a controller is never
// ready sooner than its figure.
Tick TicksOf(double us, double clockMHz)
{
    return static_cast<Tick>(std::ceil(us * clockMHz - 1e-9));
}

}  // namespace

Timing TimingAt(double clockMHz, double busyUs, double resetUs)
{
    return Timing{clockMHz, TicksOf(busyUs, clockMHz), TicksOf(resetUs, clockMHz)};
}

// Power-on: as unlike the wanted state as it gets, so that a firmware that
// leaves something unset cannot pass on luck; RAM neither clear nor lit.
Controller::Controller(const Timing& timing) : timing_(timing)
{
    ram_.fill(0xA5);
}

void Controller::Write(bool data, std::uint8_t byte, Tick tick)
{
    ++writes_;
    if (tick < resetUntil_) {
        whileResetting_.Note(tick, byte, data, tick - lastReset_);
        return;
    }
    if (tick < readyAt_) {
        whileBusy_.Note(tick, byte, data, tick - lastAccepted_);
        return;
    }
    lastAccepted_ = tick;
    readyAt_ = tick + timing_.busy;
    if (!data) {
        Command(byte, tick);
        return;
    }
    if (column_ >= Columns) {
        // The counter stops at 80: the byte has nowhere to go.
        pastColumn_.Note(tick, byte, true, 0);
        return;
    }
    ram_[Index(page_, column_)] = byte;
    written_[Index(page_, column_)] = true;
    ++column_;
}

void Controller::Command(std::uint8_t byte, Tick tick)
{
    if (byte < 0x50) {
        if (!readModifyWrite_)
            column_ = byte;
    } else if (byte < 0x80) {
        columnOutOfRange_.Note(tick, byte, false, 0);
    } else if ((byte & 0xFC) == 0xB8) {
        page_ = byte & 3;
    } else if ((byte & 0xFC) == 0xBC) {
        pageOutOfRange_.Note(tick, byte, false, 0);
    } else if ((byte & 0xE0) == 0xC0) {
        startLine_ = byte & 0x1F;
    } else if ((byte & 0xFE) == 0xAE) {
        on_ = byte & 1;
    } else if ((byte & 0xFE) == 0xA0) {
        adcReversed_ = byte & 1;
    } else if ((byte & 0xFE) == 0xA4) {
        static_ = byte & 1;
    } else if ((byte & 0xFE) == 0xA8) {
        duty32_ = byte & 1;
    } else if (byte == 0xE0) {
        readModifyWrite_ = true;
        savedColumn_ = column_;
    } else if (byte == 0xEE) {
        if (readModifyWrite_)
            column_ = savedColumn_;
        readModifyWrite_ = false;
    } else if (byte == 0xE2) {
        // The reset command sets the start line, the column and the page;
        // display on/off, ADC, static drive, duty and RAM stay as they are.
        startLine_ = 0;
        column_ = 0;
        page_ = 3;
        readModifyWrite_ = false;
        lastReset_ = tick;
        resetUntil_ = tick + timing_.reset;
        readyAt_ = std::max(readyAt_, resetUntil_);
    } else {
        unknown_.Note(tick, byte, false, 0);
    }
}

std::uint8_t Controller::StatusWhenReady() const
{
    return static_cast<std::uint8_t>((adcReversed_ ? 0 : StatusAdcNormal) | (on_ ? 0 : StatusOff));
}

std::uint8_t Controller::StatusWhileBusy() const
{
    return Status(readyAt_ > 0 ? readyAt_ - 1 : 0);
}

std::uint8_t Controller::Status(Tick tick) const
{
    return static_cast<std::uint8_t>(StatusWhenReady() | (tick < readyAt_ ? StatusBusy : 0) |
                                     (tick < resetUntil_ ? StatusReset : 0));
}

std::uint8_t Controller::ReadData(Tick tick)
{
    ++reads_;
    (void)tick;
    const std::uint8_t out = latch_;
    latch_ = column_ < Columns ? ram_[Index(page_, column_)] : 0xFF;
    if (!readModifyWrite_ && column_ < Columns)
        ++column_;
    return out;
}

bool Controller::Lit(int segment, int row) const
{
    if (!on_)
        return false;
    if (static_)
        return true;
    if (row >= RowsDriven())
        return false;
    const int line = (row + startLine_) % 32;
    return (ram_[Index(line / 8, ColumnOf(segment))] >> (line % 8)) & 1;
}

DisplayImage Display::Shown() const
{
    DisplayImage image;
    for (int y = 0; y < DisplayHeight; ++y) {
        for (int x = 0; x < DisplayWidth; ++x)
            image.SetDot(x, y, controllers_[static_cast<std::size_t>(x / Segments)].Lit(x % Segments, y));
    }
    return image;
}

}  // namespace quillon::glass
