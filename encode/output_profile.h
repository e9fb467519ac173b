// Choice of the final file: container, codecs with their automatic
// replacements, encoder parameters, streams and header.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <cstdint>
#include <string>
#include <vector>

#include "encode/final_encoder.h"
#include "engine/app_settings.h"

namespace enc {

// Result bits of SetupOutput: the automatic replacements made.
enum : int {
    OUT_VIDEO_MSMPEG4 = 1,   // a WMV video codec became the matching MS-MPEG-4 codec
    OUT_AUDIO_AAC = 2,       // AC-3 sound became AAC
    OUT_VIDEO_MPEG4 = 4,     // H.264 video became MPEG-4
    OUT_FORMAT_MOV = 8,      // an MPEG transport stream container became MOV
    OUT_AUDIO_PCM = 16,      // the sound became 16-bit PCM
    OUT_AUDIO_REMOVED = 32,  // the sound is left out; the result is then exactly 32
};

// Bit rate used when neither the job nor the reference gives one, and the cap.
constexpr std::int64_t kDefaultVideoBitRate = 24000000;
constexpr std::int64_t kMaxVideoBitRate = 99999999;

// The video bit rate in bit/s: bitrateKbps × 1000 when positive; otherwise the
// reference video stream's rate, then the reference file's overall rate (both
// only when the reference has a video stream), then 24,000,000; capped below
// 100,000,000.
std::int64_t ChooseVideoBitRate(int bitrateKbps, bool referenceHasVideo, std::int64_t referenceVideoRate,
                                std::int64_t referenceFileRate);

// The video codec after the replacements (WMV1/2/3 → MS-MPEG-4 v1/2/3, H.264 →
// MPEG-4 when replaceH264); adds the matching bit to *bits.
AVCodecID ReplaceVideoCodec(AVCodecID id, bool replaceH264, int* bits);

// Prepares the output of `fe`, whose inputs are open: container, encoders,
// streams, output file, header, frames. formatName "" and codec ids
// AV_CODEC_ID_NONE mean "as the reference input". fe.withAudio tells whether
// sound is wanted; it becomes false when the sound is removed.
// Returns the result bits (0 or more) or an error:
//   -1 no video source stream, -2 no reference for the same container,
//   -3 no muxer found for the reference's container, -6 no muxer for formatName,
//   -7 no video encoder, -9 no output video stream or no usable pixel format,
//   -10 the video encoder does not open, -14 the file cannot be created,
//   -15 the header cannot be written, -16 -17 -18 a frame cannot be allocated.
int SetupOutput(FinalEncoder& fe, const AppSettings& settings, const std::string& outputPath, int bitrateKbps,
                const std::string& formatName, AVCodecID videoCodecId, AVCodecID audioCodecId);

}  // namespace enc
