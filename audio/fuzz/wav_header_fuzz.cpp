// libFuzzer target for the WAV reversal's header reader: any byte string is
// either rejected or yields a layout whose every part lies inside the input.
#include <cstdint>
#include <cstdlib>

#include "audio/wav_reverse.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WavLayout layout;
    if (!ParseWavLayout(data, size, &layout)) return 0;
    const std::uint64_t wholeBytes =
        static_cast<std::uint64_t>(layout.totalFrames) * static_cast<std::uint64_t>(layout.blockAlign);
    if (layout.blockAlign <= 0 || layout.fmtSize < 16 || layout.dataSize > 0x7FFFFFFFu ||
        layout.dataOffset > size || wholeBytes > size - layout.dataOffset)
        std::abort();
    return 0;
}
