#include "glass/s51_link.h"

#include "files/input_file.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#endif

namespace quillon::glass {

namespace {

// Digits of an s51 expression's value, printed one by one in hexadecimal.
std::string PrintHex(const std::string& value, int digits)
{
    std::string text;
    for (int i = digits - 1; i >= 0; --i) {
        const std::string nibble = "((" + value + ")>>" + std::to_string(4 * i) + "&15)";
        text += ",sim_print=48+" + nibble + "+39*(" + nibble + ">9)";
    }
    return text;
}

}  // namespace

std::string S51Link::Record(char kind, int controller, const std::string& byte)
{
    return "sim_print=30,sim_print=" + std::to_string(static_cast<int>(kind)) +
           ",sim_print=" + std::to_string('0' + controller) + PrintHex(byte, 2) + PrintHex("sim_ticks", 10) +
           ",sim_print=10";
}

std::string S51Link::PortRecord(int enable, const std::vector<int>& ports)
{
    std::string text = "sim_print=30,sim_print=80,sim_print=" + std::to_string('0' + enable);
    for (const int port : ports)
        text += PrintHex("port" + std::to_string(port) + "_odr", 2);
    return text + PrintHex("sim_ticks", 10) + ",sim_print=10";
}

#ifdef _WIN32

S51Link::~S51Link() = default;

std::optional<std::filesystem::path> FindS51(const std::filesystem::path&)
{
    return std::nullopt;
}

Result<std::unique_ptr<S51Link>> S51Link::Start(const std::filesystem::path&, const std::string&, const std::string&,
                                                const std::vector<int>&)
{
    return Failure{"s51 is run only on Linux"};
}

Result<Step> S51Link::Run(const std::string&, std::uint64_t)
{
    return Failure{"s51 is run only on Linux"};
}

void S51Link::Finish() {}

#else

namespace {

// s51 prints a marker "\x1e" before each record of ours.
constexpr char Mark = '\x1e';
// How long s51 may stay silent before it is given up on.
constexpr int SilenceMs = 60'000;
// s51 writes its echo of our commands and our records a character at a
// time; waking for each would cost more than the simulation.
constexpr long GatherNs = 20'000;
// How long to wait between looks at the barrier: s51 is there within
// microseconds of the mark it prints before it.
constexpr long BarrierNs = 5'000;

std::optional<std::uint64_t> HexValue(std::string_view text)
{
    std::uint64_t value = 0;
    for (const char c : text) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint64_t>(digit);
    }
    return value;
}

// The decimal number `text` starts with, after blanks.
std::optional<std::uint64_t> LeadingNumber(std::string_view text)
{
    std::size_t position = 0;
    while (position < text.size() && text[position] == ' ')
        ++position;
    std::uint64_t value = 0;
    const std::size_t start = position;
    while (position < text.size() && text[position] >= '0' && text[position] <= '9')
        value = value * 10 + static_cast<std::uint64_t>(text[position++] - '0');
    if (position == start)
        return std::nullopt;
    return value;
}

// The decimal number in `text` after `label`, searched from the end.
std::optional<std::uint64_t> NumberAfter(std::string_view text, std::string_view label)
{
    const std::size_t at = text.rfind(label);
    return at == std::string_view::npos ? std::nullopt : LeadingNumber(text.substr(at + label.size()));
}

// The last line of what s51 said, for a message.
std::string LastWords(std::string_view text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    const std::size_t start = text.rfind('\n');
    std::string line(text.substr(start == std::string_view::npos ? 0 : start + 1));
    std::erase(line, Mark);
    return line.empty() ? "nothing" : "\"" + line + "\"";
}

struct Pipe {
    int read = -1;
    int write = -1;
};

Result<Pipe> MakePipe()
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return Failure{"cannot make a pipe: " + files::ErrorText(errno)};
    return Pipe{ends[0], ends[1]};
}

void Pause(long nanoseconds)
{
    const timespec wait{0, nanoseconds};
    nanosleep(&wait, nullptr);
}

// Writes to s51 end in an error, not a signal, when it has gone.
struct IgnorePipeSignal {
    IgnorePipeSignal()
    {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGPIPE, &ignore, &previous);
    }
    ~IgnorePipeSignal() { sigaction(SIGPIPE, &previous, nullptr); }
    struct sigaction previous {};
};

// --- what a signal that ends quillon-cli leaves behind: nothing -------------

// The running s51 and its folder's files, for the handler; set before the
// handler is installed, cleared after it is taken away.
volatile sig_atomic_t child = 0;
char leftovers[4][4096];  // the two FIFOs, the firmware's copy, the folder
struct sigaction previousHandlers[3];
constexpr int Ending[3] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void EndChildAndDie(int signal)
{
    if (child > 0)
        kill(static_cast<pid_t>(child), SIGKILL);
    for (int i = 0; i < 3; ++i)
        unlink(leftovers[i]);
    rmdir(leftovers[3]);
    for (int i = 0; i < 3; ++i) {
        if (Ending[i] == signal)
            sigaction(signal, &previousHandlers[i], nullptr);
    }
    raise(signal);
}

// While s51 runs, SIGINT, SIGTERM and SIGHUP end it and remove its folder
// before they end quillon-cli as they would have; a signal the caller
// ignores or handles is left to it.
void GuardChild(pid_t pid, const std::filesystem::path& folder)
{
    const std::string names[4] = {(folder / "a").string(), (folder / "b").string(), (folder / "firmware.ihx").string(),
                                  folder.string()};
    for (int i = 0; i < 4; ++i) {
        if (names[i].size() >= sizeof leftovers[i])
            return;
    }
    for (int i = 0; i < 4; ++i)
        std::memcpy(leftovers[i], names[i].c_str(), names[i].size() + 1);
    child = pid;
    for (int i = 0; i < 3; ++i) {
        sigaction(Ending[i], nullptr, &previousHandlers[i]);
        if ((previousHandlers[i].sa_flags & SA_SIGINFO) || previousHandlers[i].sa_handler != SIG_DFL)
            continue;
        struct sigaction guard {};
        guard.sa_handler = EndChildAndDie;
        sigemptyset(&guard.sa_mask);
        sigaction(Ending[i], &guard, nullptr);
    }
}

void Unguard()
{
    if (child == 0)
        return;
    for (int i = 0; i < 3; ++i) {
        struct sigaction current {};
        if (sigaction(Ending[i], nullptr, &current) == 0 && current.sa_handler == EndChildAndDie)
            sigaction(Ending[i], &previousHandlers[i], nullptr);
    }
    child = 0;
}

bool Executable(const std::filesystem::path& path)
{
    struct stat facts {};
    return stat(path.c_str(), &facts) == 0 && S_ISREG(facts.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::optional<std::filesystem::path> FindS51(const std::filesystem::path& given)
{
    if (!given.empty())
        return Executable(given) ? std::optional(given) : std::nullopt;
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!folders.empty()) {
        const std::size_t colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        const std::filesystem::path candidate = std::filesystem::path(folder.empty() ? "." : folder) / "s51";
        if (Executable(candidate))
            return candidate;
        folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
    }
    return std::nullopt;
}

S51Link::~S51Link()
{
    Finish();
}

Result<std::unique_ptr<S51Link>> S51Link::Start(const std::filesystem::path& program, const std::string& firmware,
                                                const std::string& setup, const std::vector<int>& ports)
{
    std::unique_ptr<S51Link> link(new S51Link());
    // The short waits between s51's answers, as short as asked: the default
    // slack would stretch each by 50 us.
    link->slack_ = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
    prctl(PR_SET_TIMERSLACK, 1000, 0, 0, 0);
    // The end of each step: a mark, then the latches of `ports` as one
    // number, a byte each, the first lowest. The command is echoed every
    // step, so it is kept short.
    link->end_ = "expr sim_print=30,sim_print=10,";
    for (std::size_t i = 0; i < ports.size(); ++i) {
        link->end_ += i > 0 ? "+port" : "port";
        link->end_ += std::to_string(ports[i]) + "_odr";
        if (i > 0)
            link->end_ += '*' + std::to_string(1u << (8 * i));
    }
    link->end_ += ports.empty() ? "0\n" : "\n";
    link->ports_ = ports;
    link->program_ = program.filename().string();
    if (Result<void> made = link->MakeFolder(firmware); !made)
        return Failure{made.Error()};
    if (Result<void> started = link->Spawn(program); !started)
        return Failure{started.Error()};
    const std::string first = "file \"firmware.ihx\"\n" + setup;
    if (Result<void> sent = link->Send(first); !sent)
        return Failure{sent.Error()};
    link->unread_ = first.size();
    return link;
}

// A folder of its own for the firmware and the barrier, with a name s51
// takes between quotes; it goes when the link does.
Result<void> S51Link::MakeFolder(const std::string& firmware)
{
    std::error_code error;
    std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
    if (error || temporary.string().find_first_of("\"\\\n") != std::string::npos)
        temporary = "/tmp";
    std::string pattern = (temporary / "quillon-glass-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return Failure{"cannot make a folder in " + temporary.string() + ": " + files::ErrorText(errno)};
    folder_ = pattern;
    for (const char* name : {"a", "b"}) {
        if (mkfifo((folder_ / name).c_str(), 0600) != 0)
            return Failure{"cannot make a FIFO in " + folder_.string() + ": " + files::ErrorText(errno)};
    }
    const std::filesystem::path firmwareCopy = folder_ / "firmware.ihx";
    const int fd = open(firmwareCopy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 || write(fd, firmware.data(), firmware.size()) != static_cast<ssize_t>(firmware.size())) {
        const int why = errno;
        if (fd >= 0)
            close(fd);
        return Failure{"cannot write " + firmwareCopy.string() + ": " + files::ErrorText(why)};
    }
    close(fd);
    return {};
}

// s51 started in the folder, reading from this link and writing to it.
Result<void> S51Link::Spawn(const std::filesystem::path& program)
{
    const Result<Pipe> in = MakePipe();
    if (!in)
        return Failure{in.Error()};
    const Result<Pipe> out = MakePipe();
    if (!out) {
        close(in->read);
        close(in->write);
        return Failure{out.Error()};
    }
    // An 8052 (256 bytes of internal RAM, 64 KiB of external), no colours,
    // no banner or load messages: only what the commands print. s51 starts
    // in the folder, where the barriers' names are short (s51 echoes every
    // command), so its own path must not depend on ours.
    std::error_code error;
    std::string programText = std::filesystem::absolute(program, error).string();
    std::string type = "-t", cpu = "8052", plain = "-b", quiet = "-q";
    char* arguments[] = {programText.data(), type.data(), cpu.data(), plain.data(), quiet.data(), nullptr};
    const std::string folderText = folder_.string();
    const Result<Pipe> failed = MakePipe();  // the child's errno when it cannot run s51
    if (!failed) {
        for (const int fd : {in->read, in->write, out->read, out->write})
            close(fd);
        return Failure{failed.Error()};
    }
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // s51 ends with quillon-cli, however that ends: it would otherwise
        // wait at its barrier for ever.
        prctl(PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0);
        int why = 0;
        if (getppid() != parent || dup2(in->read, 0) < 0 || dup2(out->write, 1) < 0 || dup2(out->write, 2) < 0 ||
            chdir(folderText.c_str()) != 0)
            why = errno;
        else
            execv(programText.c_str(), arguments);
        why = why != 0 ? why : errno;
        [[maybe_unused]] const ssize_t told = write(failed->write, &why, sizeof why);
        _exit(127);
    }
    const int forkError = errno;
    close(in->read);
    close(out->write);
    close(failed->write);
    toChild_ = in->write;
    fromChild_ = out->read;
    if (pid < 0) {
        close(failed->read);
        return Failure{"cannot be started: " + files::ErrorText(forkError)};
    }
    pid_ = pid;
    int why = 0;
    const ssize_t told = read(failed->read, &why, sizeof why);
    close(failed->read);
    if (told == sizeof why)
        return Failure{"cannot be started: " + files::ErrorText(why)};
    GuardChild(pid, folder_);
    return {};
}

Result<void> S51Link::Send(const std::string& text)
{
    const IgnorePipeSignal quiet;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = write(toChild_, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return Failure{program_ + " ended early: " + LastWords(buffer_)};
        done += static_cast<std::size_t>(written);
    }
    return {};
}

// Lets s51 past the barrier: it is in (or about to be in) open() for reading
// the FIFO, which returns once a writer opens it; a writer opened without
// waiting fails until then.
Result<void> S51Link::Release()
{
    const std::filesystem::path barrier = folder_ / (barrier_ ? "a" : "b");
    for (int tries = 0;; ++tries) {
        const int fd = open(barrier.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            close(fd);
            return {};
        }
        if (errno != ENXIO && errno != EINTR)
            return Failure{"cannot open " + barrier.string() + ": " + files::ErrorText(errno)};
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return Failure{program_ + " ended early: " + LastWords(buffer_)};
        }
        if (tries > 1'000'000)  // some ten seconds
            return Failure{program_ + " does not come to the barrier it was given"};
        Pause(BarrierNs);
    }
}

Result<std::string> S51Link::ReadThroughEnd()
{
    static constexpr std::string_view end = "\x1e\n";
    std::size_t searched = 0;
    for (;;) {
        const std::size_t at = buffer_.find(end, searched);
        const std::size_t line = at == std::string::npos ? at : buffer_.find('\n', at + end.size());
        if (line != std::string::npos) {
            std::string text = buffer_.substr(0, line + 1);
            buffer_.erase(0, text.size());
            return text;
        }
        searched = buffer_.size() >= end.size() ? buffer_.size() - end.size() : 0;
        if (at != std::string::npos)
            searched = at;
        pollfd wait{fromChild_, POLLIN, 0};
        const int ready = poll(&wait, 1, SilenceMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0)
            return Failure{program_ + " stopped answering: " + LastWords(buffer_)};
        Pause(GatherNs);
        char chunk[65536];
        const ssize_t got = read(fromChild_, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return Failure{program_ + " ended early: " + LastWords(buffer_)};
        buffer_.append(chunk, static_cast<std::size_t>(got));
    }
}

Result<Step> S51Link::Run(const std::string& commands, std::uint64_t instructions)
{
    std::string text = commands + "step " + std::to_string(instructions) + "\nstate\n" + end_;
    // The barrier: s51 opens the FIFO as the simulator interface's input file.
    // Two take turns, so that the one opened last is closed again (by the
    // other's open) before it is used next.
    const bool next = !barrier_;
    const std::string barrier = std::string("set hw simif fin \"") + (next ? "a" : "b") + "\"\n";
    // s51 reads its input 99 bytes at a time. Were the barrier's line cut in
    // two, s51 would wait for the rest at its prompt, with its 100 ms sleeps:
    // spaces at the end of the line before keep it whole.
    constexpr std::size_t Chunk = 99;
    const std::size_t into = (unread_ + text.size()) % Chunk;
    if (into + barrier.size() > Chunk)
        text.insert(text.size() - 1, Chunk - into, ' ');
    text += barrier;
    if (Result<void> sent = Send(text); !sent)
        return Failure{sent.Error()};
    unread_ = 0;
    if (waiting_) {
        waiting_ = false;
        if (Result<void> released = Release(); !released)
            return Failure{released.Error()};
    }
    barrier_ = next;
    const Result<std::string> said = ReadThroughEnd();
    if (!said)
        return Failure{said.Error()};
    waiting_ = true;

    Step step;
    const std::string_view out = *said;
    for (std::size_t at = out.find(Mark); at != std::string_view::npos; at = out.find(Mark, at + 1)) {
        if (at + 1 < out.size() && out[at + 1] == '\n') {
            const std::optional<std::uint64_t> latches = LeadingNumber(out.substr(at + 2));
            if (!latches)
                return Failure{program_ + " printed no latches: " + LastWords(out)};
            for (std::size_t i = 0; i < ports_.size(); ++i)
                step.latches[static_cast<std::size_t>(ports_[i])] = static_cast<std::uint8_t>(*latches >> (8 * i));
            break;
        }
        const std::string_view record = out.substr(at + 1);
        const std::size_t bytes = !record.empty() && record[0] == 'P' ? ports_.size() : 1;
        const std::size_t size = 2 + 2 * bytes + 10;
        const bool whole = record.size() > size && record[size] == '\n' && record[1] >= '0' && record[1] <= '2';
        Access access;
        if (whole) {
            access.kind = record[0];
            access.controller = record[1] - '0';
        }
        std::optional<std::uint64_t> tick = whole ? HexValue(record.substr(size - 10, 10)) : std::nullopt;
        for (std::size_t i = 0; i < bytes && tick; ++i) {
            const std::optional<std::uint64_t> byte = HexValue(record.substr(2 + 2 * i, 2));
            if (!byte)
                tick.reset();
            else if (access.kind == 'P')
                access.latches[static_cast<std::size_t>(ports_[i])] = static_cast<std::uint8_t>(*byte);
            else
                access.byte = static_cast<std::uint8_t>(*byte);
        }
        if (!tick)
            return Failure{program_ + " printed a bad record: " + LastWords(out.substr(0, at + size + 1))};
        access.tick = *tick;
        step.accesses.push_back(access);
    }
    const std::optional<std::uint64_t> executed = NumberAfter(out, "Inst=");
    // "Total time since last reset= 0.000964626736111 sec (10668 clks)"
    const std::size_t total = out.rfind("Total time since last reset=");
    const std::size_t open = total == std::string_view::npos ? total : out.find('(', total);
    const std::optional<std::uint64_t> ticks =
        open == std::string_view::npos ? std::nullopt : LeadingNumber(out.substr(open + 1, 24));
    if (!executed || !ticks)
        return Failure{program_ + " did not run the firmware: " + LastWords(out)};
    step.instructions = *executed;
    step.ticks = *ticks;
    if (const std::size_t stop = out.rfind("Stop at "); stop != std::string_view::npos)
        step.stop = std::string(out.substr(stop, out.find('\n', stop) - stop));
    return step;
}

void S51Link::Finish()
{
    if (pid_ > 0) {
        (void)Send("quit\n");
        if (waiting_) {
            waiting_ = false;
            (void)Release();
        }
    }
    if (toChild_ >= 0)
        close(toChild_);
    toChild_ = -1;
    if (pid_ > 0) {
        int status = 0;
        for (int tries = 0; tries < 400 && waitpid(pid_, &status, WNOHANG) == 0; ++tries)
            Pause(5'000'000);
        if (waitpid(pid_, &status, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
        pid_ = -1;
    }
    if (fromChild_ >= 0)
        close(fromChild_);
    fromChild_ = -1;
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        folder_.clear();
    }
    if (slack_ > 0)
        prctl(PR_SET_TIMERSLACK, slack_, 0, 0, 0);
    slack_ = 0;
    Unguard();
}

#endif

}  // namespace quillon::glass
