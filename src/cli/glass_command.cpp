// quillon-cli glass: the firmware run in the 8051 simulator s51 against the
// model of the display's two controllers (src/glass/), and what the glass
// shows once it rests printed as preview prints dots, or compared with a
// picture or table.
#include "cli/command.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "cli/shown_dots.h"
#include "engine/dots.h"
#include "files/input_file.h"
#include "glass/glass.h"
#include "glass/recording.h"
#include "preview/dots_gif.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace quillon::cli {

namespace {

// An Intel HEX file of 64 KiB of code is some 180 KiB.
constexpr std::size_t FirmwareLimit = 4u << 20;

// A check of one option's value: the failure's words, or nothing.
template <typename Parse>
CLI::Validator Checked(Parse parse)
{
    return CLI::Validator(
        [parse](std::string& value) {
            const auto parsed = parse(value);
            return parsed ? std::string() : parsed.Error();
        },
        "");
}

// "3-40 (controller 1), 70-101 (controller 2)": where two rows differ.
std::string Where(const std::string& shown, const std::string& expected, int& count)
{
    std::string text;
    count = 0;
    for (int half = 0; half < 2; ++half) {
        int first = -1;
        int last = -1;
        for (int x = half * glass::Segments; x < (half + 1) * glass::Segments; ++x) {
            if (shown[static_cast<std::size_t>(x)] != expected[static_cast<std::size_t>(x)]) {
                first = first < 0 ? x : first;
                last = x;
                ++count;
            }
        }
        if (first < 0)
            continue;
        text += (text.empty() ? "" : ", ") + std::string(first == last ? "column " : "columns ") +
                std::to_string(first) + (first == last ? "" : "-" + std::to_string(last)) + " (controller " +
                std::to_string(half + 1) + ")";
    }
    return text;
}

// The rows that differ, the first few named; true when none does.
bool Compare(std::string_view name, const DotRows& shown, const DotRows& expected, std::string_view expectedName)
{
    constexpr int RowsNamed = 3;
    int rows = 0;
    int dots = 0;
    std::vector<int> unnamed;
    for (int y = 0; y < DisplayHeight; ++y) {
        int count = 0;
        const std::string where =
            Where(shown[static_cast<std::size_t>(y)], expected[static_cast<std::size_t>(y)], count);
        if (count == 0)
            continue;
        dots += count;
        if (rows++ < RowsNamed) {
            ProblemAt(name, "row " + std::to_string(y) + " (page " + std::to_string(y / 8) + ") differs from " +
                                std::string(expectedName) + " in " + std::to_string(count) +
                                (count == 1 ? " dot, " : " dots, ") + where);
        } else {
            unnamed.push_back(y);
        }
    }
    if (!unnamed.empty()) {
        ProblemAt(name, std::to_string(unnamed.size()) + " more rows differ, the last row " +
                            std::to_string(unnamed.back()) + "; " + std::to_string(dots) + " dots in all");
    }
    return rows == 0;
}

class Glass final : public Command {
public:
    void Add(CLI::App& command) override;
    void Check() override;
    ExitCode Run() override;

private:
    void AddTiming(CLI::App& command);
    std::optional<DotRows> Expected(ExitCode& failed) const;
    bool WriteRecording(const std::vector<glass::ShownState>& states, const glass::GlassOptions& run) const;

    std::string firmware_;
    std::string wiring_ = "0x8000,0x8001,0x8002,0x8003";
    std::string data_ = "P1";
    std::string a0_ = "P3.2";
    std::string rw_ = "P3.3";
    std::string e1_ = "P3.4";
    std::string e2_ = "P3.5";
    std::string s51_;
    std::string expect_;
    std::string png_;
    std::string gif_;
    int scale_ = 4;
    bool inverse_ = false;
    PictureWords picture_;  // how --expect's picture becomes dots
    glass::GlassOptions run_;
    CLI::App* command_ = nullptr;
};

void Glass::Add(CLI::App& subcommand)
{
    CLI::App* command = &subcommand;
    command->footer(
        "FIRMWARE is an Intel HEX file (SDCC's .ihx). It runs in s51 (Debian package\n"
        "sdcc-ucsim) against a model of the two SED1520 controllers until it writes\n"
        "nothing more for --rest machine cycles (or for --instructions N, or for\n"
        "--seconds S of its time); then the 122 x 32 dots the glass shows are\n"
        "printed as preview prints them. --gif records the glass all the while as an\n"
        "animated GIF: each picture the firmware rests on (no write for 10 ms).\n"
        "What the firmware got wrong (a controller left off or set up wrong, a write\n"
        "while busy or resetting, a column or page out of range, bytes never\n"
        "written, no rest) is named on stderr, a line each.\n\n"
        "Wiring: --wiring ADDRESSES, four external-memory addresses (command and\n"
        "data of controller 1, then of controller 2), or --wiring port with the\n"
        "data lines on a port and A0, R/W, E1 and E2 on pins (6800-style).\n\n"
        "Exit codes:\n"
        "  0   the firmware came to rest with nothing to say (and --expect's dots\n"
        "      shown)\n"
        "  1   a line on stderr says what the firmware got wrong, or the glass\n"
        "      differs from --expect\n"
        "  2   the firmware or --expect file could not be read, or s51 is missing\n"
        "      or failed\n"
        "  64  the command line was not understood");
    command->add_option("FIRMWARE", firmware_, "The firmware, an Intel HEX file")->required();
    command->add_option("--wiring", wiring_, "ADDRESSES (default 0x8000,0x8001,0x8002,0x8003) or port")
        ->type_name("HOW")
        ->check(Checked([](const std::string& value) -> Result<void> {
            if (value == "port")
                return {};
            const auto addresses = glass::ParseAddresses(value);
            return addresses ? Result<void>() : Failure{addresses.Error()};
        }));
    const std::string pins = "With --wiring port";
    command->add_option("--data", data_, "The port of DB0-DB7 (default P1)")
        ->type_name("PORT")
        ->check(Checked([](const std::string& v) { return glass::ParsePort(v); }))
        ->group(pins);
    const auto pin = [&](const char* name, std::string& value, const char* what) {
        command->add_option(name, value, what)
            ->type_name("PIN")
            ->check(Checked([](const std::string& v) { return glass::ParsePin(v); }))
            ->group(pins);
    };
    pin("--a0", a0_, "A0: 0 command, 1 data (default P3.2)");
    pin("--rw", rw_, "R/W: 1 read, 0 write (default P3.3)");
    pin("--e1", e1_, "E of controller 1, columns 0-60 (default P3.4)");
    pin("--e2", e2_, "E of controller 2, columns 61-121 (default P3.5)");
    AddTiming(*command);
    command->add_option("--s51", s51_, "The simulator to run (default: s51 on PATH)")->type_name("PATH");
    command->add_option("--png", png_, "Write the glass there as a PNG picture")->type_name("FILE");
    command->add_option("--gif", gif_, "Record the glass there as an animated GIF")->type_name("FILE");
    command->add_option("--scale", scale_, "Pixels a dot in the PNG or GIF, each way (default 4)")
        ->type_name("1..16")
        ->check(CLI::Range(1, 16).description(""));
    command->add_option("--expect", expect_, "Compare instead of printing: exit 1 when unlike FILE")->type_name("FILE");
    command->add_flag("--inverse", inverse_, "With --expect: light the picture's other colour");
    AddPictureOptions(*command, picture_);
    command_ = command;
}

// The model's timing, and how long the firmware runs.
void Glass::AddTiming(CLI::App& subcommand)
{
    CLI::App* command = &subcommand;
    const std::string timing = "Timing";
    // CLI::Range lets "nan" through: every comparison with it is false.
    const auto decimal = [](double low, double high) {
        return CLI::Validator(
            [low, high](std::string& text) {
                char* end = nullptr;
                const double value = std::strtod(text.c_str(), &end);
                if (end == text.c_str() || *end != '\0' || !std::isfinite(value))
                    return "Value " + text + " is not a number";
                if (value < low || value > high)
                    return "Value " + text + " not in range " + std::to_string(low) + " to " + std::to_string(high);
                return std::string();
            },
            "");
    };
    command->add_option("--clock", run_.clockMHz, "The 8051's clock (default 12; 12 periods a cycle)")
        ->type_name("MHZ")
        ->check(decimal(0.001, 1000.0))
        ->group(timing);
    command->add_option("--busy-time", run_.busyUs, "Busy this long after each write (default 5)")
        ->type_name("US")
        ->check(decimal(0.0, 1e6))
        ->group(timing);
    command->add_option("--reset-time", run_.resetUs, "...and this long after 0xE2 (default 2000)")
        ->type_name("US")
        ->check(decimal(0.0, 1e7))
        ->group(timing);
    command->add_option("--rest", run_.restCycles, "At rest after this many cycles without a write (100000)")
        ->type_name("CYCLES")
        ->check(CLI::Range(std::uint64_t{1}, std::uint64_t{1} << 40).description(""))
        ->group(timing);
    CLI::Option* instructions =
        command->add_option("--instructions", run_.instructions, "Run exactly N instructions, then show the glass")
            ->type_name("N")
            ->check(CLI::Range(std::uint64_t{1}, std::uint64_t{1} << 40).description(""))
            ->group(timing);
    command->add_option("--seconds", run_.seconds, "Run S seconds of the firmware's time, then show it")
        ->type_name("S")
        ->check(decimal(0.001, 3600.0))
        ->excludes(instructions)
        ->group(timing);
}

// The wiring the options describe; a contradiction is a usage error.
void Glass::Check()
{
    for (const auto& [option, name] : {std::pair{"--png", &png_}, std::pair{"--gif", &gif_}}) {
        if (command_->count(option) > 0 && name->empty())
            throw CLI::ValidationError(option, "needs a file name, or - for standard output");
    }
    if (command_->count("--scale") > 0 && png_.empty() && gif_.empty())
        throw CLI::ValidationError("--scale", "is for --png or --gif");
    glass::Wiring& wiring = run_.wiring;
    wiring.onPorts = wiring_ == "port";
    if (!wiring.onPorts) {
        wiring.addresses = *glass::ParseAddresses(wiring_);
        for (const char* pin : {"--data", "--a0", "--rw", "--e1", "--e2"}) {
            if (command_->count(pin) > 0)
                throw CLI::ValidationError(pin, "is for --wiring port; the display is on the bus at " + wiring_);
        }
        return;
    }
    wiring.dataPort = *glass::ParsePort(data_);
    wiring.a0 = *glass::ParsePin(a0_);
    wiring.rw = *glass::ParsePin(rw_);
    wiring.e1 = *glass::ParsePin(e1_);
    wiring.e2 = *glass::ParsePin(e2_);
    if (const Result<void> pins = glass::CheckPins(wiring); !pins)
        throw CLI::ValidationError("--wiring port", pins.Error());
}

// --expect's dots, read as convert reads the file; after naming the problem,
// nothing, and `failed` set.
std::optional<DotRows> Glass::Expected(ExitCode& failed) const
{
    failed = AllGood;
    if (expect_.empty())
        return std::nullopt;
    failed = BadFile;
    const std::filesystem::path path = PathFromText(expect_);
    std::optional<files::InputFile> file = OpenInput(path, "a picture or table");
    if (!file)
        return std::nullopt;
    const Result<FileDots> dots = DotsOfFile(*file, picture_.Finish(inverse_));
    if (!dots) {
        ProblemAt(InputName(path), OneLine(dots.Error()));
        return std::nullopt;
    }
    failed = AllGood;
    return RowsOf(dots->image);
}

ExitCode Glass::Run()
{
    const std::filesystem::path firmwarePath = PathFromText(firmware_);
    const std::string name = PathText(firmwarePath);

    // The expected dots first: a picture that cannot be read ends the run
    // before the simulation starts.
    ExitCode failed = AllGood;
    const std::optional<DotRows> expected = Expected(failed);
    if (failed != AllGood)
        return failed;

    const Result<std::string> bytes = files::ReadStart(firmwarePath, FirmwareLimit + 1, "an Intel HEX file");
    if (!bytes) {
        ProblemAt(name, "cannot be read: " + OneLine(bytes.Error()));
        return BadFile;
    }
    if (bytes->size() > FirmwareLimit) {
        ProblemAt(name, "is larger than " + std::to_string(FirmwareLimit >> 20) +
                            " MiB, more than an Intel HEX file of 64 KiB of code");
        return BadFile;
    }
    glass::GlassOptions run = run_;
    run.firmware = *bytes;
    run.s51 = PathFromText(s51_);
    // A picture the firmware rests on for a GIF's time unit, 10 ms, is recorded.
    std::optional<glass::Recording> recording;
    if (!gif_.empty()) {
        recording.emplace(glass::TicksOf(run, 0.01),
                          run.seconds > 0 ? glass::TicksOf(run, run.seconds) : std::numeric_limits<glass::Tick>::max());
        run.onWrite = [&recording](glass::Tick tick, const glass::Display& display) { recording->Take(tick, display); };
    }
    const glass::GlassResult result = glass::RunGlass(run);
    using Outcome = glass::GlassResult::Outcome;
    if (result.outcome == Outcome::NoSimulator) {
        std::fflush(stdout);
        std::fputs(("quillon-cli: " + result.problem + "\n").c_str(), stderr);
        return BadFile;
    }
    if (result.outcome == Outcome::Failed) {
        ProblemAt(name, result.problem);
        return BadFile;
    }

    for (const std::string& finding : result.findings)
        ProblemAt(name, finding);
    bool good = result.findings.empty();
    const DotRows shown = RowsOf(result.shown);
    if (expected)
        good = Compare(name, shown, *expected, expect_) && good;
    // The dots printed, unless --expect checks them; written with --png.
    if (!expected || !png_.empty()) {
        if (const ExitCode written = ShowDots(shown, png_, scale_, true); written != AllGood)
            return written;
    }
    if (recording && !WriteRecording(recording->Finish(result.cycles * glass::TicksPerCycle), run))
        return BadFile;
    return good ? AllGood : Differences;
}

// The recorded states as a GIF, each for its time in a GIF's centiseconds,
// rounded so that they add up to the whole; false after naming the problem.
bool Glass::WriteRecording(const std::vector<glass::ShownState>& states, const glass::GlassOptions& run) const
{
    const double ticksPerCentisecond = glass::TicksOf(run, 1) / 100.0;
    std::vector<DotsFrame> frames;
    glass::Tick at = 0;
    for (const glass::ShownState& state : states) {
        DotsFrame frame;
        for (int y = 0; y < DisplayHeight; ++y) {
            for (int x = 0; x < DisplayWidth; ++x)
                frame.dots[static_cast<std::size_t>(y * DisplayWidth + x)] =
                    state.image.Dot(x, y) ? DotPaint::Set : DotPaint::Clear;
        }
        frame.centiseconds = static_cast<int>(std::lround((at + state.ticks) / ticksPerCentisecond) -
                                              std::lround(at / ticksPerCentisecond));
        at += state.ticks;
        frames.push_back(frame);
    }
    const Result<std::string> picture = DotsGif(frames, scale_);
    if (!picture) {
        Problem(PathFromText(gif_), "cannot be written: " + OneLine(picture.Error()));
        return false;
    }
    return WriteOutput(PathFromText(gif_), *picture);
}

}  // namespace

std::unique_ptr<Command> GlassCommand()
{
    return std::make_unique<Glass>();
}

}  // namespace quillon::cli
