// The final encodings a job can ask for. Each writes `outputPath` from the
// reversed Motion-JPEG AVI `videoPath` and the WAV file `soundPath` ("" means:
// no sound track in the output), reports through the job context only, and
// returns false when the file could not be written (true also after a cancel).
// `bitrate` is in kbit/s; -1 means the input's bit rate.
#pragma once

#include <string>

#include "engine/job_context.h"

// Motion-JPEG AVI with 16-bit PCM sound (the Slow-mode join).
bool EncodeToAvi(JobContext& ctx, const std::string& videoPath, const std::string& soundPath,
                 const std::string& outputPath);
// The container and codecs of `inputPath`, with the automatic replacements.
bool EncodeSameAsInput(JobContext& ctx, const std::string& videoPath, const std::string& soundPath,
                       const std::string& outputPath, const std::string& inputPath, int bitrate);
// ASF with MS-MPEG-4 version 3 and WMA version 2.
bool EncodeToWmv(JobContext& ctx, const std::string& videoPath, const std::string& soundPath,
                 const std::string& outputPath, int bitrate, const std::string& inputPath);
// MP4 with MPEG-4 video and AAC sound.
bool EncodeToMp4(JobContext& ctx, const std::string& videoPath, const std::string& soundPath,
                 const std::string& outputPath, int bitrate, const std::string& inputPath);
