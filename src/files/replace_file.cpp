#include "files/replace_file.h"

#include "files/input_file.h"

#ifndef _WIN32

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>

namespace quillon::files {

namespace {

// --- the temporary file in flight, removed when a signal ends the process ----

// One replacement at a time: the tool writes its files one after the other.
char inFlightPath[PATH_MAX + 1];
std::atomic<bool> inFlight{false};

extern "C" void RemoveInFlightAndDie(int signal)
{
    if (inFlight.load())
        ::unlink(inFlightPath);
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
        return true;
    }();
    (void)installed;
}

// Records the name before the file exists, so that a signal at any moment
// after its creation finds it.
void Track(const std::string& path)
{
    inFlight.store(false);
    const std::size_t length = std::min(path.size(), sizeof inFlightPath - 1);
    std::memcpy(inFlightPath, path.data(), length);
    inFlightPath[length] = '\0';
    inFlight.store(true);
}

void Untrack()
{
    inFlight.store(false);
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

class PosixReplacement final : public Replacement {
public:
    ~PosixReplacement() override
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!temporary_.empty() && !committed_) {
            ::unlink(temporary_.c_str());
            Untrack();
        }
    }

    std::string Write(std::string_view bytes) override
    {
        while (!bytes.empty()) {
            const ssize_t wrote = ::write(fd_, bytes.data(), bytes.size());
            if (wrote < 0) {
                if (errno == EINTR)
                    continue;
                return ErrorText(errno);
            }
            bytes.remove_prefix(static_cast<std::size_t>(wrote));
        }
        return {};
    }

    const std::filesystem::path& Target() const override { return final_; }

    std::string Commit(FolderSync folder) override
    {
        if (temporary_.empty()) {  // a pipe or device, written into directly
            const int fd = std::exchange(fd_, -1);
            return ::close(fd) == 0 ? std::string() : ErrorText(errno);
        }
        if (::fsync(fd_) != 0)
            return ErrorText(errno);
        const int fd = std::exchange(fd_, -1);
        if (::close(fd) != 0)
            return ErrorText(errno);
        if (::rename(temporary_.c_str(), final_.c_str()) != 0)
            return ErrorText(errno);
        committed_ = true;
        Untrack();
        if (folder == FolderSync::Now)
            SyncFolder(final_.parent_path());
        return {};
    }

    std::filesystem::path final_;
    std::filesystem::path temporary_;  // empty when writing straight into a pipe or device
    int fd_ = -1;
    bool committed_ = false;
};

}  // namespace

std::unique_ptr<Replacement> BeginReplacement(const std::filesystem::path& path, Place place, std::string& problem)
{
    auto replacement = std::make_unique<PosixReplacement>();
    replacement->final_ = path;
    struct stat existing {};
    bool replacing = false;

    struct stat entry {};
    if (::lstat(path.c_str(), &entry) == 0) {
        if (S_ISLNK(entry.st_mode)) {
            char* resolved = ::realpath(path.c_str(), nullptr);
            if (!resolved) {
                problem = errno == ENOENT ? "It is a symbolic link to nothing; a link is followed only to an "
                                            "existing file."
                                          : ErrorText(errno);
                return nullptr;
            }
            replacement->final_ = resolved;
            std::free(resolved);
        }
        if (::stat(replacement->final_.c_str(), &existing) != 0) {
            problem = ErrorText(errno);
            return nullptr;
        }
        if (S_ISDIR(existing.st_mode)) {
            problem = FolderInTheWay;
            return nullptr;
        }
        if (S_ISFIFO(existing.st_mode) || S_ISCHR(existing.st_mode)) {
            if (place == Place::Derived) {
                problem = SpecialInTheWay;
                return nullptr;
            }
            // As a shell's ">": waits for a pipe's reader, writes at a device.
            replacement->fd_ = ::open(replacement->final_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
            if (replacement->fd_ < 0) {
                problem = ErrorText(errno);
                return nullptr;
            }
            return replacement;
        }
        if (!S_ISREG(existing.st_mode)) {
            problem = SpecialInTheWay;
            return nullptr;
        }
        if (::access(replacement->final_.c_str(), W_OK) != 0) {
            problem = ErrorText(errno);
            return nullptr;
        }
        replacing = true;
    } else if (errno != ENOENT) {
        problem = ErrorText(errno);
        return nullptr;
    }

    InstallCleanup();
    static std::mt19937 random{std::random_device{}()};
    const std::filesystem::path folder = replacement->final_.parent_path();
    const std::string name = replacement->final_.filename().native();
    for (int attempt = 0; attempt < 100; ++attempt) {
        replacement->temporary_ = folder / TemporaryName(name, folder, random);
        Track(replacement->temporary_.native());
        replacement->fd_ =
            ::open(replacement->temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
        if (replacement->fd_ >= 0 || errno != EEXIST)
            break;
    }
    if (replacement->fd_ < 0) {
        problem = ErrorText(errno);
        Untrack();
        replacement->temporary_.clear();
        return nullptr;
    }
    if (replacing) {
        // Owner and group first: a change of owner clears the set-id bits.
        if (::fchown(replacement->fd_, existing.st_uid, existing.st_gid) != 0)
            (void)::fchown(replacement->fd_, static_cast<uid_t>(-1), existing.st_gid);
        ::fchmod(replacement->fd_, existing.st_mode & 07777);
        CopyUserAttributes(replacement->final_, replacement->fd_);
    }
    return replacement;
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
