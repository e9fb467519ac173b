// Runs ambrelo-cli the way a user does, with a private settings store and
// temporary folder, and checks what every run must show: the exit status and
// the texts of the answer, the input's bytes unchanged, and no temporary file
// left behind.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/job_texts.h"
#include "tests/common/media.h"

namespace reltest {

using testmedia::TempDir;

struct Outcome {
    int status = -1;
    std::string out;   // the log, "\n" line ends
    std::string err;   // messages
};

// What the user must see.
struct Answer {
    int status = 0;                                // exit status: 0, an error number, 64
    const jobtext::ErrorText* error = nullptr;     // its log line and its message
    std::string line;                              // one more line the log must hold ("": none)
};

// Runs the ffmpeg tool with the given arguments (quiet, overwriting); a
// failure is a test failure.
bool Ffmpeg(const std::string& args);
// ffmpeg input options of the clips' picture source: frame N a solid grey of
// luma 16 + 4N; and of a rising tone.
std::string Ramp(const std::string& size, double seconds, const std::string& rate = "25");
std::string Tone(int rate, double seconds);

// The text as the front-end prints it ("\r\n" becomes "\n").
std::string Unix(const std::string& text);

// A folder of the file system mounted as a tmpfs of `bytes` (root only);
// unmounted at destruction.
class SmallDisk {
public:
    explicit SmallDisk(long long bytes, bool readOnly = false);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }
    const std::string& path() const { return dir_.path(); }
    std::string File(const std::string& name) const { return dir_.File(name); }

private:
    TempDir dir_;
    bool mounted_ = false;
};

// True when the tests may mount file systems.
bool CanMount();

// Nothing regular is left under the temporary folder.
void ExpectNoTemporaryFile(const std::string& tmpdir);

class CliFixture : public ::testing::Test {
protected:
    // Runs ambrelo-cli -q ARGS INPUT with TMPDIR set to `tmpdir` (default: a
    // private folder of this test), then checks that the input's bytes are
    // unchanged and that nothing regular is left under TMPDIR.
    Outcome Run(const std::string& input, const std::string& args, const std::string& tmpdir = {});

    // The status, and: "Process done" with the end message for status 0,
    // never for any other; the error's log line and message when given.
    static void ExpectAnswer(const Outcome& o, const Answer& a);

    // The output's frames are the frames of `input` in reverse order (both
    // read back by ffmpeg); `tolerance` on the grey level.
    static void ExpectReversedFrames(const std::string& output, const std::string& input, int tolerance = 4);
    // The output holds `count` frames whose grey levels run down the clip
    // ramp from frame count-1 to frame 0.
    static void ExpectReversedRamp(const std::string& output, int count, int tolerance = 4);
    // The output's sound falls away (the clips' sound rises).
    static void ExpectFallingSound(const std::string& output);

    TempDir home_;
    TempDir tmp_;
    TempDir work_;
};

}  // namespace reltest
