// libFuzzer target: any bytes through the AVI reader, every stream read the
// way the fast reversal reads it (single frames, from the end).
#include <cstdlib>

#include "avi/fuzz/reader_exercise.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!avi::ExerciseFrameReading(data, size)) std::abort();
    return 0;
}
