// The input probe: opens the chosen file with the video capture, reports its
// size, rate, length, codec and sound in the log, and sets the job's
// m_dDuration and m_bHasAudio. Runs on the user-interface thread, never
// during a job.
#pragma once

#include <string>

#include "engine/job_context.h"

struct ProbeResult {
    bool accepted = false;   // false: error 01 was reported (or no input was set)
    int width = 0;
    int height = 0;
    double fps = 0.0;
    int frameCount = 0;
    std::string codec;       // the four-character code as text, up to its first zero byte
    std::string info;        // "%dx%d    %.2f fps     %.2f s"
};

// Probes ctx.m_strInputPath. An empty path changes nothing. A file the capture
// cannot open is rejected with error 01 (log line and message box) and
// ctx.m_strInputPath becomes "".
ProbeResult ProbeInput(JobContext& ctx);
