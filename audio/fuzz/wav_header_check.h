// The promise of the WAV reversal's header reader, checked by its fuzz
// target and by the replay of the inputs the fuzzer found: any byte string is
// either rejected or yields a layout whose every part lies inside the input.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/wav_reverse.h"

// False when the reader accepted the bytes with a layout that breaks its promise.
inline bool CheckWavHeader(const std::uint8_t* data, std::size_t size) {
    WavLayout layout;
    if (!ParseWavLayout(data, size, &layout)) return true;
    const std::uint64_t wholeBytes =
        static_cast<std::uint64_t>(layout.totalFrames) * static_cast<std::uint64_t>(layout.blockAlign);
    return layout.blockAlign > 0 && layout.fmtSize >= 16 && layout.dataSize <= 0x7FFFFFFFu &&
           layout.dataOffset <= size && wholeBytes <= size - layout.dataOffset;
}
