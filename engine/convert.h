// Conversion of a video that is not Motion-JPEG into the job's intermediate
// Motion-JPEG AVI file (Step 1), done a second time at a scaled-down frame
// rate (Step 1b) when far fewer frames came out than the input reported.
#pragma once

#include <string>

#include "engine/capture.h"
#include "engine/job_context.h"

// Step 1 (and Step 1b when needed). `cap` is open on the input and `input`
// describes it. On true: cap is open on the finished intermediate file, `out`
// describes it and sourcePath == mjpegPath. On false a fatal error (02, 03 or
// 05) has been reported (log line + message box), cap is released, and the
// caller goes to its clean-up. A cancel request stops the frame loop; the
// intermediate then holds the frames converted so far and Step 1b is not run.
bool ConvertToMjpeg(JobContext& ctx, cv::VideoCapture& cap, const SourceInfo& input,
                    const std::string& inputPath, const std::string& mjpegPath,
                    const std::string& previewPath, std::string& sourcePath, SourceInfo& out);

// The Step 1b decision: N1 < (3*N0)/4 && N1 != 0 && N0 != 0 (integer
// arithmetic, no overflow for big N0).
bool NeedsStep1b(int n0, int n1);
