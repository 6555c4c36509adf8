#include "files/replace_file.h"

#include "files/input_file.h"

#ifndef _WIN32

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <utility>

namespace quillon::files {

namespace {

// --- the temporary files in flight, removed when a signal ends the process ---

// A slot holds a temporary file's name, or nothing; the handler reads only
// whole names, as each is set in one step after it is made.
std::atomic<char*> inFlight[MostPending];

extern "C" void RemoveInFlightAndDie(int signal)
{
    for (std::atomic<char*>& slot : inFlight) {
        if (const char* path = slot.load())
            ::unlink(path);
    }
    // Then end as the signal would have ended the process.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
}

void InstallCleanup()
{
    static const bool installed = [] {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction current {};
            // A signal the caller ignores (nohup) or handles itself is left to it.
            if (::sigaction(signal, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) ||
                current.sa_handler != SIG_DFL)
                continue;
            struct sigaction cleanup {};
            cleanup.sa_handler = RemoveInFlightAndDie;
            sigemptyset(&cleanup.sa_mask);
            ::sigaction(signal, &cleanup, nullptr);
        }
        // Past a file-size limit (ulimit -f) a write fails with EFBIG instead
        // of ending the process, so the failure is told and cleaned up like any other.
        struct sigaction current {};
        if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && !(current.sa_flags & SA_SIGINFO) &&
            current.sa_handler == SIG_DFL) {
            struct sigaction ignore {};
            ignore.sa_handler = SIG_IGN;
            ::sigaction(SIGXFSZ, &ignore, nullptr);
        }
        return true;
    }();
    (void)installed;
}

// Records the name before the file exists, so that a signal at any moment
// after its creation finds it. Returns its slot, or -1 when all are taken.
int Track(const std::string& path)
{
    char* const copy = new char[path.size() + 1];
    std::memcpy(copy, path.c_str(), path.size() + 1);
    static std::size_t next = 0;  // where a free slot most likely is
    for (std::size_t k = 0; k < MostPending; ++k) {
        const std::size_t at = (next + k) % MostPending;
        char* empty = nullptr;
        if (inFlight[at].compare_exchange_strong(empty, copy)) {
            next = at + 1;
            return static_cast<int>(at);
        }
    }
    delete[] copy;
    return -1;
}

void Untrack(int& slot)
{
    if (slot >= 0)
        delete[] inFlight[static_cast<std::size_t>(std::exchange(slot, -1))].exchange(nullptr);
}

// --- the place -----------------------------------------------------------------

constexpr const char* FolderInTheWay = "A folder of that name is in the way.";
constexpr const char* SpecialInTheWay =
    "A device, pipe or socket of that name is in the way; only a regular file is replaced.";

// A temporary name beside `name` that fits the folder's limit on name length.
std::string TemporaryName(const std::string& name, const std::filesystem::path& folder, std::mt19937& random)
{
    long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    if (limit <= 0)
        limit = 255;
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix = ".";
    for (int k = 0; k < 6; ++k)
        suffix += Letters[random() % (sizeof Letters - 1)];
    const std::size_t room = static_cast<std::size_t>(limit) - 1 - suffix.size();  // 1 for the leading "."
    std::string temporary(1, '.');
    temporary.append(name, 0, room);
    temporary.append(suffix);
    return temporary;
}

void CopyUserAttributes(const std::filesystem::path& from, int to)
{
    const ssize_t size = ::listxattr(from.c_str(), nullptr, 0);
    if (size <= 0)
        return;
    std::string names(static_cast<std::size_t>(size), '\0');
    const ssize_t got = ::listxattr(from.c_str(), names.data(), names.size());
    if (got <= 0)
        return;
    names.resize(static_cast<std::size_t>(got));
    for (std::size_t at = 0; at < names.size();) {
        const std::string name = names.c_str() + at;
        at += name.size() + 1;
        if (name.rfind("user.", 0) != 0)
            continue;
        const ssize_t length = ::getxattr(from.c_str(), name.c_str(), nullptr, 0);
        if (length < 0)
            continue;
        std::string value(static_cast<std::size_t>(length), '\0');
        const ssize_t read = ::getxattr(from.c_str(), name.c_str(), value.data(), value.size());
        if (read >= 0)
            ::fsetxattr(to, name.c_str(), value.data(), static_cast<std::size_t>(read), 0);
    }
}

// Replacements whose file has no name yet, each holding a descriptor.
std::atomic<std::size_t> unnamedOpen{0};

// How many unnamed files may be open at once: the process's limit on open
// files, raised as far as it may be, less some for everything else.
std::size_t MostUnnamed()
{
    static const std::size_t most = [] {
        struct rlimit limit {};
        if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
            return std::size_t{0};
        const rlim_t wanted = MostPending + 64;
        if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
            struct rlimit raised = limit;
            raised.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
            if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
                limit = raised;
        }
        const rlim_t open = limit.rlim_cur == RLIM_INFINITY ? wanted : limit.rlim_cur;
        return open > 64 ? static_cast<std::size_t>(open - 64) : std::size_t{0};
    }();
    return most;
}

class PosixReplacement final : public Replacement {
public:
    ~PosixReplacement() override
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (unnamed_)
            --unnamedOpen;
        if (!temporary_.empty() && !committed_)
            ::unlink(temporary_.c_str());
        Untrack(slot_);
    }

    Result<void> Write(std::string_view bytes) override
    {
        while (!bytes.empty()) {
            const ssize_t wrote = ::write(fd_, bytes.data(), bytes.size());
            if (wrote < 0) {
                if (errno == EINTR)
                    continue;
                return Failure{ErrorText(errno)};
            }
            bytes.remove_prefix(static_cast<std::size_t>(wrote));
        }
        return {};
    }

    const std::filesystem::path& Target() const override { return final_; }

    Result<void> Commit(FolderSync folder) override
    {
        if (direct_) {  // a pipe or device, written into directly
            const int fd = std::exchange(fd_, -1);
            if (::close(fd) != 0)
                return Failure{ErrorText(errno)};
            return {};
        }
        if (::fsync(fd_) != 0)
            return Failure{ErrorText(errno)};
        if (Result<void> renamed = Rename(); !renamed)
            return renamed;
        if (folder == FolderSync::Now)
            SyncFolder(final_.parent_path());
        return {};
    }

    Result<void> Close() override
    {
        if (direct_ || fd_ < 0)  // a pipe or device: closed by Commit
            return {};
        struct stat info {};
        if (::fstat(fd_, &info) != 0)
            return Failure{ErrorText(errno)};
        device_ = info.st_dev;
        // An unnamed file lives only as long as its descriptor.
        if (!unnamed_ && ::close(std::exchange(fd_, -1)) != 0)
            return Failure{ErrorText(errno)};
        return {};
    }

    // Gives the synced file a name, if it has none, and puts it in place. An
    // unnamed file gets its temporary name only now, just before the rename,
    // so that a process killed in a batch leaves at most one behind.
    Result<void> Rename()
    {
        if (unnamed_) {
            if (Result<void> named = Name(); !named)
                return named;
        }
        if (fd_ >= 0 && ::close(std::exchange(fd_, -1)) != 0)
            return Failure{ErrorText(errno)};
        if (::rename(temporary_.c_str(), final_.c_str()) != 0)
            return Failure{ErrorText(errno)};
        committed_ = true;
        Untrack(slot_);
        return {};
    }

    Result<void> Name();

    std::filesystem::path final_;
    std::filesystem::path temporary_;  // its name, while it has one
    int fd_ = -1;
    int slot_ = -1;         // of the temporary file's name, for the signal handler
    dev_t device_{};        // its file system, once closed
    bool direct_ = false;   // written straight into a pipe or device
    bool unnamed_ = false;  // made with O_TMPFILE, with no name yet
    bool committed_ = false;
};

std::mt19937& Random()
{
    static std::mt19937 random{std::random_device{}()};
    return random;
}

// Links the unnamed file into its folder under a free temporary name.
Result<void> PosixReplacement::Name()
{
    const std::filesystem::path folder = final_.parent_path();
    const std::string name = final_.filename().native();
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = folder / TemporaryName(name, folder, Random());
        slot_ = Track(temporary_.native());
        if (slot_ < 0) {
            temporary_.clear();
            return Failure{"Too many files in flight at once."};
        }
        int linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary_.c_str(), AT_SYMLINK_FOLLOW);
        if (linked != 0 && errno == ENOENT)  // no /proc: the privileged way
            linked = ::linkat(fd_, "", AT_FDCWD, temporary_.c_str(), AT_EMPTY_PATH);
        const int error = errno;
        if (linked == 0) {
            unnamed_ = false;
            --unnamedOpen;
            return {};
        }
        Untrack(slot_);
        temporary_.clear();
        if (error != EEXIST)
            return Failure{ErrorText(error)};
    }
    return Failure{ErrorText(EEXIST)};
}

}  // namespace

namespace {

// What is in the place now: nothing, a regular file (its status), or a pipe
// or device written into directly.
struct PlaceFound {
    std::filesystem::path target;  // the path, or where its link leads
    bool replacing = false;        // a regular file is there
    bool direct = false;           // a pipe or character device, to write into
    struct stat existing {};
};

Result<PlaceFound> LookAt(const std::filesystem::path& path, Place place)
{
    PlaceFound found;
    found.target = path;
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0) {
        if (errno != ENOENT)
            return Failure{ErrorText(errno)};
        return found;
    }
    if (S_ISLNK(entry.st_mode)) {
        char* resolved = ::realpath(path.c_str(), nullptr);
        if (!resolved)
            return Failure{errno == ENOENT ? "It is a symbolic link to nothing; a link is followed only to an "
                                             "existing file."
                                           : ErrorText(errno)};
        found.target = resolved;
        std::free(resolved);
    }
    if (::stat(found.target.c_str(), &found.existing) != 0)
        return Failure{ErrorText(errno)};
    const mode_t mode = found.existing.st_mode;
    if (S_ISDIR(mode))
        return Failure{FolderInTheWay};
    if (S_ISFIFO(mode) || S_ISCHR(mode)) {
        if (place == Place::Derived)
            return Failure{SpecialInTheWay};
        found.direct = true;
        return found;
    }
    if (!S_ISREG(mode))
        return Failure{SpecialInTheWay};
    if (::access(found.target.c_str(), W_OK) != 0)
        return Failure{ErrorText(errno)};
    found.replacing = true;
    return found;
}

// The temporary file beside the target: unnamed where the file system has
// such files and the process may hold one more descriptor, else named.
Result<void> CreateTemporary(PosixReplacement& replacement)
{
    const std::filesystem::path folder = replacement.final_.parent_path();
    const std::string name = replacement.final_.filename().native();
#ifdef O_TMPFILE
    if (unnamedOpen < MostUnnamed()) {
        replacement.fd_ = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (replacement.fd_ >= 0) {
            replacement.unnamed_ = true;
            ++unnamedOpen;
            return {};
        }
    }
#endif
    for (int attempt = 0; attempt < 100; ++attempt) {
        replacement.temporary_ = folder / TemporaryName(name, folder, Random());
        replacement.slot_ = Track(replacement.temporary_.native());
        if (replacement.slot_ < 0) {
            replacement.temporary_.clear();
            return Failure{"Too many files in flight at once."};
        }
        replacement.fd_ =
            ::open(replacement.temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
        if (replacement.fd_ >= 0)
            return {};
        const int error = errno;
        Untrack(replacement.slot_);
        if (error != EEXIST) {
            replacement.temporary_.clear();
            return Failure{ErrorText(error)};
        }
    }
    replacement.temporary_.clear();
    return Failure{ErrorText(EEXIST)};
}

}  // namespace

Result<std::unique_ptr<Replacement>> BeginReplacement(const std::filesystem::path& path, Place place)
{
    const Result<PlaceFound> found = LookAt(path, place);
    if (!found)
        return Failure{found.Error()};
    auto replacement = std::make_unique<PosixReplacement>();
    replacement->final_ = found->target;
    if (found->direct) {
        // As a shell's ">": waits for a pipe's reader, writes at a device.
        replacement->fd_ = ::open(replacement->final_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (replacement->fd_ < 0)
            return Failure{ErrorText(errno)};
        replacement->direct_ = true;
        return std::unique_ptr<Replacement>(std::move(replacement));
    }
    InstallCleanup();
    if (const Result<void> created = CreateTemporary(*replacement); !created)
        return Failure{created.Error()};
    if (found->replacing) {
        const struct stat& existing = found->existing;
        // Owner and group first: a change of owner clears the set-id bits.
        if (::fchown(replacement->fd_, existing.st_uid, existing.st_gid) != 0)
            (void)::fchown(replacement->fd_, static_cast<uid_t>(-1), existing.st_gid);
        ::fchmod(replacement->fd_, existing.st_mode & 07777);
        CopyUserAttributes(replacement->final_, replacement->fd_);
    }
    return std::unique_ptr<Replacement>(std::move(replacement));
}

std::vector<Result<void>> CommitAll(std::span<const std::unique_ptr<Replacement>> replacements)
{
    std::vector<std::string> problems(replacements.size());  // empty while a file is fine
    const auto each = [&](auto step) {
        for (std::size_t k = 0; k < replacements.size(); ++k) {
            auto& replacement = static_cast<PosixReplacement&>(*replacements[k]);
            if (problems[k].empty() && !replacement.committed_)
                problems[k] = step(replacement);
        }
    };
    // The files on each file system reach its disk together: one syncfs for
    // all of them (one flush of the disk's cache, where an fsync each would
    // flush it again for every file), or an fsync for a file alone there.
    // Either reports a failed write not yet reported, through any descriptor.
    std::map<dev_t, std::vector<PosixReplacement*>> systems;
    each([&](PosixReplacement& replacement) {
        if (replacement.direct_)  // a pipe or device: closed, done
            return replacement.Commit(Replacement::FolderSync::Later).Error();
        const Result<void> closed = replacement.Close();
        if (closed)
            systems[replacement.device_].push_back(&replacement);
        return closed.Error();
    });
    std::map<const PosixReplacement*, std::string> unsynced;
    for (const auto& [device, files] : systems) {
        // The first file's own descriptor when it is unnamed (and open), else
        // the file again, or, if its mode lets neither reading nor writing,
        // its folder: any descriptor on the file system serves syncfs.
        const PosixReplacement& firstFile = *files[0];
        bool itself = true;
        int fd = firstFile.unnamed_ ? ::dup(firstFile.fd_) : -1;
        const char* const first = firstFile.temporary_.c_str();
        if (fd < 0 && !firstFile.unnamed_)
            fd = ::open(first, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0 && !firstFile.unnamed_)
            fd = ::open(first, O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            itself = false;
            const std::filesystem::path folder = firstFile.final_.parent_path();
            fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        }
        const bool synced = fd >= 0 && (files.size() == 1 && itself ? ::fsync(fd) : ::syncfs(fd)) == 0;
        const std::string problem = synced ? std::string() : ErrorText(errno);
        if (fd >= 0)
            ::close(fd);
        for (const PosixReplacement* file : files) {
            if (!synced)
                unsynced[file] = problem;
        }
    }
    each([&](PosixReplacement& replacement) {
        const auto failed = unsynced.find(&replacement);
        return failed == unsynced.end() ? std::string() : failed->second;
    });
    std::set<std::filesystem::path> folders;
    each([&](PosixReplacement& replacement) {
        if (replacement.direct_)  // a pipe or device, done
            return std::string();
        folders.insert(replacement.final_.parent_path());
        return replacement.Rename().Error();
    });
    for (const std::filesystem::path& folder : folders)
        SyncFolder(folder);
    std::vector<Result<void>> results;
    for (std::string& problem : problems)
        results.push_back(problem.empty() ? Result<void>() : Result<void>(Failure{std::move(problem)}));
    return results;
}

void SyncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace quillon::files

#endif  // !_WIN32
