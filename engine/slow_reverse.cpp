#include "engine/slow_reverse.h"

#include "engine/fatal_error.h"
#include "engine/job_texts.h"
#include "engine/mjpeg_writer.h"

bool ReverseSlow(JobContext& ctx, cv::VideoCapture& cap, const SourceInfo& info,
                 const std::string& target, const std::string& previewPath, int step) {
    const int lang = ctx.Language();
    // The writer encodes on a thread of its own: the next frame is read and
    // decoded while the last one is encoded.
    MjpegWriter writer;
    if (!writer.Open(target, info.fps, info.width, info.height)) {
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
            writer.Write(frame);
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
