#include "engine/reversal_job.h"

#include <cstdio>
#include <exception>
#include <optional>
#include <string>

#include <opencv2/videoio.hpp>

#include "audio/extract.h"
#include "audio/wav_reverse.h"
#include "avi/copy.h"
#include "avi/fast_reverse.h"
#include "avi/mux.h"
#include "encode/final_encode.h"
#include "engine/capture.h"
#include "engine/convert.h"
#include "engine/fatal_error.h"
#include "engine/job_texts.h"
#include "engine/slow_reverse.h"
#include "engine/temp_files.h"

namespace {

// Runs one stage call; an exception escaping from a library counts as the
// stage's failure instead of ending the program.
template <typename F>
bool Guarded(F&& call) {
    try {
        return call();
    } catch (const std::exception&) {
        return false;
    } catch (...) {
        return false;
    }
}

class Job {
public:
    explicit Job(JobContext& ctx) : ctx_(ctx), lang_(ctx.Language()), s_(ctx.m_settings) {}

    JobOutcome Run() {
        Start();
        const JobOutcome outcome = Stages();
        CleanUp(outcome);
        return outcome;
    }

private:
    // A stage gives nothing when the job goes on, or how the job ends.
    using Stop = std::optional<JobOutcome>;

    const char* T(const Text& t) const { return t.Pick(lang_); }
    void Log(const Text& t) { ctx_.AppendLog(T(t)); }
    void Log(const Text& t, const std::string& path) { ctx_.AppendLog(T(t) + path + "\r\n"); }
    void Step(const Text& t) { ctx_.SetStepText(Format(T(t), step_)); }
    JobOutcome Fatal(const jobtext::ErrorText& e) {
        ReportFatalError(ctx_, e);
        return JobOutcome::Failed;
    }
    // For stages that report their own errors: the fallback error covers a
    // failure that escaped them (an exception from a library).
    JobOutcome FatalUnlessReported(const jobtext::ErrorText& fallback) {
        if (ctx_.m_nError == 0) ReportFatalError(ctx_, fallback);
        return JobOutcome::Failed;
    }

    // A. Busy state, plan lines.
    void Start() {
        ctx_.m_bBusy = 1;
        ctx_.SetBusyState(true);
        output_ = ctx_.m_strOutputPath;
        source_ = ctx_.m_strInputPath;
        soundWanted_ = ctx_.m_bHasAudio != 0 && s_.SoundOption != 0;
        step_ = 1;
        temps_ = ClaimTempFileSet();

        Log(jobtext::kStartProcess, output_);
        if (ctx_.m_bHasAudio) {
            switch (s_.SoundOption) {
            case 2: Log(jobtext::kSoundToFile, output_ + ".wav"); break;
            case 0: Log(jobtext::kSoundRemoved); break;
            case 3: Log(jobtext::kSoundKept); break;
            default: break;
            }
        }
    }

    JobOutcome Stages() {
        cv::VideoCapture cap;
        SourceInfo info;
        if (Stop stop = OpenAndConvert(cap, info)) return *stop;
        if (Stop stop = ReverseVideo(cap, info)) return *stop;
        if (Stop stop = ExtractSound()) return *stop;
        if (Stop stop = ReverseSound()) return *stop;
        if (Stop stop = WriteOutput(info.fps)) return *stop;

        // H. End message.
        if (ctx_.Cancelled()) return JobOutcome::Canceled;
        Log(jobtext::kProcessDone);
        ctx_.ShowMessage(T(jobtext::kEndBoxText), T(jobtext::kEndBoxTitle), kMbOk);
        return JobOutcome::Done;
    }

    // B and C. Open the input; convert it to Motion-JPEG unless it already is.
    Stop OpenAndConvert(cv::VideoCapture& cap, SourceInfo& info) {
        if (!Guarded([&] { return OpenCapture(cap, ctx_.m_strInputPath); })) return Fatal(jobtext::kError05);
        info = ReadSourceInfo(cap);
        if (ReadFourcc(cap) == kFourccMjpg) return {};

        SourceInfo converted;
        const SourceInfo input = info;
        if (!Guarded([&] {
                return ConvertToMjpeg(ctx_, cap, input, ctx_.m_strInputPath, temps_.mjpeg, temps_.preview, source_,
                                      converted);
            }))
            return FatalUnlessReported(jobtext::kError02);
        info = converted;
        if (ctx_.Cancelled()) return JobOutcome::Canceled;
        step_ = 2;
        Log(jobtext::kConversionEnded);
        return {};
    }

    // D. Video reversal, into the output itself or into a temporary file.
    Stop ReverseVideo(cv::VideoCapture& cap, SourceInfo& info) {
        if (ctx_.Cancelled()) return JobOutcome::Canceled;
        const bool direct = s_.OutputFormat == 0 && (!soundWanted_ || s_.SoundOption == 2);
        target_ = direct ? output_ : temps_.reversed;
        if (s_.FastComputation == 1) {
            Log(jobtext::kReversingFast, target_);
            Step(jobtext::kStepReverseVideo);
            cap.release();
            if (!Guarded([&] { return ReverseAviFast(ctx_, source_, target_); })) return Fatal(jobtext::kError07);
        } else {
            // An input that is already Motion-JPEG is read again with the
            // capture that seeks fastest by frame number.
            if (source_ == ctx_.m_strInputPath) {
                cap.release();
                if (!Guarded([&] { return OpenMjpegCapture(cap, source_); })) return Fatal(jobtext::kError05);
                info = ReadSourceInfo(cap);
            }
            if (!Guarded([&] { return ReverseSlow(ctx_, cap, info, target_, temps_.preview, step_, source_); }))
                return FatalUnlessReported(jobtext::kError04);
        }
        ++step_;
        if (!ctx_.Cancelled()) Log(jobtext::kVideoReverseEnded);
        return {};
    }

    // E. Sound extraction, from the user's own file.
    Stop ExtractSound() {
        if (ctx_.Cancelled()) return JobOutcome::Canceled;
        if (!soundWanted_) return {};
        Log(jobtext::kStartExtraction, temps_.audio);
        Step(jobtext::kStepExtractAudio);
        if (!Guarded([&] { return ExtractAudioTrack(ctx_, ctx_.m_strInputPath, temps_.audio); })) {
            Log(jobtext::kWarnExtraction);
            soundWanted_ = false;
        }
        ++step_;
        Log(jobtext::kExtractionEnded);
        return {};
    }

    // F. Sound reversal (or the extracted sound as it is).
    Stop ReverseSound() {
        if (ctx_.Cancelled()) return JobOutcome::Canceled;
        if (!soundWanted_) return {};
        if (s_.SoundOption == 3) {
            sound_ = temps_.audio;
            return {};
        }
        sound_ = temps_.audioRev;
        const std::string target = s_.SoundOption == 2 ? output_ + ".wav" : temps_.audioRev;
        if (s_.SoundOption == 2) separateWav_ = target;
        Log(jobtext::kStartAudioReverse, target);
        Step(jobtext::kStepReverseAudio);
        if (!Guarded([&] { return ReverseWavFile(ctx_, temps_.audio, target); })) {
            Log(jobtext::kWarnAudioReverse);
            soundWanted_ = false;
            std::remove(target.c_str());
        }
        ++step_;
        Log(jobtext::kAudioReverseEnded);
        // The sound now lives in its own file: the video output gets none.
        if (s_.SoundOption == 2) soundWanted_ = false;
        return {};
    }

    // G. Output: join, copy or final encoding by output format.
    Stop WriteOutput(double fps) {
        if (ctx_.Cancelled()) return JobOutcome::Canceled;
        const std::string sound = soundWanted_ ? sound_ : std::string();
        const int bitrate = s_.BitrateSameAsInput != 0 ? -1 : s_.bitrate;
        const std::string& input = ctx_.m_strInputPath;
        switch (s_.OutputFormat) {
        case 0:
            if (soundWanted_ && s_.FastComputation == 1) {
                Log(jobtext::kMuxFast, output_);
                Step(jobtext::kStepMux);
                if (!Guarded([&] { return MuxAviAndWav(ctx_, target_, sound_, output_, fps); }))
                    return Fatal(jobtext::kError08);
            } else if (soundWanted_) {
                Log(jobtext::kMuxSlow, output_);
                Step(jobtext::kStepMux);
                if (!Guarded([&] { return EncodeToAvi(ctx_, target_, sound_, output_); }))
                    return Fatal(jobtext::kError09);
            } else if (target_ != output_) {
                Log(jobtext::kCopyOutput, output_);
                Step(jobtext::kStepCopy);
                if (!Guarded([&] { return CopyFileWithProgress(ctx_, target_, output_); }))
                    return Fatal(jobtext::kError20409);
                Log(jobtext::kCopyDone);
            }
            return {};
        case 1:
            Log(jobtext::kEncodeSame, output_);
            Step(jobtext::kStepEncodeSame);
            if (!Guarded([&] { return EncodeSameAsInput(ctx_, target_, sound, output_, input, bitrate); }))
                return Fatal(jobtext::kError10Same);
            return {};
        case 2:
            Log(jobtext::kEncodeWmv, output_);
            Step(jobtext::kStepEncodeWmv);
            if (!Guarded([&] { return EncodeToWmv(ctx_, target_, sound, output_, bitrate, input); }))
                return Fatal(jobtext::kError10Wmv);
            return {};
        case 3:
            Log(jobtext::kEncodeMp4, output_);
            Step(jobtext::kStepEncodeMp4);
            if (!Guarded([&] { return EncodeToMp4(ctx_, target_, sound, output_, bitrate, input); }))
                return Fatal(jobtext::kError11);
            return {};
        default:
            return {};
        }
    }

    // H2 and I: cancel line, clean-up on every path.
    void CleanUp(JobOutcome outcome) {
        if (outcome == JobOutcome::Canceled) Log(jobtext::kProcessCanceled);
        temps_.RemoveAll();
        ctx_.LoadFromMemory(nullptr, 0);
        ctx_.SetProgressPos(0);
        ctx_.SetProgressRange(10);
        // Decided on the path the job took, not on the flag: a Cancel click
        // after the end message must not delete a finished output.
        if (outcome == JobOutcome::Canceled) {
            ctx_.SetStepText(T(jobtext::kStepCanceled));
            std::remove(output_.c_str());
            // Only a sound file this job has begun to write: an older file of
            // that name is not the job's to delete.
            if (!separateWav_.empty()) std::remove(separateWav_.c_str());
        } else {
            ctx_.SetStepText("");
        }
        ctx_.SetBusyState(false);
        ctx_.m_bBusy = 0;
    }

    JobContext& ctx_;
    const int lang_;
    const AppSettings s_;
    TempFileSet temps_;
    std::string output_;
    std::string source_;    // the file the video reversal reads
    std::string target_;    // the file the video reversal writes
    std::string sound_;     // the sound joined to the video
    std::string separateWav_;  // output + ".wav" once the job writes it
    bool soundWanted_ = false;
    int step_ = 1;
};

}  // namespace

JobOutcome RunReversalJob(JobContext& ctx) {
    ctx.m_nError = 0;
    return Job(ctx).Run();
}

unsigned ReversalThreadProc(JobContext* ctx) {
    RunReversalJob(*ctx);
    return 1;
}
