// Bytes read in pieces from wherever they are: a file, standard input, or
// memory. A decoder that reads through one never needs the whole file at once.
#pragma once

#include "common/result.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

namespace quillon {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes into `into`: the count read, 0 at the end.
    virtual Result<std::size_t> Read(std::uint8_t* into, std::size_t size) = 0;
};

// Bytes held in memory.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    Result<std::size_t> Read(std::uint8_t* into, std::size_t size) override
    {
        const std::size_t count = std::min(size, bytes_.size() - at_);
        std::memcpy(into, bytes_.data() + at_, count);
        at_ += count;
        return count;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

// The bytes already read from a source's start, then the rest of it.
class ResumedSource final : public ByteSource {
public:
    ResumedSource(std::string head, ByteSource& rest) : head_(std::move(head)), rest_(rest) {}
    Result<std::size_t> Read(std::uint8_t* into, std::size_t size) override
    {
        if (at_ < head_.size()) {
            const std::size_t count = std::min(size, head_.size() - at_);
            std::memcpy(into, head_.data() + at_, count);
            at_ += count;
            return count;
        }
        return rest_.Read(into, size);
    }

private:
    std::string head_;
    std::size_t at_ = 0;
    ByteSource& rest_;
};

}  // namespace quillon
