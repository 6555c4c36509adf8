#include "engine/naming.h"

#include "common/paths.h"
#include "intake/listing_name.h"

namespace quillon {

std::filesystem::path OutputBeside(const std::filesystem::path& input, const Identity& identity,
                                   const Format& format)
{
    const std::string name = PathText(input.filename());
    const PictureKind* namedAs = PictureKindNamed(name);
    const bool windowsName = !namedAs || namedAs->name == "BMP";
    if (identity.picture && format.name == "listing" && windowsName)
        return ListingPath(input.parent_path(), input.filename());
    return input.parent_path() / PathFromText(DefaultOutputName(format, OutputStem(name)));
}

const Format& FormatFor(const std::filesystem::path& output, const Format& fallback)
{
    const Format* chosen = FormatChosenBy(PathText(output.filename()));
    return chosen ? *chosen : fallback;
}

}  // namespace quillon
