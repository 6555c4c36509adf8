#include "files/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <cerrno>
#include <cstring>
#include <utility>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace quillon::files {

namespace {

#ifdef _WIN32
using Stat = struct _stat64;
int OpenForReading(const std::filesystem::path& path)
{
    return _wopen(path.c_str(), _O_RDONLY | _O_BINARY);
}
int StatOf(int fd, Stat& info)
{
    return _fstat64(fd, &info);
}
int CloseFile(int fd)
{
    return _close(fd);
}
long ReadSome(int fd, char* into, std::size_t size)
{
    return _read(fd, into, static_cast<unsigned>(size > 1u << 30 ? 1u << 30 : size));
}
#else
using Stat = struct stat;
int OpenForReading(const std::filesystem::path& path)
{
    // O_NONBLOCK: opening a pipe with no writer returns at once instead of waiting.
    return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}
int StatOf(int fd, Stat& info)
{
    return ::fstat(fd, &info);
}
int CloseFile(int fd)
{
    return ::close(fd);
}
long ReadSome(int fd, char* into, std::size_t size)
{
    return ::read(fd, into, size);
}
#endif

std::string NotA(std::string_view what, std::string_view kind)
{
    return "It is " + std::string(what) + ", not " + std::string(kind) + ".";
}

constexpr std::string_view Special = "a device, pipe or socket";

}  // namespace

std::string ErrorText(int error)
{
    return std::strerror(error);
}

#ifdef _WIN32
namespace {
std::optional<FileId> IdentityOfHandle(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info))
        return std::nullopt;
    return FileId{info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}
}  // namespace

std::optional<FileId> IdentityOf(const std::filesystem::path& path)
{
    const HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    std::optional<FileId> id = IdentityOfHandle(handle);
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    return id;
}

std::optional<FileId> IdentityOfStandardOutput()
{
    return IdentityOfHandle(GetStdHandle(STD_OUTPUT_HANDLE));
}
#else
std::optional<FileId> IdentityOf(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileId{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

std::optional<FileId> IdentityOfStandardOutput()
{
    struct stat info {};
    if (::fstat(1, &info) != 0)
        return std::nullopt;
    return FileId{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}
#endif

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    const std::optional<FileId> first = IdentityOf(a);
    return first && first == IdentityOf(b);
}

InputFile::InputFile(InputFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept
{
    std::swap(fd_, other.fd_);
    return *this;
}

InputFile::~InputFile()
{
    if (fd_ >= 0)
        CloseFile(fd_);
}

std::optional<InputFile> InputFile::Open(const std::filesystem::path& path, std::string_view kind, std::string& problem)
{
    // A first look spares opening a device at all (opening some has effects);
    // the check after the open is the one that counts.
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!error && std::filesystem::is_directory(status)) {
        problem = NotA("a folder", kind);
        return std::nullopt;
    }
    if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        problem = NotA(Special, kind);
        return std::nullopt;
    }

    InputFile file;
    file.fd_ = OpenForReading(path);
    if (file.fd_ < 0) {
        const int why = errno;
        problem = why == ENXIO || why == ENODEV ? NotA(Special, kind) : ErrorText(why);
        return std::nullopt;
    }
    Stat info{};
    if (StatOf(file.fd_, info) != 0) {
        problem = ErrorText(errno);
        return std::nullopt;
    }
    if ((info.st_mode & S_IFMT) == S_IFDIR) {
        problem = NotA("a folder", kind);
        return std::nullopt;
    }
    if ((info.st_mode & S_IFMT) != S_IFREG) {
        problem = NotA(Special, kind);
        return std::nullopt;
    }
    return file;
}

InputFile InputFile::StandardInput()
{
    InputFile file;
#ifdef _WIN32
    _setmode(0, _O_BINARY);
    file.fd_ = _dup(0);
#else
    file.fd_ = ::dup(0);
#endif
    return file;
}

std::ptrdiff_t InputFile::Read(char* into, std::size_t size, std::string& problem)
{
    for (;;) {
        const long got = ReadSome(fd_, into, size);
        if (got >= 0)
            return got;
        if (errno != EINTR) {
            problem = ErrorText(errno);
            return -1;
        }
    }
}

std::optional<std::string> ReadStart(const std::filesystem::path& path, std::size_t limit, std::string_view kind,
                                     std::string& problem)
{
    std::optional<InputFile> file = InputFile::Open(path, kind, problem);
    if (!file)
        return std::nullopt;
    return ReadStart(*file, limit, problem);
}

std::optional<std::string> ReadStart(InputFile& file, std::size_t limit, std::string& problem)
{
    constexpr std::size_t Piece = 64 * 1024;
    std::string bytes;
    while (bytes.size() < limit) {
        const std::size_t had = bytes.size();
        bytes.resize(had + std::min(Piece, limit - had));
        const std::ptrdiff_t got = file.Read(bytes.data() + had, bytes.size() - had, problem);
        if (got < 0)
            return std::nullopt;
        bytes.resize(had + static_cast<std::size_t>(got));
        if (got == 0)
            break;
    }
    return bytes;
}

}  // namespace quillon::files
