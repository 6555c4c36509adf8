// Durable replacement of a file on Windows (see replace_windows.h).
#ifdef _WIN32

#include "files/replace_windows.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace quillon {

namespace {

// What the new file takes over from the one it replaces. Not read-only: a
// read-only file cannot be replaced on Windows, and that refusal is kept.
constexpr DWORD CarriedAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The system's own words for an error code, as UTF-8 without the final line break.
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

// The full path Windows itself would use for `path` (drive or share, current
// folder, "." and ".." resolved). Unlike std::filesystem::absolute under
// MinGW, this knows UNC paths. Empty when the path cannot be resolved.
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

// Creates a new, empty file beside `target` that no other program has open.
HANDLE CreateTemporaryBeside(const std::filesystem::path& target, std::filesystem::path& temporary)
{
    const std::wstring stem = target.native() + L".quillon-" + std::to_wstring(GetCurrentProcessId()) + L"-";
    for (unsigned attempt = 0;; ++attempt) {
        temporary = stem + std::to_wstring(attempt) + L".tmp";
        const HANDLE file =
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS || attempt == 100)
            return file;
    }
}

// Writes all of `bytes`; the reason in words when it cannot.
std::string WriteAll(HANDLE file, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            const DWORD code = GetLastError();
            if (done > 0 || code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL)
                return "Only " + std::to_string(done) + " of its " + std::to_string(bytes.size()) +
                       " bytes could be written; the disk may be full.";
            return ErrorWords(code);
        }
        done += written;
    }
    return {};
}

}  // namespace

std::string ReplaceFileDurably(const std::filesystem::path& requested, std::string_view bytes)
{
    // One full path for the checks, the temporary file and the move, whatever
    // the current folder does meanwhile.
    const std::filesystem::path target = FullPath(requested);
    if (target.empty())
        return ErrorWords(GetLastError());
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return "A folder of that name is in the way.";

    std::filesystem::path temporary;
    const HANDLE file = CreateTemporaryBeside(target, temporary);
    if (file == INVALID_HANDLE_VALUE)
        return ErrorWords(GetLastError());

    std::string reason = WriteAll(file, bytes);
    // The bytes reach the disk before the name points at them, so a power cut
    // leaves either the earlier file or the whole new one.
    if (reason.empty() && !FlushFileBuffers(file))
        reason = ErrorWords(GetLastError());
    if (!CloseHandle(file) && reason.empty())
        reason = ErrorWords(GetLastError());

    if (reason.empty()) {
        // The new file looks like the earlier one to Explorer (hidden, archive...).
        // ReplaceFileW would do this too, but Wine's leaves a file of its own
        // behind when the replacement fails and drops the attributes, so the
        // tested path here is the one Windows and Wine agree on.
        if (exists)
            SetFileAttributesW(temporary.c_str(), attributes & CarriedAttributes);
        // Write-through: the rename itself is on the disk when this returns.
        if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return {};
        reason = ErrorWords(GetLastError());
    }
    DeleteFileW(temporary.c_str());
    return reason;
}

}  // namespace quillon

#endif
