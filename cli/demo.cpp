#include "cli/demo.h"

#include <spawn.h>
#include <sys/wait.h>

#include <vector>

extern char** environ;

std::string MakeDemoClip(const std::string& path) {
    std::vector<std::string> args = {
        "ffmpeg", "-nostdin", "-v", "error", "-y",
        "-f", "lavfi", "-i", "testsrc2=s=1280x720:r=30:d=6",
        "-f", "lavfi", "-i", "aevalsrc=0.6*t/6*sin(2*PI*(220+110*t)*t):s=48000:d=6",
        "-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p",
        "-c:a", "aac", "-b:a", "128k", "-shortest", path};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    if (posix_spawnp(&pid, "ffmpeg", nullptr, nullptr, argv.data(), environ) != 0)
        return "cannot run ffmpeg to make the demo clip (is it installed? scripts/setup.sh installs it)";
    int status = 0;
    if (waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "ffmpeg could not make the demo clip " + path;
    return "";
}
