// The demo clip of `ambrelo-cli --demo`: a short H.264 + AAC MP4 with moving
// pictures and a rising tone, made with the ffmpeg tool.
#pragma once

#include <string>

// Writes the clip to path. Returns an empty string, or what went wrong.
std::string MakeDemoClip(const std::string& path);
