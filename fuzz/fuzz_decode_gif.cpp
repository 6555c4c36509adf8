// Any bytes through DecodePicture; the seeds are GIF files. The first byte
// picks the frame (0 to 3), so that composing frames is reached too.
#include "fuzz_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    return CheckDecode(data + 1, size - 1, data[0] % 4);
}
