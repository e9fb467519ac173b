// Fast reversal: writes the video frames of a Motion-JPEG AVI in reverse
// order into a new AVI, moving the compressed frames without decoding them.
#pragma once

#include <string>

#include "engine/job_context.h"

// Output frame i is source frame N-1-i, every frame a key frame, in one video
// stream named "Video #1" with the source's stream record and the source
// format's BITMAPINFOHEADER. Reports progress in frames and previews every
// 16th written frame through ctx; stops early when ctx.m_bCancel is set and
// still completes the output. False when the source cannot be read, has no
// video stream, no sane picture size or no time base (a scale or rate of 0),
// the output cannot be created, or a write fails.
bool ReverseAviFast(JobContext& ctx, const std::string& sourcePath, const std::string& targetPath);
