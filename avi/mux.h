// Fast join: copies the video frames of an AVI and the sample frames of a PCM
// WAV file into one new AVI, interleaved, without decoding anything.
#pragma once

#include <string>

#include "engine/job_context.h"

// Stream 0 is the video ("Video #1"), frames in their own order; stream 1 the
// sound ("Audio #1", 16-byte PCM format), written in bursts so that it runs at
// most one read ahead of the video at frameRate frames per second; the sound
// left when the frames end (or are cancelled) is appended. False when an input
// cannot be read, lacks its stream, the frame rate is not positive, the
// picture size is not sane, the sound has no sample size or rate, the output
// cannot be created, or a write fails.
bool MuxAviAndWav(JobContext& ctx, const std::string& videoPath, const std::string& wavPath,
                  const std::string& outputPath, double frameRate);
