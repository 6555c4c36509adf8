// The process-wide facts about the selected picture and its conversion: the
// walk's state the core works on, and what only the window keeps beside it.
#pragma once

#include "convert/geometry.h"
#include "intake/bmp_records.h"

#include <filesystem>

namespace quillon {

// One instance for the life of the process; the application owns it and hands
// it to both windows. Everything starts at 0 or empty. The info header, the
// scan window and the page and block counts are the core's ScanState.
struct SharedState : ScanState {
    BITMAPFILEHEADER FileHeader;
    std::filesystem::path OutputPath;
};

}  // namespace quillon
