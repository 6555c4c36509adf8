// What text and font share: the font given by --font (a file, a name found
// through fontconfig, or the built-in font) read for the characters asked for,
// and its missing characters named once each on stderr.
#pragma once

#include "text/font.h"

#include <optional>
#include <set>
#include <string>

namespace quillon::cli {

struct LoadedFont {
    std::string name;  // as messages give it: the argument, or "built-in font"
    std::string file;  // the file read, or empty for the built-in font
    text::Font font;
};

// Nothing after naming the problem. `verbose`: the file a name chose is named too.
std::optional<LoadedFont> LoadFont(const std::string& argument, std::optional<int> size,
                                   const std::set<char32_t>& codes, bool verbose);
void NameMissing(const LoadedFont& loaded);

}  // namespace quillon::cli
