#include "encode/final_encode.h"

#include "encode/transcode.h"

bool EncodeToAvi(JobContext& ctx, const std::string& videoPath, const std::string& soundPath,
                 const std::string& outputPath) {
    return enc::EncodeFinalFile(ctx, videoPath, soundPath, outputPath, -1, videoPath, "avi", AV_CODEC_ID_MJPEG,
                                AV_CODEC_ID_PCM_S16LE);
}

bool EncodeSameAsInput(JobContext& ctx, const std::string& videoPath, const std::string& soundPath,
                       const std::string& outputPath, const std::string& inputPath, int bitrate) {
    return enc::EncodeFinalFile(ctx, videoPath, soundPath, outputPath, bitrate, inputPath, "", AV_CODEC_ID_NONE,
                                AV_CODEC_ID_NONE);
}

bool EncodeToWmv(JobContext& ctx, const std::string& videoPath, const std::string& soundPath,
                 const std::string& outputPath, int bitrate, const std::string& inputPath) {
    return enc::EncodeFinalFile(ctx, videoPath, soundPath, outputPath, bitrate, inputPath, "asf",
                                AV_CODEC_ID_MSMPEG4V3, AV_CODEC_ID_WMAV2);
}

bool EncodeToMp4(JobContext& ctx, const std::string& videoPath, const std::string& soundPath,
                 const std::string& outputPath, int bitrate, const std::string& inputPath) {
    return enc::EncodeFinalFile(ctx, videoPath, soundPath, outputPath, bitrate, inputPath, "mp4",
                                AV_CODEC_ID_MPEG4, AV_CODEC_ID_AAC);
}
