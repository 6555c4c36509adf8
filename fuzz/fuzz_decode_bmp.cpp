// Any bytes through DecodePicture; the seeds are BMP files, so that the fuzzer
// works mostly on that format's decoder.
#include "fuzz_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return CheckDecode(data, size);
}
