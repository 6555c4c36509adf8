#include "cli/fonts.h"

#include "cli/messages.h"
#include "files/input_file.h"
#include "text/glyph_table.h"

namespace quillon::cli {

namespace {

// The file of a font named by a file or by name.
std::optional<std::string> FontFile(const std::string& argument, bool verbose)
{
    std::error_code error;
    if (!text::LooksLikeFontName(argument) || std::filesystem::exists(PathFromText(argument), error))
        return argument;
    const Result<std::string> found = text::FontFileNamed(argument);
    if (!found) {
        ProblemAt(argument, OneLine(found.Error()));
        return std::nullopt;
    }
    if (verbose)
        ProblemAt(argument, "is " + *found);
    return *found;
}

}  // namespace

std::optional<LoadedFont> LoadFont(const std::string& argument, std::optional<int> size,
                                   const std::set<char32_t>& codes, bool verbose)
{
    LoadedFont loaded;
    loaded.name = argument.empty() ? "built-in font" : argument;
    if (size && (*size < 1 || *size > text::MaxPixelSize)) {
        ProblemAt(loaded.name, "--size " + std::to_string(*size) + " is no pixel size; give 1 to " +
                                   std::to_string(text::MaxPixelSize));
        return std::nullopt;
    }
    const text::FontRequest request{codes, size.value_or(0)};
    Result<text::Font> font = Failure{};
    if (argument.empty()) {
        font = text::BuiltInFont(request);
    } else {
        const std::optional<std::string> file = FontFile(argument, verbose);
        if (!file)
            return std::nullopt;
        loaded.file = *file;
        const Result<std::string> bytes = files::ReadStart(PathFromText(*file), text::FontReadLimit + 1, "a font file");
        if (!bytes) {
            ProblemAt(loaded.name, "cannot be read: " + OneLine(bytes.Error()));
            return std::nullopt;
        }
        if (bytes->size() > text::FontReadLimit) {
            ProblemAt(loaded.name,
                      "is larger than the " + std::to_string(text::FontReadLimit >> 20) + " MiB a font file may take");
            return std::nullopt;
        }
        font = text::ReadFont(*bytes, request);
    }
    if (!font) {
        ProblemAt(loaded.name, OneLine(font.Error()));
        return std::nullopt;
    }
    loaded.font = std::move(*font);
    return loaded;
}

void NameMissing(const LoadedFont& loaded)
{
    for (const char32_t code : loaded.font.missing)
        ProblemAt(loaded.name, text::MissingNote(loaded.font, code));
}

}  // namespace quillon::cli
