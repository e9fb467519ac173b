// libFuzzer target: any bytes through the reader as a sound source (a WAV
// file), read the way the fast join reads it (runs of sample frames).
#include <cstdlib>

#include "avi/fuzz/reader_exercise.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!avi::ExerciseSoundReading(data, size)) std::abort();
    return 0;
}
