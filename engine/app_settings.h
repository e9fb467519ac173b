// The settings a job runs with: a plain snapshot of the stored values.
// Field names follow the stored value names. Reading and writing the store
// lives in settings/settings_store.h (QtCore); the engine only sees this record.
#pragma once

#include <cstdint>

struct AppSettings {
    std::int32_t Language = 0;           // 1 French, 2 Italian, 3 Spanish, else default
    std::int32_t ShowDebug = 0;
    std::int32_t SoundOption = 1;        // 0 remove, 1 reverse, 2 separate WAV, 3 keep
    std::int32_t OutputFormat = 0;       // 0 MJPEG AVI, 1 same as input, 2 WMV, 3 MP4
    std::int32_t bitrate = 24000;        // kbit/s
    std::int32_t FastComputation = 1;    // 1 fast, anything else slow
    std::int32_t BitrateSameAsInput = 1;
    std::int32_t ReplaceH264 = 0;
    std::int32_t ReplaceMTS = 1;
};

// Language indices.
enum : int { kLangDefault = 0, kLangFrench = 1, kLangItalian = 2, kLangSpanish = 3 };
