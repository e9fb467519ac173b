#include "engine/slow_reverse.h"

#include "engine/fatal_error.h"
#include "engine/job_texts.h"

bool ReverseSlow(JobContext& ctx, cv::VideoCapture& cap, const SourceInfo& info,
                 const std::string& target, const std::string& previewPath, int step) {
    const int lang = ctx.Language();
    cv::VideoWriter writer;
    if (!OpenMjpegWriter(writer, target, info.fps, info.width, info.height)) {
        cap.release();
        ReportFatalError(ctx, jobtext::kError04);
        return false;
    }

    const int n = info.frameCount;
    ctx.SetProgressPos(0);
    ctx.SetProgressRange(n);
    ctx.AppendLog(jobtext::kReversingSlow.Pick(lang) + target + "\r\n");
    ctx.SetStepText(Format(jobtext::kStepReverseVideo.Pick(lang), step));

    cv::Mat frame;
    int written = 0;
    for (int i = 0; i < n && !ctx.Cancelled(); ++i) {
        if (ReadFrameAt(cap, n - 1 - i, frame)) {
            if ((i & 15) == 0) {
                SaveFramePicture(frame, previewPath);
                ctx.LoadFromFile(previewPath);
            }
            writer.write(frame);
            ++written;
        }
        ctx.SetProgressPos(i);
    }

    // The writer does not report failed writes: a file short of frames (disk
    // full) is checked for here, unless the job is being cancelled anyway.
    const bool complete = CloseMjpegWriter(writer, target, written);
    cap.release();
    if (!complete && !ctx.Cancelled()) {
        ReportFatalError(ctx, jobtext::kError04);
        return false;
    }
    return true;
}
