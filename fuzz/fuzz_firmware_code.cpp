// Any bytes as the Intel HEX file glass loads a firmware from: a refusal is
// one line; a file read loads 64 KiB or less, and the code it loads, written
// again as Intel HEX, reads back the same.
#include "fuzz_check.h"
#include "glass/glass.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quillon;
    using namespace quillon::glass;
    const Result<Code> code = CodeOf(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!code) {
        FUZZ_CHECK(!code.Error().empty() && code.Error().find('\n') == std::string::npos, "refusal \"%s\"",
                   code.Error().c_str());
        return 0;
    }
    FUZZ_CHECK(code->size() == 0x10000, "%zu bytes of code space", code->size());
    std::string again;
    for (std::size_t address = 0; address < code->size(); ++address) {
        const int byte = (*code)[address];
        FUZZ_CHECK(byte >= -1 && byte <= 255, "byte %d at %zu", byte, address);
        if (byte < 0)
            continue;
        const unsigned sum = 1 + (address >> 8) + (address & 0xFF) + static_cast<unsigned>(byte);
        char record[32];
        std::snprintf(record, sizeof record, ":01%04zX00%02X%02X\n", address, static_cast<unsigned>(byte),
                      -sum & 0xFFu);
        again += record;
    }
    again += ":00000001FF\n";
    const Result<Code> read = CodeOf(again);
    FUZZ_CHECK(read && *read == *code, "the code written again reads back %s", read ? "other bytes" : "refused");
    return 0;
}
