#include "glass/glass.h"

#include "glass/s51_link.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

namespace quillon::glass {

namespace {

std::string Hex(std::uint8_t byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

std::string Name(int index)
{
    return index == 0 ? "controller 1 (columns 0-60)" : "controller 2 (columns 61-121)";
}

std::string Times(std::uint64_t count)
{
    return count == 1 ? "" : " (" + std::to_string(count) + " times)";
}

// "5 machine cycles", "16.7 machine cycles".
std::string Cycles(Tick ticks)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.*f machine cycle%s", ticks % TicksPerCycle == 0 ? 0 : 1,
                  static_cast<double>(ticks) / TicksPerCycle, ticks == TicksPerCycle ? "" : "s");
    return text;
}

std::string Micros(Tick ticks, double clockMHz)
{
    const double us = static_cast<double>(ticks) / clockMHz;
    char text[32];
    std::snprintf(text, sizeof text, us >= 1000 ? "%g ms" : "%g µs", us >= 1000 ? us / 1000 : us);
    return text;
}

std::string MHz(double clockMHz)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g MHz", clockMHz);
    return text;
}

// "0-60" and "3, 7-9" for sorted numbers.
std::string Ranges(const std::vector<int>& numbers)
{
    std::string text;
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1)
            ++j;
        text += (text.empty() ? "" : ", ") + std::to_string(numbers[i]);
        if (j > i)
            text += '-' + std::to_string(numbers[j]);
        i = j + 1;
    }
    return text;
}

// The RAM bytes a controller shows that the firmware never wrote: "page 3
// columns 0-60", "pages 0-3 column 0"; `count` of them.
std::string NeverWritten(const Controller& controller, std::uint64_t& count)
{
    std::array<bool, Pages> pageShown{};
    for (int row = 0; row < controller.RowsDriven(); ++row)
        pageShown[static_cast<std::size_t>((row + controller.StartLine()) % 32 / 8)] = true;
    std::array<std::vector<int>, Pages> missing;
    count = 0;
    for (int page = 0; page < Pages; ++page) {
        if (!pageShown[static_cast<std::size_t>(page)])
            continue;
        std::vector<int>& columns = missing[static_cast<std::size_t>(page)];
        for (int segment = 0; segment < Segments; ++segment) {
            if (!controller.ByteWritten(page, controller.ColumnOf(segment)))
                columns.push_back(controller.ColumnOf(segment));
        }
        std::sort(columns.begin(), columns.end());
        count += columns.size();
    }
    std::string text;
    for (int page = 0; page < Pages;) {
        const std::vector<int>& columns = missing[static_cast<std::size_t>(page)];
        int last = page;
        while (last + 1 < Pages && missing[static_cast<std::size_t>(last + 1)] == columns)
            ++last;
        if (!columns.empty()) {
            text += text.empty() ? "" : "; ";
            text += page == last ? "page " + std::to_string(page)
                                 : "pages " + std::to_string(page) + '-' + std::to_string(last);
            text += columns.size() == 1 ? " column " : " columns ";
            text += Ranges(columns);
        }
        page = last + 1;
    }
    return text;
}

// The commands a driver sends to set a controller up.
bool IsSetUp(std::uint8_t command)
{
    return command == 0xE2 || (command & 0xFE) == 0xAE || (command & 0xFE) == 0xA0 || (command & 0xFE) == 0xA4 ||
           (command & 0xFE) == 0xA8 || (command & 0xE0) == 0xC0;
}

// The latches each step reports on the pins: the data port's and the
// control pins' ports.
std::vector<int> ReportedPorts(const Wiring& wiring)
{
    std::vector<int> ports;
    if (wiring.onPorts) {
        for (const int port : {wiring.dataPort, wiring.a0.port, wiring.rw.port, wiring.e1.port, wiring.e2.port}) {
            if (std::find(ports.begin(), ports.end(), port) == ports.end())
                ports.push_back(port);
        }
    }
    return ports;
}

// The conditions of the breakpoints that report the firmware's accesses, and
// the variables they read.
//
// On the bus, a write sets pw (a write the model has not seen); a status read
// is answered from three variables the model sets once it has seen the
// writes: the tick the busy time ends, the status until then, the status
// after. So that they are never stale, a MOVX that reads a status register
// while pw is set stops the step before it runs: a breakpoint on every MOVX A
// in the code (every byte 0xE0, 0xE2 or 0xE3; those that are no instruction
// are never fetched). A display data read stops the step after it, and the
// model puts the next one's byte in place.
//
// On the pins, every write to an enable (its bit, or its whole port) is
// reported with the latches before it, and the model finds the edges. Only a
// write that may raise an enable while R/W is high stops the step: a read
// begins, and the model puts its answer on the data port's pins before the
// firmware reads them.
std::string Setup(const GlassOptions& options, const Display& display, const Code& code, const std::vector<int>& ports)
{
    std::string setup;
    const Wiring& wiring = options.wiring;
    if (!wiring.onPorts) {
        setup += "var pw\n";
        for (int k = 1; k <= 2; ++k) {
            const std::string command = std::to_string(wiring.addresses[static_cast<std::size_t>(2 * k - 2)]);
            const std::string data = std::to_string(wiring.addresses[static_cast<std::size_t>(2 * k - 1)]);
            const std::string g = k == 1 ? "g1" : "g2";
            const Controller& c = display[k - 1];
            setup += "var " + g + "r\nvar " + g + "b\nvar " + g + "i\n";
            setup += "expr " + g + "i=" + std::to_string(c.StatusWhenReady()) + ",xram_chip[" + data +
                     "]=" + std::to_string(c.Latch()) + "\n";
            // MOVX writes the accumulator.
            setup += "break xram w " + command + " if \"" + S51Link::Record('C', k, "sfr[0xe0]") + ",pw=1,0\"\n";
            setup += "break xram w " + data + " if \"" + S51Link::Record('D', k, "sfr[0xe0]") + ",pw=1,0\"\n";
            setup += "break xram r " + command + " if \"xram_chip[" + command + "]=sim_ticks<" + g + "r?" + g +
                     "b:" + g + "i," + S51Link::Record('S', k, "xram_chip[" + command + "]") + ",0\"\n";
            setup += "break xram r " + data + " if \"" + S51Link::Record('R', k, "xram_chip[" + data + "]") + ",1\"\n";
        }
        const std::string status1 = std::to_string(wiring.addresses[0]);
        const std::string status2 = std::to_string(wiring.addresses[2]);
        for (std::size_t address = 0; address < code.size(); ++address) {
            const int op = code[address];
            if (op != 0xE0 && op != 0xE2 && op != 0xE3)
                continue;
            // MOVX A,@DPTR reads DPTR; MOVX A,@R0 and @R1 read P2's latch and R0 or R1.
            const std::string from = op == 0xE0   ? "(dph*256+dpl)"
                                     : op == 0xE2 ? "(port2_odr*256+R0)"
                                                  : "(port2_odr*256+R1)";
            setup += "break " + std::to_string(address) + " if \"pw&&(" + from + "==" + status1 + "||" + from +
                     "==" + status2 + ")\"\n";
        }
        return setup;
    }
    const auto bit = [](const PortPin& pin) {
        return "(port" + std::to_string(pin.port) + "_odr>>" + std::to_string(pin.bit) + "&1)";
    };
    const std::string readNext = bit(wiring.rw);
    setup += "break bits w " + std::to_string(wiring.e1.BitAddress()) + " if \"" + S51Link::PortRecord(1, ports) +
             ",!" + bit(wiring.e1) + "&&" + readNext + "\"\n";
    setup += "break bits w " + std::to_string(wiring.e2.BitAddress()) + " if \"" + S51Link::PortRecord(2, ports) +
             ",!" + bit(wiring.e2) + "&&" + readNext + "\"\n";
    const std::string wholePort =
        S51Link::PortRecord(0, ports) + ",(!" + bit(wiring.e1) + "||!" + bit(wiring.e2) + ")&&" + readNext;
    setup += "break sfr w " + std::to_string(wiring.e1.Sfr()) + " if \"" + wholePort + "\"\n";
    if (wiring.e2.port != wiring.e1.port)
        setup += "break sfr w " + std::to_string(wiring.e2.Sfr()) + " if \"" + wholePort + "\"\n";
    return setup;
}

}  // namespace

std::vector<std::string> Findings(const Display& display, const Timing& timing, const std::array<bool, 2>& initialised)
{
    std::vector<std::string> lines;
    for (int k = 0; k < 2; ++k) {
        const Controller& c = display[k];
        const std::string who = Name(k);
        if (!c.Written()) {
            lines.push_back(who + " was never written");
            continue;
        }
        if (!initialised[static_cast<std::size_t>(k)]) {
            lines.push_back(who +
                            " was never initialised: it got no reset, display on, ADC, static drive, duty or "
                            "start line command");
        } else {
            if (!c.DisplayOn())
                lines.push_back(who + " is left with its display off (0xAF turns it on)");
            if (c.StaticDrive())
                lines.push_back(who + " is left in static drive, every dot lit (0xA4 ends it)");
            if (c.StartLine() != 0)
                lines.push_back(who + " starts the glass at RAM line " + std::to_string(c.StartLine()) +
                                ", not 0 (0xC0 sets line 0)");
            if (c.AdcReversed())
                lines.push_back(who + " shows its columns in reverse, ADC 0xA1 (0xA0 is the normal order)");
            if (!c.Duty32())
                lines.push_back(who + " drives 16 of the 32 rows, duty 1/16 (0xA9 sets 1/32)");
        }
        if (const Tally& t = c.WhileBusy(); t.count > 0) {
            lines.push_back(who + ": " + std::to_string(t.count) + (t.count == 1 ? " write" : " writes") +
                            " came while it was busy and " + (t.count == 1 ? "was" : "were") + " lost, the first (" +
                            (t.data ? "data " : "command ") + Hex(t.byte) + ") " + Cycles(t.since) +
                            " after the write before; it is busy " + Micros(timing.busy, timing.clockMHz) +
                            " after each write, " + Cycles(timing.busy) + " at " + MHz(timing.clockMHz));
        }
        if (const Tally& t = c.WhileResetting(); t.count > 0) {
            lines.push_back(who + ": " + std::to_string(t.count) + (t.count == 1 ? " write" : " writes") +
                            " came while it was still resetting and " + (t.count == 1 ? "was" : "were") +
                            " lost, the first (" + (t.data ? "data " : "command ") + Hex(t.byte) + ") " +
                            Cycles(t.since) + " after 0xE2; a reset takes " + Micros(timing.reset, timing.clockMHz) +
                            ", " + Cycles(timing.reset));
        }
        if (const Tally& t = c.PastLastColumn(); t.count > 0) {
            lines.push_back(who + ": " + std::to_string(t.count) +
                            (t.count == 1 ? " data byte came" : " data bytes came") + " past column 79 and " +
                            (t.count == 1 ? "was" : "were") + " lost, the first (" + Hex(t.byte) +
                            ") at machine cycle " + std::to_string(t.first / TicksPerCycle));
        }
        if (const Tally& t = c.ColumnOutOfRange(); t.count > 0) {
            lines.push_back(who + ": column " + std::to_string(t.byte) + " was set (command " + Hex(t.byte) + ")" +
                            Times(t.count) + "; its columns are 0-79");
        }
        if (const Tally& t = c.PageOutOfRange(); t.count > 0) {
            lines.push_back(who + ": page " + std::to_string(t.byte - 0xB8) + " was set (command " + Hex(t.byte) + ")" +
                            Times(t.count) + "; its pages are 0-3");
        }
        if (const Tally& t = c.UnknownCommands(); t.count > 0) {
            lines.push_back(who + ": " +
                            (t.count == 1
                                 ? "command " + Hex(t.byte) + " is none it knows"
                                 : std::to_string(t.count) + " commands were none it knows, the first " + Hex(t.byte)));
        }
        if (c.DisplayOn() && !c.StaticDrive()) {
            std::uint64_t count = 0;
            const std::string where = NeverWritten(c, count);
            if (count > 0) {
                lines.push_back(who + ": " + std::to_string(count) + (count == 1 ? " byte" : " bytes") +
                                " of what it shows " + (count == 1 ? "was" : "were") + " never written, " + where);
            }
        }
    }
    return lines;
}

Result<Code> CodeOf(std::string_view text)
{
    Code code(0x10000, -1);
    std::size_t number = 0;
    bool ended = false;
    std::uint32_t upper = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        const std::string where = "line " + std::to_string(number) + ": ";
        if (ended)
            return Failure{where + "a record after the end record"};
        if (line[0] != ':' || line.size() < 11 || line.size() % 2 == 0)
            return Failure{where + "no record (\":\" and pairs of hexadecimal digits)"};
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 1; i < line.size(); i += 2) {
            const auto digit = [](char c) {
                return c >= '0' && c <= '9'   ? c - '0'
                       : c >= 'A' && c <= 'F' ? c - 'A' + 10
                       : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                              : -1;
            };
            const int high = digit(line[i]);
            const int low = digit(line[i + 1]);
            if (high < 0 || low < 0)
                return Failure{where + "no record (\":\" and pairs of hexadecimal digits)"};
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
        }
        if (bytes.size() != static_cast<std::size_t>(bytes[0]) + 5)
            return Failure{where + "its length byte disagrees with its length"};
        std::uint8_t sum = 0;
        for (const std::uint8_t byte : bytes)
            sum = static_cast<std::uint8_t>(sum + byte);
        if (sum != 0)
            return Failure{where + "wrong checksum"};
        // 64 bits: an extended address near 4 GiB must not wrap round into range.
        const std::uint64_t address = std::uint64_t{upper} + (static_cast<std::uint32_t>(bytes[1]) << 8) + bytes[2];
        switch (bytes[3]) {
            case 0:
                if (address + bytes[0] > 0x10000)
                    return Failure{where + "code past 64 KiB, more than an 8051 addresses"};
                for (std::size_t i = 0; i < bytes[0]; ++i)
                    code[address + i] = bytes[4 + i];
                break;
            case 1:
                ended = true;
                break;
            case 2:
            case 4:
                if (bytes[0] != 2)
                    return Failure{where + "an address record without two address bytes"};
                upper = bytes[3] == 2 ? ((bytes[4] << 8) + bytes[5]) * 16u : ((bytes[4] << 8) + bytes[5]) * 65536u;
                break;
            case 3:
            case 5:
                break;
            default:
                return Failure{where + "record type " + std::to_string(bytes[3]) + ", which Intel HEX does not have"};
        }
    }
    if (!ended)
        return Failure{number == 0 ? "empty" : "no end record (:00000001FF)"};
    return code;
}

namespace {

// One run of the firmware: the model, and what it tells s51 before each step.
class Session {
public:
    Session(const GlassOptions& options, GlassResult& result, const Timing& timing)
        : options_(options), wiring_(options.wiring), result_(result), display_(timing)
    {
    }

    const Display& Model() const { return display_; }

    // Takes what a step reported, in order; true when a breakpoint ended it.
    bool Take(const Step& step)
    {
        bool stopped = step.stop.find("reak") != std::string::npos;  // "Breakpoint", "Event break"
        std::vector<const Access*> pinWrites;
        for (const Access& access : step.accesses) {
            const int k = access.controller - 1;
            switch (access.kind) {
                case 'C':
                case 'D':
                    Write(k, access.kind == 'D', access.byte, access.tick);
                    break;
                case 'S':
                    ++result_.reads;
                    break;
                case 'R':
                    display_[k].ReadData(access.tick);
                    ++result_.reads;
                    answers_ += "expr xram_chip[" +
                                std::to_string(wiring_.addresses[static_cast<std::size_t>(2 * k + 1)]) +
                                "]=" + std::to_string(display_[k].Latch()) + "\n";
                    stopped = true;
                    break;
                case 'P':
                    pinWrites.push_back(&access);
                    break;
                default:
                    break;
            }
        }
        TakeEnables(pinWrites, step.latches);
        now_ = step.ticks;
        if (!wiring_.onPorts) {
            // The status answers, once the model has seen the writes.
            for (int k = 0; k < 2; ++k) {
                if (!std::exchange(written_[static_cast<std::size_t>(k)], false))
                    continue;
                const Controller& c = display_[k];
                const std::string g = k == 0 ? "g1" : "g2";
                answers_ += "expr pw=0," + g + "r=" + std::to_string(c.ReadyAt()) + "," + g +
                            "b=" + std::to_string(c.StatusWhileBusy()) + "," + g +
                            "i=" + std::to_string(c.StatusWhenReady()) + "\n";
            }
        } else {
            for (int k = 0; k < 2; ++k) {
                if (reading_[k] && readingStatus_[k])
                    driven_[k] = display_[k].Status(now_);
            }
            if (const std::uint8_t wanted = driven_[0] & driven_[1]; wanted != pins_) {
                pins_ = wanted;
                answers_ += "expr pin" + std::to_string(wiring_.dataPort) + "=" + std::to_string(pins_) + "\n";
            }
        }
        return stopped;
    }

    // The commands that set s51's answers before the next step.
    std::string Answers() { return std::exchange(answers_, std::string()); }

    // At most this many instructions in the next step: fewer while a status
    // read is held open on the pins, so that its answer changes when the busy
    // time ends (an instruction takes at most 4 machine cycles).
    std::uint64_t Limit(std::uint64_t wanted) const
    {
        for (int k = 0; k < 2; ++k) {
            const Tick ready = display_[k].ReadyAt();
            if (reading_[k] && readingStatus_[k] && now_ < ready)
                wanted = std::min<std::uint64_t>(wanted, std::max<Tick>(1, (ready - now_) / (4 * TicksPerCycle)));
        }
        return wanted;
    }

    Tick Now() const { return now_; }
    bool AnyWrite() const { return anyWrite_; }
    Tick LastWrite() const { return lastWrite_; }
    const std::array<bool, 2>& Initialised() const { return initialised_; }

private:
    void Write(int k, bool data, std::uint8_t byte, Tick tick)
    {
        display_[k].Write(data, byte, tick);
        if (!data && IsSetUp(byte))
            initialised_[static_cast<std::size_t>(k)] = true;
        written_[static_cast<std::size_t>(k)] = true;
        anyWrite_ = true;
        lastWrite_ = tick;
        ++result_.writes;
        if (options_.onWrite)
            options_.onWrite(tick, display_);
    }

    static bool Level(const std::array<std::uint8_t, 4>& latches, const PortPin& pin)
    {
        return ((latches[static_cast<std::size_t>(pin.port)] >> pin.bit) & 1) != 0;
    }

    // The edges on the enables, from the latches before each write to their
    // ports: an enable changes only in those writes, so its level after one
    // is its level before the next (or at the end of the step).
    void TakeEnables(const std::vector<const Access*>& writes, const std::array<std::uint8_t, 4>& end)
    {
        for (std::size_t i = 0; i < writes.size(); ++i) {
            const Access& access = *writes[i];
            const std::array<std::uint8_t, 4>& before = access.latches;
            const std::array<std::uint8_t, 4>& after = i + 1 < writes.size() ? writes[i + 1]->latches : end;
            for (int c = 0; c < 2; ++c) {
                const PortPin& enable = c == 0 ? wiring_.e1 : wiring_.e2;
                const bool was = Level(before, enable);
                const bool is = Level(after, enable);
                if (!was && is && Level(before, wiring_.rw)) {
                    reading_[c] = true;
                    readingStatus_[c] = !Level(before, wiring_.a0);
                    driven_[c] =
                        readingStatus_[c] ? display_[c].Status(access.tick) : display_[c].ReadData(access.tick);
                    ++result_.reads;
                } else if (was && !is) {
                    if (reading_[c]) {
                        reading_[c] = false;
                        driven_[c] = 0xFF;
                    } else if (!Level(before, wiring_.rw)) {
                        // 6800-style: the byte on the data port is taken as E falls.
                        Write(c, Level(before, wiring_.a0), before[static_cast<std::size_t>(wiring_.dataPort)],
                              access.tick);
                    }
                }
            }
        }
    }

    const GlassOptions& options_;
    const Wiring& wiring_;
    GlassResult& result_;
    Display display_;
    std::string answers_;
    Tick now_ = 0;
    bool anyWrite_ = false;
    Tick lastWrite_ = 0;
    std::array<bool, 2> initialised_{};
    std::array<bool, 2> written_{};  // since the last answers
    // On the pins: whether each controller is being read, and what it drives.
    std::array<bool, 2> reading_{};
    std::array<bool, 2> readingStatus_{};
    std::array<std::uint8_t, 2> driven_{0xFF, 0xFF};
    std::uint8_t pins_ = 0xFF;
};

// Runs the firmware step by step until it rests, its instructions or its
// time are done, or it never rests; counts into `result` as it goes.
Result<GlassResult::Outcome> RunSteps(S51Link& link, Session& session, const GlassOptions& options, GlassResult& result)
{
    const Tick restTicks = options.restCycles * TicksPerCycle;
    const Tick endTicks = TicksOf(options, options.seconds);
    for (std::uint64_t done = 0;;) {
        // Without --instructions, steps of restCycles instructions: one that
        // writes nothing is a rest (each instruction takes a cycle or more).
        // Towards the end of a time, steps of a quarter of the cycles left, so
        // that no step runs past it by much: an instruction takes 4 cycles at most.
        std::uint64_t wanted = options.instructions > 0 ? options.instructions - done : options.restCycles;
        if (endTicks > 0)
            wanted = std::clamp<std::uint64_t>((endTicks - std::min(endTicks, session.Now())) / TicksPerCycle / 4, 1,
                                               options.restCycles);
        const std::uint64_t chunk = session.Limit(wanted);
        const Result<Step> step = link.Run(session.Answers(), chunk);
        if (!step)
            return Failure{step.Error()};
        const bool stopped = session.Take(*step);
        if (!stopped && step->instructions < done + chunk) {
            return Failure{"the simulation stopped before the firmware came to rest: " +
                           (step->stop.empty() ? std::string("s51 gave no reason") : step->stop)};
        }
        done = step->instructions;
        result.instructions = done;
        const Tick now = session.Now();
        if (endTicks > 0) {
            if (now >= endTicks)
                return GlassResult::Outcome::Ran;
        } else if (options.instructions > 0) {
            if (done >= options.instructions)
                return GlassResult::Outcome::Ran;
        } else if (session.AnyWrite() && now - session.LastWrite() >= restTicks) {
            return GlassResult::Outcome::Rested;
        } else if (result.writes >= MostWrites || now >= MostCycles * TicksPerCycle) {
            return GlassResult::Outcome::NeverRested;
        }
    }
}

}  // namespace

Tick TicksOf(const GlassOptions& options, double seconds)
{
    return static_cast<Tick>(seconds * options.clockMHz * 1e6 + 0.5);
}

GlassResult RunGlass(const GlassOptions& options)
{
    GlassResult result;
    const Result<Code> code = CodeOf(options.firmware);
    if (!code) {
        result.problem = "is not an Intel HEX file: " + code.Error();
        return result;
    }
    const std::optional<std::filesystem::path> program = FindS51(options.s51);
    if (!program) {
        result.outcome = GlassResult::Outcome::NoSimulator;
#ifdef _WIN32
        result.problem = "s51: the 8051 simulator is run on Linux only (Debian package sdcc-ucsim)";
        return result;
#endif
        result.problem =
            options.s51.empty()
                ? "s51: the 8051 simulator is not on PATH; it comes with the Debian package sdcc-ucsim"
                : options.s51.string() + ": cannot be run as the 8051 simulator (s51 of the Debian package sdcc-ucsim)";
        return result;
    }

    const Timing timing = TimingAt(options.clockMHz, options.busyUs, options.resetUs);
    Session session(options, result, timing);
    const std::vector<int> ports = ReportedPorts(options.wiring);
    Result<std::unique_ptr<S51Link>> started =
        S51Link::Start(*program, options.firmware, Setup(options, session.Model(), *code, ports), ports);
    if (!started) {
        result.problem = program->string() + ": " + started.Error();
        return result;
    }
    S51Link& link = **started;

    const Result<GlassResult::Outcome> outcome = RunSteps(link, session, options, result);
    if (!outcome) {
        result.problem = outcome.Error();
        return result;
    }
    result.outcome = *outcome;
    link.Finish();

    result.shown = session.Model().Shown();
    result.cycles = session.Now() / TicksPerCycle;
    result.findings = Findings(session.Model(), timing, session.Initialised());
    if (result.outcome == GlassResult::Outcome::NeverRested) {
        result.findings.push_back(session.AnyWrite()
                                      ? "never came to rest: " + std::to_string(result.writes) + " writes in " +
                                            std::to_string(result.cycles) + " machine cycles, the last at cycle " +
                                            std::to_string(session.LastWrite() / TicksPerCycle) +
                                            " (--instructions N shows the glass after N instructions)"
                                      : "wrote nothing in " + std::to_string(result.cycles) + " machine cycles");
    }
    return result;
}

}  // namespace quillon::glass
