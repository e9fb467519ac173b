// The persisted settings: named integers in the section "Settings" of the
// per-user store of organisation "Quillon Software". The windows and the
// command-line front-end share one store, named after the window program.
#pragma once

#include "engine/app_settings.h"

namespace settings {

// Value names, exactly as stored.
extern const char* const kLanguage;   // "界面语言"
extern const char* const kSoundOption;
extern const char* const kOutputFormat;
extern const char* const kBitrate;
extern const char* const kFastComputation;
extern const char* const kBitrateSameAsInput;
extern const char* const kReplaceH264;
extern const char* const kShowDebug;
extern const char* const kReplaceMTS;

// The stored value, or def when it is absent or not an integer.
int ReadInt(const char* name, int def);
// Stores the value; a failed write is ignored.
void WriteInt(const char* name, int value);

// The seven job values with their job-start defaults, into s (Language and
// ShowDebug are left as they are).
void ReadJobSettings(AppSettings& s);

}  // namespace settings
