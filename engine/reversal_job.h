// The reversal job: runs every stage of one job, in order, against a job
// context, from its first action to its clean-up. Front-ends run it on a
// thread of its own after the probe, the settings snapshot (ctx.m_settings)
// and the output path are set, and m_bCancel has been cleared.
#pragma once

#include "engine/job_context.h"

enum class JobOutcome { Done, Failed, Canceled };

// Runs the job and tells how it ended (the error code is in ctx.m_nError).
JobOutcome RunReversalJob(JobContext& ctx);

// Thread procedure form of the same: always returns 1.
unsigned ReversalThreadProc(JobContext* ctx);
