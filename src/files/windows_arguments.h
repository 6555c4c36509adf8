// The command line as UTF-8 on Windows, where main()'s argv is in the ANSI
// code page and loses every character outside it.
#pragma once

#ifdef _WIN32

#include <string>
#include <vector>

namespace quillon {

// This process's arguments, the program name first, read from the wide
// command line (GetCommandLineW) and converted to UTF-8. Turn one into a
// path with std::filesystem::path(std::u8string(...)), never path(std::string),
// which reads it in the ANSI code page.
std::vector<std::string> Utf8Arguments();

}  // namespace quillon

#endif
