#include "engine/probe.h"

#include <opencv2/videoio.hpp>

#include "audio/extract.h"
#include "engine/capture.h"
#include "engine/fatal_error.h"
#include "engine/job_texts.h"
#include "engine/numeric.h"

namespace {

std::string CodecText(int fourcc) {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>((static_cast<unsigned>(fourcc) >> (8 * i)) & 0xFF);
        if (c == '\0') break;
        text += c;
    }
    return text;
}

}  // namespace

ProbeResult ProbeInput(JobContext& ctx) {
    ProbeResult r;
    if (ctx.m_strInputPath.empty()) return r;
    const int lang = ctx.Language();

    ctx.m_bHasAudio = 0;
    ctx.ClearLog();
    ctx.AppendLog(std::string(jobtext::kOpenningFile.Pick(lang)) + ctx.m_strInputPath + "\r\n");

    cv::VideoCapture cap;
    if (!OpenCapture(cap, ctx.m_strInputPath)) {
        ReportFatalError(ctx, jobtext::kError01);
        ctx.m_strInputPath.clear();
        return r;
    }
    // Read in the order width, height, rate, count, codec.
    const double width = cap.get(cv::CAP_PROP_FRAME_WIDTH);
    const double height = cap.get(cv::CAP_PROP_FRAME_HEIGHT);
    const double fps = cap.get(cv::CAP_PROP_FPS);
    const double count = cap.get(cv::CAP_PROP_FRAME_COUNT);
    const int fourcc = ReadFourcc(cap);
    cap.release();

    r.width = ToIntOrZero(width);
    r.height = ToIntOrZero(height);
    r.fps = fps;
    r.frameCount = ToIntOrZero(count);
    r.codec = CodecText(fourcc);
    // The duration is shown as the division gives it (inf or nan for a zero
    // rate); users of it guard the conversion to an integer range.
    ctx.m_dDuration = count / fps;

    ctx.m_bHasAudio = HasAudioTrack(ctx.m_strInputPath) ? 1 : 0;

    std::string report = Format(jobtext::kProbeReport.Pick(lang), r.width, r.height, r.fps, r.frameCount,
                                ctx.m_dDuration, r.codec.c_str());
    report += ctx.m_bHasAudio ? jobtext::kAudioDetected.Pick(lang) : jobtext::kNoAudioDetected.Pick(lang);
    ctx.AppendLog(report);
    r.info = Format(jobtext::kInfoFormat, r.width, r.height, r.fps, ctx.m_dDuration);
    r.accepted = true;
    return r;
}
