// libFuzzer target for the input probe: any bytes are written to a file and
// probed the way the window probes a chosen file (video capture, then the
// sound test). The probe must accept or reject the file, never crash, and an
// accepted file must give values the job can use.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" {
#include <libavutil/log.h>
}
#include <opencv2/core/utils/logger.hpp>

#include "engine/fuzz/probe_check.h"

namespace {

// One file per process, rewritten for every input.
const std::string& InputPath() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/ambrelo-probe-fuzz-" + std::to_string(::getpid());
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    av_log_set_level(AV_LOG_QUIET);
    cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = InputPath();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    if (!CheckProbe(path)) std::abort();
    std::remove(path.c_str());
    return 0;
}
