#include "encode/final_encoder.h"

namespace enc {

namespace {

// Opens `path` and the decoders of the wanted media types. The first type is
// required (-4 when missing); the second, when given, is optional.
int OpenSide(InputSide& side, const std::string& path, AVMediaType required, bool alsoAudio) {
    const int rc = ff::OpenInputFile(path, side.input);
    if (rc < 0) return rc;  // -1 cannot open, -2 no stream information

    int index = -1;
    ff::CodecContextPtr decoder;
    if (ff::OpenBestStream(side.input.get(), required, &index, &decoder) < 0) return -4;
    if (required == AVMEDIA_TYPE_VIDEO) {
        side.videoIndex = index;
        side.videoStream = side.input->streams[index];
        side.videoDecoder = std::move(decoder);
    } else {
        side.audioIndex = index;
        side.audioStream = side.input->streams[index];
        side.audioDecoder = std::move(decoder);
    }

    if (alsoAudio) {
        index = -1;
        if (ff::OpenBestStream(side.input.get(), AVMEDIA_TYPE_AUDIO, &index, &decoder) >= 0) {
            side.audioIndex = index;
            side.audioStream = side.input->streams[index];
            side.audioDecoder = std::move(decoder);
        }
    }
    return 0;
}

}  // namespace

int OpenReference(FinalEncoder& fe, const std::string& path) {
    return OpenSide(fe.reference, path, AVMEDIA_TYPE_VIDEO, true);
}

int OpenVideoSource(FinalEncoder& fe, const std::string& path) {
    return OpenSide(fe.videoSource, path, AVMEDIA_TYPE_VIDEO, false);
}

int OpenAudioSource(FinalEncoder& fe, const std::string& path) {
    return OpenSide(fe.audioSource, path, AVMEDIA_TYPE_AUDIO, false);
}

}  // namespace enc
