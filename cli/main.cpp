// ambrelo-cli: the reversal jobs of the window, run in a terminal.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

#include <CLI/CLI.hpp>
#include <opencv2/core/utils/logger.hpp>

extern "C" {
#include <libavutil/log.h>
}

#include "cli/console_context.h"
#include "cli/demo.h"
#include "engine/output_naming.h"
#include "engine/probe.h"
#include "engine/reversal_job.h"
#include "engine/temp_files.h"
#include "settings/settings_store.h"

namespace {

// Exit statuses besides the error numbers 1..11 (12 for error 2.04.09).
constexpr int kExitDone = 0;
constexpr int kExitUsage = 64;
constexpr int kExitCanceled = 130;

JobContext* g_job = nullptr;

extern "C" void OnInterrupt(int) {
    // Ctrl-C is the Cancel button: the job takes its cancel path and cleans up.
    if (g_job) g_job->m_bCancel.store(1);
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "ambrelo-cli: %s\n", message.c_str());
    return kExitUsage;
}

bool FileExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Writes a video played backwards, with its sound removed, reversed, reversed into a "
                 "separate WAV file, or kept.",
                 "ambrelo-cli"};
    std::string input, output, sound, format, bitrate, mode, language;
    bool probeOnly = false, force = false, demo = false, quiet = false;
    bool replaceH264 = false, noReplaceH264 = false, replaceMts = false, noReplaceMts = false;

    app.add_option("INPUT", input, "the video to reverse");
    app.add_option("-o,--output", output, "output file (default: the name the save dialog would propose)");
    app.add_option("--sound", sound, "what happens to the sound")
        ->check(CLI::IsMember({"remove", "reverse", "separate", "keep"}));
    app.add_option("--format", format, "output format")->check(CLI::IsMember({"avi", "same", "wmv", "mp4"}));
    app.add_option("--bitrate", bitrate, "output bit rate in kbit/s, or 'same' for the input's");
    app.add_option("--mode", mode, "computation mode")->check(CLI::IsMember({"fast", "slow"}));
    auto* rh = app.add_flag("--replace-h264", replaceH264, "encode MPEG-4 instead of H.264");
    auto* nrh = app.add_flag("--no-replace-h264", noReplaceH264, "keep H.264");
    rh->excludes(nrh);
    auto* rm = app.add_flag("--replace-mts", replaceMts, "write MOV instead of an MPEG transport stream");
    auto* nrm = app.add_flag("--no-replace-mts", noReplaceMts, "keep the MPEG transport stream");
    rm->excludes(nrm);
    app.add_option("--language", language, "language of the log and messages")
        ->check(CLI::IsMember({"en", "fr", "it", "es"}));
    app.add_flag("--probe", probeOnly, "print the probe report and exit");
    app.add_flag("--force", force, "replace an existing output file");
    app.add_flag("--demo", demo, "make a short demo clip with sound, then reverse it");
    app.add_flag("-q,--quiet", quiet, "no progress display");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kExitUsage;
    }

    // The libraries' own chatter would drown the log; their errors still show.
    av_log_set_level(AV_LOG_ERROR);
    cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_ERROR);

    // Stored settings, then this run's options (never written back).
    AppSettings s;
    s.Language = settings::ReadInt(settings::kLanguage, 0);
    settings::ReadJobSettings(s);
    if (!language.empty()) s.Language = language == "fr" ? 1 : language == "it" ? 2 : language == "es" ? 3 : 0;
    if (!sound.empty())
        s.SoundOption = sound == "remove" ? 0 : sound == "reverse" ? 1 : sound == "separate" ? 2 : 3;
    if (!format.empty()) s.OutputFormat = format == "avi" ? 0 : format == "same" ? 1 : format == "wmv" ? 2 : 3;
    if (!mode.empty()) s.FastComputation = mode == "fast" ? 1 : 0;
    if (replaceH264) s.ReplaceH264 = 1;
    if (noReplaceH264) s.ReplaceH264 = 0;
    if (replaceMts) s.ReplaceMTS = 1;
    if (noReplaceMts) s.ReplaceMTS = 0;
    if (!bitrate.empty()) {
        if (bitrate == "same") {
            s.BitrateSameAsInput = 1;
        } else {
            const bool digits = bitrate.find_first_not_of("0123456789") == std::string::npos;
            const long long kbps = digits && bitrate.size() <= 9 ? std::stoll(bitrate) : 0;
            if (kbps <= 0) return Usage("--bitrate takes a positive whole number of kbit/s, or 'same'");
            s.BitrateSameAsInput = 0;
            s.bitrate = static_cast<int>(kbps);
        }
    }

    if (demo) {
        input = "ambrelo-demo.mp4";
        // The demo's own output is made again on every run.
        if (output.empty()) force = true;
        std::fprintf(stderr, "Making the demo clip %s ...\n", input.c_str());
        const std::string err = MakeDemoClip(input);
        if (!err.empty()) return Usage(err);
    }
    if (input.empty()) return Usage("no input video given (see --help)");

    ConsoleContext ctx(!quiet && ::isatty(STDERR_FILENO));
    ctx.m_settings = s;
    ctx.m_strInputPath = input;

    const ProbeResult probe = ProbeInput(ctx);
    if (!probe.accepted) return ctx.m_nError ? ctx.m_nError : 1;
    if (probeOnly) return kExitDone;

    if (output.empty()) output = ProposeOutput(input, s.OutputFormat, s.ReplaceMTS, s.Language).proposedName;
    if (output.empty()) return Usage("no output file name can be proposed for this format: give one with -o");

    const TempFileSet temps = MakeTempFileSet();
    for (const std::string& target : {output, output + ".wav"}) {
        if (target != output && !(s.SoundOption == 2 && ctx.m_bHasAudio)) continue;
        const OutputConflict conflict = CheckOutputPath(input, target, temps);
        if (conflict != OutputConflict::None) return Usage(OutputConflictMessage(conflict, s.Language));
    }
    if (!force && FileExists(output))
        return Usage("the output file " + output + " exists already (use --force to replace it)");

    ctx.m_strOutputPath = output;
    ctx.m_bCancel = 0;
    g_job = &ctx;
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    JobOutcome outcome = JobOutcome::Failed;
    std::thread worker([&] { outcome = RunReversalJob(ctx); });
    worker.join();
    ctx.EndProgressLine();
    g_job = nullptr;

    switch (outcome) {
    case JobOutcome::Done: return kExitDone;
    case JobOutcome::Canceled: return kExitCanceled;
    case JobOutcome::Failed: break;
    }
    return ctx.m_nError ? ctx.m_nError : 1;
}
