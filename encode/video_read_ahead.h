// Reads and decodes the video source on a thread of its own, a few packets
// ahead of the encoder, so that the Motion-JPEG decoding of one picture runs
// while the previous ones are encoded. Motion-JPEG pictures in 4:2:0 are
// decoded by libjpeg-turbo (engine/jpeg_codec), any other by the source's
// decoder. The results come back one packet at a
// time, in file order; every frame and packet is owned by the queue entry that
// carries it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/ffmpeg_util.h"
#include "encode/final_encoder.h"
#include "engine/jpeg_codec.h"

namespace enc {

// What one packet of the video source gave.
struct DecodedPacket {
    ff::PacketPtr packet;                // the compressed packet; empty for the decoder's drain
    std::vector<ff::FramePtr> pictures;  // the pictures it gave, in order (none for another stream)
    bool last = false;                   // the source has ended and the decoder has been drained
};

class VideoReadAhead {
public:
    // Starts reading `source` (its input and video decoder are used by the
    // thread only, until Stop). At most `depth` packets wait in the queue.
    // With `decode` false the packets come without pictures. `prepare`, when
    // given, is run on every picture on the reading thread.
    using Prepare = std::function<void(AVFrame*)>;
    explicit VideoReadAhead(InputSide& source, bool decode = true, Prepare prepare = nullptr,
                            std::size_t depth = 3);
    ~VideoReadAhead();
    VideoReadAhead(const VideoReadAhead&) = delete;
    VideoReadAhead& operator=(const VideoReadAhead&) = delete;

    // The next packet's results. The entry marked `last` comes once, after
    // every packet. False when the thread could not go on (out of memory).
    bool Next(DecodedPacket& out);
    // Ends the thread and waits for it; the queued entries are released.
    void Stop();

private:
    void Run();
    bool ReadAndDecode();
    bool Push(DecodedPacket&& entry);
    bool Decode(const AVPacket* pkt, DecodedPacket& entry);

    InputSide& source_;
    const bool decode_;
    const Prepare prepare_;
    const std::size_t depth_;
    jpeg::Decoder jpeg_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<DecodedPacket> queue_;
    bool stop_ = false;    // asked to end
    bool done_ = false;    // the thread pushes nothing more
    std::thread thread_;
};

}  // namespace enc
