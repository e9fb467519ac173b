// libFuzzer target for the WAV reversal's header reader: any byte string is
// either rejected or yields a layout whose every part lies inside the input.
#include <cstdint>
#include <cstdlib>

#include "audio/fuzz/wav_header_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!CheckWavHeader(data, size)) std::abort();
    return 0;
}
