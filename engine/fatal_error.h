// Reports a fatal error of a job: its log line, then its message box with the
// error icon, both in the job's language.
#pragma once

#include "engine/job_context.h"
#include "engine/job_texts.h"

void ReportFatalError(JobContext& ctx, const jobtext::ErrorText& error);
