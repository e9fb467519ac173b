// The transcode-and-mux loop of the final encoding: decodes the reversed
// Motion-JPEG video picture by picture, encodes it again with the sound
// interleaved, and writes the final file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/codec_id.h>
}

#include "engine/job_context.h"

namespace enc {

// Writes `outputPath` from the video source `videoPath` and the WAV file
// `audioPath` ("" for no sound), with the container and codecs given (or,
// for "" and AV_CODEC_ID_NONE, those of `referencePath`). Logs the automatic
// replacements, reports progress in milliseconds, shows every 16th picture
// and stops the pictures on cancel (the sound is still finished).
// Returns false when the video source cannot be opened, the output cannot be
// prepared, or a write to the output fails; true otherwise, also when cancelled.
bool EncodeFinalFile(JobContext& ctx, const std::string& videoPath, const std::string& audioPath,
                     const std::string& outputPath, int bitrateKbps, const std::string& referencePath,
                     const std::string& formatName, AVCodecID videoCodecId, AVCodecID audioCodecId);

// The log lines that tell the replacements of a SetupOutput result, in order.
std::vector<std::string> ReplacementLines(int result, int language);

// Seconds as a progress value in milliseconds: truncated, 0 for a negative or
// non-finite value, at most INT_MAX.
int ProgressMillis(double seconds);

}  // namespace enc
