// Slow-mode reversal: reads the frames of a Motion-JPEG file by frame number,
// last frame first, and encodes them again into a new Motion-JPEG AVI file.
#pragma once

#include <string>

#include "engine/capture.h"
#include "engine/job_context.h"

// Writes the frames of the source in reverse order into target (writer with
// CAP_FFMPEG, "MJPG", rate and size of `info`). Logs its start line and sets
// the step label "Step %d : Reversing the video" with `step`. A frame that
// cannot be read at its position is skipped. A cancel request stops the loop
// before the next frame; the target then holds the frames written so far.
// Releases writer and capture. False when the writer cannot be created or the
// target does not hold the frames written (a full disk); error 04 has then
// been reported.
//
// `sourcePath`, when given, names the file the capture is open on: when that
// file's index lists the frames the capture counted, the frames are read
// through the index and decoded without the capture (same pictures, faster).
bool ReverseSlow(JobContext& ctx, cv::VideoCapture& cap, const SourceInfo& info,
                 const std::string& target, const std::string& previewPath, int step,
                 const std::string& sourcePath = std::string());
