// A build without FreeType (the Windows .exe): BDF and the built-in font only.
#include "text/font.h"

namespace quillon::text {

bool HaveFreeType()
{
    return false;
}

Result<Font> ReadFreeTypeFont(std::string_view, const FontRequest&)
{
    return Failure{"this build cannot read this kind of font"};
}

}  // namespace quillon::text
