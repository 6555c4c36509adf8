// Fonts by name ("DejaVu Sans", "monospace", "DejaVu Sans:bold") through
// fontconfig, as desktop programs find them. libfontconfig.so.1 is loaded only
// when a font is named: text with a font file, and every other command, never
// pays for it.
#include "text/font.h"

#include "common/shared_library.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>

namespace quillon::text {

namespace {

// clang-format off
#define QUILLON_FONTCONFIG_FUNCTIONS(F) \
    F(FcInitLoadConfigAndFonts)         \
    F(FcConfigDestroy)                  \
    F(FcNameParse)                      \
    F(FcConfigSubstitute)               \
    F(FcDefaultSubstitute)              \
    F(FcFontMatch)                      \
    F(FcPatternGetString)               \
    F(FcPatternDestroy)
// clang-format on

static_assert(FC_MAJOR == 2, "libfontconfig.so.1 is loaded: build with the headers of fontconfig 2");

struct Fontconfig {
    QUILLON_FONTCONFIG_FUNCTIONS(QUILLON_FUNCTION_MEMBER)
};

const Loaded<Fontconfig>& Lib()
{
    return LoadOnce<Fontconfig>("libfontconfig.so.1", "libfontconfig1", [](SharedLibrary& library, Fontconfig& api) {
        (void)library;
        QUILLON_FONTCONFIG_FUNCTIONS(QUILLON_FUNCTION_LOOKUP)
    });
}

// Family names compare as fontconfig compares them: case and blanks aside.
std::string Folded(std::string_view name)
{
    std::string folded;
    for (const char c : name) {
        if (c != ' ')
            folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return folded;
}

// Names that stand for whatever font the system's settings give.
bool IsGeneric(std::string_view family)
{
    static constexpr std::array<std::string_view, 10> Generic = {
        "monospace", "mono", "sans-serif", "sans", "serif", "system-ui", "cursive", "fantasy", "emoji", "math"};
    return std::ranges::find(Generic, Folded(family)) != Generic.end();
}

std::string StringOf(const Loaded<Fontconfig>& api, FcPattern* pattern, const char* object, int index)
{
    FcChar8* value = nullptr;
    if (api->FcPatternGetString(pattern, object, index, &value) != FcResultMatch || !value)
        return {};
    return reinterpret_cast<const char*>(value);
}

}  // namespace

bool LooksLikeFontName(std::string_view argument)
{
    if (argument.empty() || argument.find_first_of("/\\") != std::string_view::npos)
        return false;
    std::string lower = Folded(argument);
    for (const std::string_view extension : {".ttf", ".otf", ".ttc", ".pcf", ".gz", ".bdf", ".pfb", ".woff"}) {
        if (lower.ends_with(extension))
            return false;
    }
    return true;
}

Result<std::string> FontFileNamed(std::string_view name)
{
    const Loaded<Fontconfig>& api = Lib();
    if (!api)
        return Failure{"fonts are found by name through fontconfig: " + api.problem};
    const std::unique_ptr<FcConfig, decltype(api->FcConfigDestroy)> config(api->FcInitLoadConfigAndFonts(),
                                                                              api->FcConfigDestroy);
    if (!config)
        return Failure{"fontconfig could not read its configuration"};
    const std::string text(name);
    using Pattern = std::unique_ptr<FcPattern, decltype(api->FcPatternDestroy)>;
    const Pattern pattern(api->FcNameParse(reinterpret_cast<const FcChar8*>(text.c_str())), api->FcPatternDestroy);
    if (!pattern)
        return Failure{"is no font name fontconfig understands"};
    const std::string family = StringOf(api, pattern.get(), FC_FAMILY, 0);
    api->FcConfigSubstitute(config.get(), pattern.get(), FcMatchPattern);
    api->FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    const Pattern match(api->FcFontMatch(config.get(), pattern.get(), &result), api->FcPatternDestroy);
    const std::string file = match ? StringOf(api, match.get(), FC_FILE, 0) : std::string();
    // fontconfig always offers its best guess; a family named must be that family.
    bool found = !file.empty() && (family.empty() || IsGeneric(family));
    for (int k = 0; match && !found && !file.empty(); ++k) {
        const std::string offered = StringOf(api, match.get(), FC_FAMILY, k);
        if (offered.empty())
            break;
        found = Folded(offered) == Folded(family);
    }
    if (!found)
        return Failure{"no installed font is called that (fc-list lists them)"};
    return file;
}

}  // namespace quillon::text
