// Runs the fast reversal on one file and prints its time and peak memory:
//   avi_reverse_tool SOURCE.avi TARGET.avi
#include <sys/resource.h>

#include <chrono>
#include <cstdio>

#include "avi/fast_reverse.h"
#include "engine/quiet_context.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SOURCE.avi TARGET.avi\n", argv[0]);
        return 2;
    }
    QuietContext ctx;
    const auto start = std::chrono::steady_clock::now();
    const bool ok = ReverseAviFast(ctx, argv[1], argv[2]);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("result=%s seconds=%.3f peak_rss_kib=%ld\n", ok ? "true" : "false", seconds, usage.ru_maxrss);
    return ok ? 0 : 1;
}
