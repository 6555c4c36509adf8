// Numbers kept in 16 and 32 bits whose every store is checked: a result out of
// range is refused with std::overflow_error instead of wrapping.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quillon {

// A 16-bit signed field: every value stored into it lies in -32768..32767.
class Int16 {
public:
    constexpr Int16() = default;
    constexpr Int16(std::int64_t value) : value_(Guard(value)) {}  // NOLINT: stores go through the guard

    constexpr operator std::int32_t() const { return value_; }  // NOLINT: reads widen freely

    static constexpr std::int16_t Guard(std::int64_t value)
    {
        if (value < -32768 || value > 32767)
            throw std::overflow_error("16-bit result out of range: " + std::to_string(value));
        return static_cast<std::int16_t>(value);
    }

private:
    std::int16_t value_ = 0;
};

// The same guard for the 32-bit whole numbers that take part in that arithmetic.
constexpr std::int32_t Guard32(std::int64_t value)
{
    if (value < INT32_MIN || value > INT32_MAX)
        throw std::overflow_error("32-bit result out of range: " + std::to_string(value));
    return static_cast<std::int32_t>(value);
}

}  // namespace quillon
