// The promise of the input probe, checked by its fuzz target and by the
// replay of the inputs the fuzzer found: a file is accepted with values the
// job can use, or rejected with error 01 and the input forgotten; never a
// crash.
#pragma once

#include <string>

#include "engine/probe.h"
#include "engine/quiet_context.h"

// Probes the file at path; false when the probe broke its promise.
inline bool CheckProbe(const std::string& path) {
    QuietContext ctx;
    ctx.m_strInputPath = path;
    const ProbeResult r = ProbeInput(ctx);
    if (r.accepted)
        return r.width >= 0 && r.height >= 0 && ctx.m_strInputPath == path &&
               (ctx.m_bHasAudio == 0 || ctx.m_bHasAudio == 1) && ctx.m_nError == 0;
    return ctx.m_strInputPath.empty() && ctx.m_nError == 1;
}
