#include "engine/fatal_error.h"

void ReportFatalError(JobContext& ctx, const jobtext::ErrorText& error) {
    const int lang = ctx.Language();
    ctx.m_nError = error.code;
    ctx.AppendLog(error.log.Pick(lang));
    ctx.ShowMessage(error.box.Pick(lang), jobtext::kErrorTitle.Pick(lang), kMbIconError);
}
