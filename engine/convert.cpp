#include "engine/convert.h"

#include <unistd.h>

#include <algorithm>

#include <opencv2/imgproc.hpp>

#include "engine/fatal_error.h"
#include "engine/job_texts.h"
#include "engine/mjpeg_writer.h"
#include "engine/numeric.h"
#include "engine/video_decoder.h"

namespace {

// What differs between Step 1 and Step 1b.
struct Pass {
    const Text& stepLabel;
    int failureLimit;       // consecutive failed reads that end the loop
    const Text& warning;    // logged when the limit is reached
};

const Pass kPassStep1 = {jobtext::kStep1, 5, jobtext::kWarnFiveErrors};
const Pass kPassStep1b = {jobtext::kStep1b, 6, jobtext::kWarnSixErrors};

// Decodes up to `frames` frames (every frame when `frames` is 0 or less) from
// cap and writes them into a new Motion-JPEG file at `target`, then releases
// the writer and the capture. False when the
// writer cannot be created (nothing read, capture left open) or the file
// written does not hold the frames handed to it.
//
// When the input's pictures can be read as they are decoded (see
// VideoDecoder), they are read from `inputPath` directly and handed to the
// writer in their own colour format: the same frames, in the same order,
// without the capture's conversion to BGR and the writer's conversion back.
bool ConvertFrames(JobContext& ctx, cv::VideoCapture& cap, const std::string& inputPath,
                   const std::string& target, double fps, int width, int height, int frames,
                   const std::string& previewPath, const Pass& pass) {
    const int lang = ctx.Language();
    // The writer makes no picture narrower or lower than 2 pixels (it rounds
    // odd sizes down): a 1-pixel side is written as 2, the frames enlarged.
    const bool enlarge = width == 1 || height == 1;
    const cv::Size size(enlarge ? std::max(width, 2) : width, enlarge ? std::max(height, 2) : height);
    MjpegWriter writer;
    if (!writer.Open(target, fps, size.width, size.height)) return false;

    VideoDecoder decoder;
    const bool direct = !enlarge && decoder.Open(inputPath) && decoder.Width() == width &&
                        decoder.Height() == height;
    ff::FramePtr picture(direct ? av_frame_alloc() : nullptr);

    ctx.SetProgressPos(0);
    ctx.SetProgressRange(frames);
    ctx.SetStepText(pass.stepLabel.Pick(lang));

    // A capture that reports no frame count (a still picture, some streams)
    // is read until it has no more frames.
    const bool counted = frames > 0;
    cv::Mat frame;
    int failures = 0;
    int written = 0;
    for (int i = 0; (!counted || i < frames) && !ctx.Cancelled(); ++i) {
        const bool got = direct ? picture && decoder.Read(picture.get()) : ReadFrame(cap, frame);
        if (got) {
            failures = 0;
            if ((i & 15) == 0) {
                if (!direct || decoder.ToBgr(picture.get(), frame)) SaveFramePicture(frame, previewPath);
                ctx.LoadFromFile(previewPath);
            }
            if (direct) {
                writer.Write(picture.get());
            } else {
                if (enlarge) cv::resize(frame, frame, size, 0, 0, cv::INTER_NEAREST);
                writer.Write(frame);
            }
            ++written;
        } else if (!counted) {
            break;
        } else if (++failures >= pass.failureLimit) {
            ctx.AppendLog(pass.warning.Pick(lang));
            break;
        }
        ctx.SetProgressPos(i);
    }

    // A file short of frames (disk full) is a failed intermediate, unless the
    // job is being cancelled anyway. A file that is gone altogether is left
    // to the reopen that follows (error 03).
    const bool complete = CloseMjpegWriter(writer, target, written);
    cap.release();
    return complete || ctx.Cancelled() || ::access(target.c_str(), F_OK) != 0;
}

// Opens the finished intermediate file and describes it; reports error 03
// (with the given log variant) when it cannot be opened, or holds no frame
// at all (not one frame of the input could be decoded) unless the job is
// being cancelled.
bool OpenIntermediate(JobContext& ctx, cv::VideoCapture& cap, const std::string& mjpegPath,
                      const jobtext::ErrorText& error03, SourceInfo& out) {
    if (!OpenMjpegCapture(cap, mjpegPath)) {
        ReportFatalError(ctx, error03);
        return false;
    }
    out = ReadSourceInfo(cap);
    if (out.frameCount <= 0 && !ctx.Cancelled()) {
        cap.release();
        ReportFatalError(ctx, error03);
        return false;
    }
    return true;
}

}  // namespace

bool NeedsStep1b(int n0, int n1) {
    const long long threshold = (3LL * n0) / 4;
    return n1 < threshold && n1 != 0 && n0 != 0;
}

bool ConvertToMjpeg(JobContext& ctx, cv::VideoCapture& cap, const SourceInfo& input,
                    const std::string& inputPath, const std::string& mjpegPath,
                    const std::string& previewPath, std::string& sourcePath, SourceInfo& out) {
    const int lang = ctx.Language();

    // Step 1: every frame of the input at its own rate and size.
    ctx.AppendLog(jobtext::kNotMjpeg.Pick(lang) + mjpegPath + "\r\n");
    sourcePath = mjpegPath;
    if (!ConvertFrames(ctx, cap, inputPath, mjpegPath, input.fps, input.width, input.height,
                       input.frameCount, previewPath, kPassStep1)) {
        cap.release();
        ReportFatalError(ctx, jobtext::kError02);
        return false;
    }
    if (!OpenIntermediate(ctx, cap, mjpegPath, jobtext::kError03Step1, out)) return false;

    // A cancelled conversion keeps what it wrote; the job ends on its cancel path.
    if (ctx.Cancelled()) return true;
    const int n0 = input.frameCount;
    const int n1 = out.frameCount;
    if (!NeedsStep1b(n0, n1)) return true;

    // Step 1b: the input again, only as many frames as Step 1 obtained, at a
    // rate scaled so that the video keeps its duration.
    const double r1 = static_cast<double>(n1) * input.fps / n0;
    ctx.AppendLog(Format(jobtext::kSpecialCondition.Pick(lang), r1));
    cap.release();
    if (!OpenCapture(cap, inputPath)) {
        ReportFatalError(ctx, jobtext::kError05);
        return false;
    }
    const int width = ToIntOrZero(cap.get(cv::CAP_PROP_FRAME_WIDTH));
    const int height = ToIntOrZero(cap.get(cv::CAP_PROP_FRAME_HEIGHT));
    if (!ConvertFrames(ctx, cap, inputPath, mjpegPath, r1, width, height, n1, previewPath, kPassStep1b)) {
        cap.release();
        ReportFatalError(ctx, jobtext::kError02);
        return false;
    }
    return OpenIntermediate(ctx, cap, mjpegPath, jobtext::kError03Step1b, out);
}
