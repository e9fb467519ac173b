// Log lines of the final encoding, each in its four variants (see engine/texts.h).
#pragma once

#include "engine/texts.h"

namespace enctext {

// Automatic replacements made while preparing the output (full lines).
extern const Text kVideoMsmpeg4;     // "   Video codec has been automatically replaced by MSMPEG4\r\n"
extern const Text kVideoMpeg4;       // "   Video codec has been automatically replaced by MPEG4\r\n"
extern const Text kFormatMov;        // "   File format has been automatically changed to MOV\r\n"
extern const Text kAudioRemoved;     // "   Error while looking for a valid audio codec. Sound will be removed\r\n"
extern const Text kAudioPcm;         // "   Audio codec has been automatically replaced by uncompressed PCM\r\n"
extern const Text kAudioAac;         // "   Audio codec has been automatically replaced by AAC\r\n"

// The sound file cannot be opened (full line).
extern const Text kAudioOpenError;   // "   Error while opening audio file. Sound will be removed\r\n"

}  // namespace enctext
