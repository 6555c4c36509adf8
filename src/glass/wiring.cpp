#include "glass/wiring.h"

#include <charconv>
#include <optional>
#include <set>

namespace quillon::glass {

namespace {

std::optional<unsigned> Number(std::string_view text)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string Quoted(std::string_view text)
{
    std::string quoted(1, '"');
    quoted += text;
    quoted += '"';
    return quoted;
}

}  // namespace

Result<std::array<std::uint16_t, 4>> ParseAddresses(std::string_view text)
{
    std::array<std::uint16_t, 4> addresses{};
    std::set<unsigned> seen;
    std::size_t count = 0;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find(',', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view word = text.substr(start, end - start);
        const std::optional<unsigned> value = Number(word);
        if (!value || *value > 0xFFFF)
            return Failure{Quoted(word) + " is no external-memory address (0 to 0xFFFF)"};
        if (!seen.insert(*value).second)
            return Failure{"names address " + std::string(word) + " twice"};
        if (count == addresses.size())
            return Failure{"takes four addresses, not more"};
        addresses[count++] = static_cast<std::uint16_t>(*value);
        start = end + 1;
    }
    if (count != addresses.size())
        return Failure{"takes four addresses (command 1, data 1, command 2, data 2), not " + std::to_string(count)};
    return addresses;
}

Result<int> ParsePort(std::string_view text)
{
    if (text.size() == 2 && (text[0] == 'P' || text[0] == 'p') && text[1] >= '0' && text[1] <= '3')
        return text[1] - '0';
    return Failure{Quoted(text) + " is no port; give P0, P1, P2 or P3"};
}

Result<PortPin> ParsePin(std::string_view text)
{
    if (text.size() == 4 && text[2] == '.' && text[3] >= '0' && text[3] <= '7') {
        if (const Result<int> port = ParsePort(text.substr(0, 2)))
            return PortPin{*port, text[3] - '0'};
    }
    return Failure{Quoted(text) + " is no port pin; give one like P3.4 (P0.0 to P3.7)"};
}

Result<void> CheckPins(const Wiring& wiring)
{
    const std::array<std::pair<const char*, PortPin>, 4> pins{
        {{"--a0", wiring.a0}, {"--rw", wiring.rw}, {"--e1", wiring.e1}, {"--e2", wiring.e2}}};
    for (std::size_t i = 0; i < pins.size(); ++i) {
        if (pins[i].second.port == wiring.dataPort)
            return Failure{std::string(pins[i].first) + " " + pins[i].second.Name() + " is on the data port P" +
                           std::to_string(wiring.dataPort)};
        for (std::size_t j = 0; j < i; ++j) {
            if (pins[i].second == pins[j].second)
                return Failure{std::string(pins[j].first) + " and " + pins[i].first + " are both " +
                               pins[i].second.Name()};
        }
    }
    return {};
}

}  // namespace quillon::glass
