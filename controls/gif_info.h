// What the picture control needs from a GIF file besides its pictures: the
// number of frames, each frame's delay and the loop count, read by walking the
// file's blocks. Every length is checked against the data.
#pragma once

#include <optional>
#include <vector>

#include <QByteArray>

struct GifInfo {
    int frameCount = 0;
    bool hasDelays = false;        // at least one graphic control block
    std::vector<int> delays;       // hundredths of a second, one per frame (0 when not given)
    std::optional<int> loopCount;  // the looping block's count (0: endless); absent when none
};

// std::nullopt when bytes do not start like a GIF.
std::optional<GifInfo> ReadGifInfo(const QByteArray& bytes);
