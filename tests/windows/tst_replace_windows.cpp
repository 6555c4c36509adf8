// files::ReplaceFile and Utf8Arguments on Windows (run under Wine here). Plain
// C++: Qt Test does not come for Windows from Debian. Exit code 0 when every
// row passes; each failing row is named on stderr.
//   tst_replace_windows "Grüße ☺"   (the argument checks Utf8Arguments)
#include "files/replace_file.h"
#include "files/windows_arguments.h"

#include <windows.h>
// windows.h names ReplaceFileA so; this is files::ReplaceFile.
#undef ReplaceFile

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using quillon::files::Place;

int failures = 0;

// The source is UTF-8, and so are these bytes.
constexpr const char* NonAsciiName = "lcd_Grüße ☺.txt";

void Check(bool ok, const std::string& row, const std::string& what)
{
    if (!ok) {
        ++failures;
        std::fprintf(stderr, "FAIL %s: %s\n", row.c_str(), what.c_str());
    }
}

fs::path FromUtf8(const std::string& text)
{
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::optional<std::string> Contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Everything in `folder` other than the files and folders the rows make: a
// temporary file left behind shows here.
std::vector<std::string> Strays(const fs::path& folder)
{
    static const std::vector<std::string> known = {"sub", "lcd_dir.txt", "lcd_pic.txt", NonAsciiName};
    std::vector<std::string> strays;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const auto name = entry.path().filename().u8string();
        const std::string utf8(name.begin(), name.end());
        if (std::find(known.begin(), known.end(), utf8) == known.end())
            strays.push_back(utf8);
    }
    return strays;
}

struct Row {
    const char* name;
    const char* existing;  // what the target holds before, nullptr: no file
    const char* target;    // as the user types it; relative to the row's folder
    const char* file;      // the file that must hold the outcome, relative to the row's folder; nullptr: a device
    const char* bytes;
    const char* reason;     // expected failure reason; nullptr: success, "": any reason (the system's words)
    bool heldOpen = false;  // another program holds the earlier file open, sharing read only
    DWORD attributes = 0;   // of the earlier file: hidden is kept, read-only refuses
    Place place = Place::Derived;
};

constexpr const char* DeviceRefused =
    "A device, pipe or socket of that name is in the way; only a regular file is replaced.";

const Row rows[] = {
    {"new file", nullptr, "lcd_pic.txt", "lcd_pic.txt", "DB 00H;\r\n", nullptr},
    {"earlier listing replaced", "old\r\n", "lcd_pic.txt", "lcd_pic.txt", "DB 01H;\r\n", nullptr},
    {"empty listing", "old\r\n", "lcd_pic.txt", "lcd_pic.txt", "", nullptr},
    {"non-ASCII name", "old", NonAsciiName, NonAsciiName, "DB 02H;\r\n", nullptr},
    {"doubled separator", "old", "sub\\\\lcd_pic.txt", "sub\\lcd_pic.txt", "DB 03H;\r\n", nullptr},
    {"forward slashes", "old", "sub/lcd_pic.txt", "sub\\lcd_pic.txt", "DB 04H;\r\n", nullptr},
    {"dot segments", "old", "sub\\..\\sub\\.\\lcd_pic.txt", "sub\\lcd_pic.txt", "DB 05H;\r\n", nullptr},
    {"folder in the way", nullptr, "lcd_dir.txt", "lcd_dir.txt", "DB 06H;\r\n", "A folder of that name is in the way."},
    {"missing folder", nullptr, "absent\\lcd_pic.txt", "absent\\lcd_pic.txt", "DB 07H;\r\n", ""},
    {"earlier listing held open", "old\r\n", "lcd_pic.txt", "lcd_pic.txt", "DB 08H;\r\n", "", true},
    {"hidden earlier listing", "old\r\n", "lcd_pic.txt", "lcd_pic.txt", "DB 09H;\r\n", nullptr, false,
     FILE_ATTRIBUTE_HIDDEN},
    {"read-only earlier listing", "old\r\n", "lcd_pic.txt", "lcd_pic.txt", "DB 0AH;\r\n", "", false,
     FILE_ATTRIBUTE_READONLY},
    {"device for a made-up name", nullptr, "NUL", nullptr, "DB 0BH;\r\n", DeviceRefused},
    {"device in a folder for a made-up name", nullptr, "sub\\nul", nullptr, "DB 0CH;\r\n", DeviceRefused},
    {"device given by name", nullptr, "NUL", nullptr, "DB 0DH;\r\n", nullptr, false, 0, Place::Given},
};

}  // namespace

int main()
{
    const auto arguments = quillon::Utf8Arguments();
    const std::string expectedArgument =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x98\xBA";
    Check(arguments.size() == 2 && arguments[1] == expectedArgument, "arguments",
          "the second argument should be \"" + expectedArgument + "\" in UTF-8, got " +
              (arguments.size() > 1 ? "\"" + arguments[1] + "\"" : "none"));

    const fs::path base = fs::temp_directory_path() / ("quillon-replace-" + std::to_string(GetCurrentProcessId()));
    int index = 0;
    for (const Row& row : rows) {
        // Each row in its own folder, the current folder, so relative targets
        // (which Wine's ReplaceFileW refuses as they are) are covered too.
        const fs::path folder = base / std::to_string(index++);
        fs::create_directories(folder / "sub");
        fs::create_directories(folder / "lcd_dir.txt");
        fs::current_path(folder);
        const fs::path file = row.file ? folder / FromUtf8(row.file) : fs::path();
        if (row.existing)
            Put(file, row.existing);

        if (row.attributes)
            SetFileAttributesW(file.c_str(), row.attributes);
        const HANDLE holder = row.heldOpen ? CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                                           : INVALID_HANDLE_VALUE;

        const std::string reason = quillon::files::ReplaceFile(FromUtf8(row.target), row.bytes, row.place).Error();

        if (holder != INVALID_HANDLE_VALUE)
            CloseHandle(holder);
        if (row.attributes & FILE_ATTRIBUTE_HIDDEN) {
            const DWORD attributes = GetFileAttributesW(file.c_str());
            Check(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN), row.name,
                  "the replacement lost the earlier file's attributes");
        }

        if (row.reason) {
            Check(*row.reason ? reason == row.reason : !reason.empty(), row.name,
                  "reason \"" + reason + "\", expected \"" + row.reason + "\"");
            const auto now = row.file ? Contents(file) : std::nullopt;
            Check(row.existing ? now == std::string(row.existing) : !now || fs::is_directory(file), row.name,
                  "the earlier file changed");
        } else {
            Check(reason.empty(), row.name, "failed: " + reason);
            Check(!row.file || Contents(file) == std::string(row.bytes), row.name, "wrong contents");
        }
        if (row.attributes & FILE_ATTRIBUTE_READONLY)
            SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        for (const fs::path& written : {folder, folder / "sub"})
            for (const auto& stray : Strays(written))
                Check(false, row.name, "left behind: " + stray);
    }
    fs::current_path(fs::temp_directory_path());
    std::error_code ignored;
    fs::remove_all(base, ignored);

    const int total = static_cast<int>(std::size(rows)) + 1;
    std::printf("%d of %d checks passed\n", total - failures, total);
    return failures == 0 ? 0 : 1;
}
