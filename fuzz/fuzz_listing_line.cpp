// Any bytes as one listing line, decoded by the tool and by the rule as it is
// written down: cut characters 12 .. L-2, remove every "H," (either case) left
// to right, then replace "0" by "0000" over the whole string, then "1" by
// "0001", and so on to "F", letters in either case. The two must agree.
#include "fuzz_check.h"
#include "preview/listing_reader.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace quillon;

namespace {

std::string ReplaceEvery(const std::string& text, const std::string& from, const std::string& to)
{
    std::string result;
    std::size_t at = 0;
    while (at < text.size()) {
        bool match = at + from.size() <= text.size();
        for (std::size_t k = 0; match && k < from.size(); ++k)
            match = std::tolower(static_cast<unsigned char>(text[at + k])) ==
                    std::tolower(static_cast<unsigned char>(from[k]));
        if (match) {
            result += to;
            at += from.size();
        } else {
            result += text[at++];
        }
    }
    return result;
}

std::string ByTheRule(std::string_view cut)
{
    std::string bits = ReplaceEvery(std::string(cut), "H,", "");
    static const char* const Digits = "0123456789ABCDEF";
    for (int value = 0; value < 16; ++value) {
        std::string binary;
        for (int bit = 3; bit >= 0; --bit)
            binary += ((value >> bit) & 1) ? '1' : '0';
        bits = ReplaceEvery(bits, std::string(1, Digits[value]), binary);
    }
    return bits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const auto decoded = DecodeLine(line);
    if (size < 13) {
        FUZZ_CHECK(!decoded.has_value(), "a line of %zu characters decoded", size);
        return 0;
    }
    FUZZ_CHECK(decoded.has_value(), "a line of %zu characters gave nothing", size);
    const std::string expected = ByTheRule(line.substr(11, size - 13));
    FUZZ_CHECK(*decoded == expected, "decoded %zu characters, expected %zu", decoded->size(), expected.size());
    return 0;
}
