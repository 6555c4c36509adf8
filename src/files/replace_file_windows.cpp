// Safe replacement on Windows (quillon-cli.exe): the new bytes go to a
// temporary file in the same folder, are flushed to the disk, and only then
// take the place with MoveFileExW, replacing, with write-through. Wine and
// Windows agree on this path; ReplaceFileW differs between them (Wine's
// refuses relative paths, leaves a file of its own behind on failure and
// drops the attributes).
#include "files/replace_file.h"

#ifdef _WIN32

#include <windows.h>
// windows.h names ReplaceFileA so; this is files::ReplaceFile.
#undef ReplaceFile

#include <algorithm>
#include <atomic>
#include <iterator>
#include <random>
#include <string>
#include <utility>

namespace quillon::files {

namespace {

constexpr const char* FolderInTheWay = "A folder of that name is in the way.";
constexpr const char* SpecialInTheWay =
    "A device, pipe or socket of that name is in the way; only a regular file is replaced.";

// What the new file takes over from the one it replaces (Explorer's view of it).
constexpr DWORD CarriedAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The system's own words for an error code, as UTF-8 on one line.
std::string ErrorWords(DWORD code)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string words;
    if (length > 0) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
        words.resize(static_cast<std::size_t>(size));
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), words.data(), size, nullptr, nullptr);
    }
    LocalFree(text);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' '))
        words.pop_back();
    if (words.empty())
        words = "Windows error " + std::to_string(code) + ".";
    return words;
}

// The full path Windows itself uses for `path`: drive or share, current
// folder, "." and ".." resolved. Unlike std::filesystem::absolute under MinGW
// it knows UNC paths. Empty when the path cannot be resolved.
std::wstring FullPath(const std::filesystem::path& path)
{
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0)
            return {};
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length);
    }
}

// The temporary file in flight, removed when Ctrl+C or closing the console
// ends the process (the counterpart of SIGINT and SIGHUP).
wchar_t inFlightPath[32768];
std::atomic<bool> inFlight{false};

BOOL WINAPI RemoveInFlight(DWORD)
{
    if (inFlight.load())
        DeleteFileW(inFlightPath);
    return FALSE;  // then end as the event would have ended the process
}

void Track(const std::wstring& path)
{
    static const bool installed = SetConsoleCtrlHandler(RemoveInFlight, TRUE);
    (void)installed;
    inFlight.store(false);
    const std::size_t length = std::min<std::size_t>(path.size(), std::size(inFlightPath) - 1);
    std::copy_n(path.data(), length, inFlightPath);
    inFlightPath[length] = L'\0';
    inFlight.store(true);
}

void Untrack()
{
    inFlight.store(false);
}

class WindowsReplacement final : public Replacement {
public:
    ~WindowsReplacement() override
    {
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
        if (!temporary_.empty() && !committed_) {
            DeleteFileW(temporary_.c_str());
            Untrack();
        }
    }

    Result<void> Write(std::string_view bytes) override
    {
        const std::size_t total = bytes.size();
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
            DWORD written = 0;
            if (!WriteFile(file_, bytes.data(), chunk, &written, nullptr) || written == 0) {
                const DWORD code = GetLastError();
                const std::size_t done = written_ + total - bytes.size();
                if (code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL || done > 0)
                    return Failure{"Only " + std::to_string(done) + " of its " + std::to_string(written_ + total) +
                                   " bytes could be written; the disk may be full."};
                return Failure{ErrorWords(code)};
            }
            bytes.remove_prefix(written);
        }
        written_ += total;
        return {};
    }

    Result<void> Commit(FolderSync) override
    {
        // A name's change reaches the disk with MOVEFILE_WRITE_THROUGH; there
        // is no folder to sync on Windows.
        if (temporary_.empty()) {  // a device or pipe, written into directly
            const HANDLE file = std::exchange(file_, INVALID_HANDLE_VALUE);
            if (!CloseHandle(file))
                return Failure{ErrorWords(GetLastError())};
            return {};
        }
        // The bytes reach the disk before the name points at them.
        if (!FlushFileBuffers(file_))
            return Failure{ErrorWords(GetLastError())};
        const HANDLE file = std::exchange(file_, INVALID_HANDLE_VALUE);
        if (!CloseHandle(file))
            return Failure{ErrorWords(GetLastError())};
        if (replacing_)
            SetFileAttributesW(temporary_.c_str(), earlierAttributes_ & CarriedAttributes);
        if (!MoveFileExW(temporary_.c_str(), full_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return Failure{ErrorWords(GetLastError())};
        committed_ = true;
        Untrack();
        return {};
    }

    const std::filesystem::path& Target() const override { return final_; }

    std::filesystem::path final_;      // as given, for messages and the folder
    std::wstring full_;                // the same, resolved as Windows resolves it
    std::filesystem::path temporary_;  // empty when writing straight into a device or pipe
    HANDLE file_ = INVALID_HANDLE_VALUE;
    DWORD earlierAttributes_ = 0;
    bool replacing_ = false;
    bool committed_ = false;
    std::size_t written_ = 0;
};

// "." + name + "." + six letters, short enough for the usual 255-character limit.
std::wstring TemporaryName(const std::wstring& name, std::mt19937& random)
{
    static constexpr wchar_t Letters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    std::wstring suffix = L".";
    for (int k = 0; k < 6; ++k)
        suffix += Letters[random() % (std::size(Letters) - 1)];
    std::wstring temporary(1, L'.');
    temporary.append(name, 0, 255 - 1 - suffix.size());
    return temporary + suffix;
}

}  // namespace

Result<std::unique_ptr<Replacement>> BeginReplacement(const std::filesystem::path& path, Place place)
{
    auto replacement = std::make_unique<WindowsReplacement>();
    replacement->final_ = path;
    replacement->full_ = FullPath(path);
    if (replacement->full_.empty()) {
        return Failure{ErrorWords(GetLastError())};
    }
    const std::wstring& full = replacement->full_;

    // What is in the place now: nothing, a file, a folder, or a device such as NUL or CON.
    const HANDLE existing = CreateFileW(full.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (existing != INVALID_HANDLE_VALUE) {
        const DWORD type = GetFileType(existing);
        BY_HANDLE_FILE_INFORMATION info{};
        const bool known = type == FILE_TYPE_DISK && GetFileInformationByHandle(existing, &info);
        CloseHandle(existing);
        if (known && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return Failure{FolderInTheWay};
        }
        if (!known) {
            if (place == Place::Derived) {
                return Failure{SpecialInTheWay};
            }
            // As a command prompt's ">": written at the device or into the pipe.
            replacement->file_ = CreateFileW(full.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (replacement->file_ == INVALID_HANDLE_VALUE) {
                return Failure{ErrorWords(GetLastError())};
            }
            return std::unique_ptr<Replacement>(std::move(replacement));
        }
        // A read-only file is refused, as Windows refuses to replace it.
        if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
            return Failure{ErrorWords(ERROR_ACCESS_DENIED)};
        }
        replacement->replacing_ = true;
        replacement->earlierAttributes_ = info.dwFileAttributes;
    } else if (const DWORD code = GetLastError(); code != ERROR_FILE_NOT_FOUND) {
        return Failure{ErrorWords(code)};
    }

    static std::mt19937 random{std::random_device{}()};
    const std::filesystem::path whole(full);
    const std::filesystem::path folder = whole.parent_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        replacement->temporary_ = folder / TemporaryName(whole.filename().native(), random);
        Track(replacement->temporary_.native());
        // Shared for deletion only: the Ctrl+C handler may remove it while open.
        replacement->file_ = CreateFileW(replacement->temporary_.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (replacement->file_ != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (replacement->file_ == INVALID_HANDLE_VALUE) {
        std::string problem = ErrorWords(GetLastError());
        Untrack();
        replacement->temporary_.clear();
        return Failure{problem};
    }
    return std::unique_ptr<Replacement>(std::move(replacement));
}

// One at a time: MostPending is 1 here.
std::vector<Result<void>> CommitAll(std::span<const std::unique_ptr<Replacement>> replacements)
{
    std::vector<Result<void>> problems;
    for (const std::unique_ptr<Replacement>& replacement : replacements)
        problems.push_back(replacement->Commit(Replacement::FolderSync::Later));
    return problems;
}

void SyncFolder(const std::filesystem::path&)
{
    // Each move was made with MOVEFILE_WRITE_THROUGH: nothing is left to do.
}

}  // namespace quillon::files

#endif  // _WIN32
