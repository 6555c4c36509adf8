// A build without fontconfig (the Windows .exe, the web page): fonts are
// given as files.
#include "text/font.h"

namespace quillon::text {

bool LooksLikeFontName(std::string_view argument)
{
    return !argument.empty() && argument.find_first_of("/\\.") == std::string_view::npos;
}

Result<std::string> FontFileNamed(std::string_view)
{
    return Failure{"this build finds no font by name; give the font file's path"};
}

}  // namespace quillon::text
