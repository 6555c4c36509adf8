// The C format: an array of the 488 bytes with a comment saying their order.
#include "formats/formats.h"
#include "formats/text_tools.h"

namespace quillon {

bool ToldC(std::string_view bytes);
std::string WriteC(std::span<const std::uint8_t> bytes, const WriteOptions& options);
Result<std::vector<std::uint8_t>> ParseC(std::string_view bytes, std::size_t count);

namespace {

using namespace text;

constexpr std::string_view Layout =
    "/* 122 x 32 LCD data, 488 bytes in the order the display takes them:\r\n"
    " * block 1 (columns 0-60), then block 2 (columns 61-121); in each block\r\n"
    " * page 1 (rows 0-7) to page 4 (rows 24-31); in each page one byte per\r\n"
    " * column from left to right, bit 0 the page's top row, 1 a lit dot. */\r\n";

// Comments blanked out, line ends kept so that line numbers stay true. An
// unclosed comment runs to the end.
std::string WithoutComments(std::string_view text)
{
    std::string out(text);
    for (std::size_t k = 0; k + 1 < out.size(); ++k) {
        std::size_t end = 0;
        if (out[k] == '/' && out[k + 1] == '*') {
            end = out.find("*/", k + 2);
            end = end == std::string::npos ? out.size() : end + 2;
        } else if (out[k] == '/' && out[k + 1] == '/') {
            end = std::min(out.find_first_of("\r\n", k), out.size());
        } else {
            continue;
        }
        for (std::size_t m = k; m < end; ++m) {
            if (out[m] != '\r' && out[m] != '\n')
                out[m] = ' ';
        }
        k = end - 1;
    }
    return out;
}

constexpr std::string_view AnimationLayout =
    "/* 122 x 32 LCD animation: the frame count, each frame's time on the\r\n"
    " * display in milliseconds, then each frame's 488 bytes in the order the\r\n"
    " * display takes them (one image: block 1, columns 0-60, then block 2;\r\n"
    " * in each block page 1 (rows 0-7) to page 4; one byte a column of a page,\r\n"
    " * bit 0 its top row, 1 a lit dot). A number of two bytes is low byte\r\n"
    " * first: count[0] | count[1] << 8. */\r\n";

std::string Items(std::span<const std::uint8_t> bytes)
{
    return Joined(bytes, ", ", [](std::uint8_t v) { return "0x" + Hex2(v); });
}

// An animation as a struct of its three parts (formats/formats.h).
std::string WriteAnimation(const std::vector<TablePart>& parts, const std::string& name)
{
    const std::size_t count = parts[1].bytes.size() / 2;
    const std::string frames = std::to_string(count);
    std::string text(AnimationLayout);
    text += "const struct {";
    text += LineEnd;
    text += "    unsigned char count[2];\r\n    unsigned char delays[" + frames + "][2];\r\n";
    text += "    unsigned char frames[" + frames + "][488];\r\n} " + name + " = {\r\n";
    text += "    { " + Items(parts[0].bytes) + " },\r\n    {\r\n";
    for (std::size_t k = 0; k < count; ++k)
        text += "        { " + Items(parts[1].bytes.subspan(2 * k, 2)) + " }" + (k + 1 < count ? "," : "") + "\r\n";
    text += "    },\r\n    {\r\n";
    for (std::size_t k = 0; k < count; ++k) {
        text += "    {\r\n";
        text += Shaped(parts[2].bytes.subspan(k * DisplayBytes, DisplayBytes),
                       [](std::span<const std::uint8_t> items, bool last) {
                           return "        " + Items(items) + (last ? "" : ",");
                       });
        text += std::string("    }") + (k + 1 < count ? "," : "") + "\r\n";
    }
    return text + "    }\r\n};\r\n";
}

}  // namespace

bool ToldC(std::string_view bytes)
{
    return bytes.find('{') != std::string_view::npos && IsText(bytes);
}

std::string WriteC(std::span<const std::uint8_t> bytes, const WriteOptions& options)
{
    const std::string name = options.label.empty() ? CIdentifier(options.pictureName) : options.label;
    if (const std::vector<TablePart> parts = PartsOf(bytes); parts.size() == 3)
        return WriteAnimation(parts, name);
    std::string text(Layout);
    text += "const unsigned char " + name + "[" + std::to_string(bytes.size()) + "] = {";
    text += LineEnd;
    text += Shaped(bytes, [](std::span<const std::uint8_t> items, bool last) {
        return "        " + Joined(items, ", ", [](std::uint8_t v) { return "0x" + Hex2(v); }) + (last ? "" : ",");
    });
    return text + "};" + std::string(LineEnd);
}

// The initialiser between the first "{" and its "}"; around it anything goes.
// An animation's struct holds lists in lists ({ {...}, {...} }), read as
// their numbers in order; an array of one image holds none.
Result<std::vector<std::uint8_t>> ParseC(std::string_view bytes, std::size_t count)
{
    const std::string code = WithoutComments(bytes);
    ByteCollector bytesRead(count, 2 + MostFrames * (2 + DisplayBytes));
    const bool nested = count == 0;
    int depth = 1;
    bool afterList = false;  // a list just closed: a "," or "}" comes next
    // The initialiser: the "{" after an "=" (an animation's struct type has
    // braces of its own before it), or else the first.
    std::size_t open = code.find('{');
    for (std::size_t equals = code.find('='); equals != std::string::npos; equals = code.find('=', equals + 1)) {
        const std::size_t next = code.find_first_not_of(" \t\r\n\f", equals + 1);
        if (next != std::string::npos && code[next] == '{') {
            open = next;
            break;
        }
    }
    if (open == std::string::npos) {
        bytesRead.Fail(1, "no \"{\" starts the array's values.");
        return bytesRead.Finish();
    }
    int line = 1;
    for (std::size_t k = 0; k < open; ++k) {
        if (code[k] == '\n' || (code[k] == '\r' && (k + 1 >= code.size() || code[k + 1] != '\n')))
            ++line;
    }
    std::string item;
    int itemLine = line;
    bool closed = false;
    bool afterComma = true;  // "{ 1, 2, }" is C and "{ }" holds nothing; "{ 1, , 2 }" is wrong
    for (std::size_t k = open + 1; k < code.size() && !bytesRead.Failed(); ++k) {
        const char c = code[k];
        const bool lineEnd = c == '\n' || (c == '\r' && (k + 1 >= code.size() || code[k + 1] != '\n'));
        if (c == ',' || c == '}') {
            const std::string_view value = Trimmed(item);
            if (value.empty()) {
                if ((c == ',' && !afterList) || (c == '}' && !afterComma && !afterList))
                    bytesRead.Fail(itemLine, "an item is missing.");
            } else if (afterList) {
                bytesRead.Fail(itemLine, "a \",\" is missing before " + Quoted(value) + ".");
            } else if (const auto number = CNumber(value)) {
                bytesRead.Add(*number, value, itemLine);
            } else {
                bytesRead.Fail(itemLine, Quoted(value) + " is not a number.");
            }
            afterComma = c == ',';
            afterList = c == '}';
            item.clear();
            itemLine = line;
            if (c == '}' && --depth == 0) {
                closed = true;
                break;
            }
        } else if (c == '{' && nested && Trimmed(item).empty() && !afterList) {
            ++depth;
            afterComma = true;
        } else if (c == '{') {
            bytesRead.Fail(line, "a \"{\" inside the array's values.");
        } else if (c == '\r' || c == '\n' || c == '\t' || c == '\f') {
            item += ' ';
        } else {
            if (Trimmed(item).empty())
                itemLine = line;
            item += c;
        }
        if (lineEnd)
            ++line;
    }
    if (!closed && !bytesRead.Failed()) {
        const bool endsWithLineEnd = code.ends_with('\n') || code.ends_with('\r');
        bytesRead.Fail(endsWithLineEnd ? line - 1 : line, "no \"}\" ends the array's values.");
    }
    return bytesRead.Finish();
}

}  // namespace quillon
