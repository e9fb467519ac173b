#include "engine/jpeg_codec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

extern "C" {
#include <libavutil/buffer.h>
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

namespace jpeg {
namespace {

// MPEG-1's default intra matrix (natural order), which FFmpeg's Motion-JPEG
// encoder scales by the quantiser over 8 for the AC terms and keeps at 8 for
// the DC term.
constexpr uint16_t kMpeg1Intra[64] = {
    8,  16, 19, 22, 26, 27, 29, 34, 16, 16, 22, 24, 27, 29, 34, 37, 19, 22, 26, 27, 29, 34,
    34, 38, 22, 22, 26, 27, 29, 34, 37, 40, 22, 26, 27, 29, 32, 35, 40, 48, 26, 27, 29, 32,
    35, 40, 48, 58, 26, 27, 29, 34, 38, 46, 56, 69, 27, 29, 35, 38, 46, 56, 69, 83,
};
constexpr int kQuantiser = 3;

struct Table {
    uint16_t values[64];
    Table() {
        for (int i = 0; i < 64; ++i) values[i] = static_cast<uint16_t>((kMpeg1Intra[i] * kQuantiser) >> 3);
        values[0] = 8;
    }
};

// libjpeg reports errors by calling error_exit, which must not return: it
// jumps back to the call that started the work. Warnings (damaged data that
// libjpeg would paper over) are counted.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int warnings = 0;
};

void OnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void OnMessage(j_common_ptr info, int level) {
    if (level < 0) ++reinterpret_cast<ErrorManager*>(info->err)->warnings;
}

void Silent(j_common_ptr) {}

void InitErrors(ErrorManager& e) {
    jpeg_std_error(&e.pub);
    e.pub.error_exit = OnError;
    e.pub.emit_message = OnMessage;
    e.pub.output_message = Silent;
}

// A growing output buffer, kept from one picture to the next.
struct Destination {
    jpeg_destination_mgr pub;
    uint8_t* data = nullptr;
    std::size_t capacity = 0;
    std::size_t length = 0;
};

void InitDestination(j_compress_ptr info) {
    Destination* d = reinterpret_cast<Destination*>(info->dest);
    d->pub.next_output_byte = d->data;
    d->pub.free_in_buffer = d->capacity;
}

boolean GrowDestination(j_compress_ptr info) {
    Destination* d = reinterpret_cast<Destination*>(info->dest);
    const std::size_t bigger = d->capacity * 2;
    uint8_t* grown = static_cast<uint8_t*>(std::realloc(d->data, bigger));
    if (!grown) ERREXIT1(info, JERR_OUT_OF_MEMORY, 10);
    d->data = grown;
    d->pub.next_output_byte = grown + d->capacity;
    d->pub.free_in_buffer = bigger - d->capacity;
    d->capacity = bigger;
    return TRUE;
}

void TermDestination(j_compress_ptr info) {
    Destination* d = reinterpret_cast<Destination*>(info->dest);
    d->length = d->capacity - d->pub.free_in_buffer;
}

}  // namespace

const uint16_t* QuantTable() {
    static const Table table;
    return table.values;
}

struct Encoder::State {
    jpeg_compress_struct info;
    ErrorManager errors;
    Destination destination;
    bool created = false;
};

Encoder::Encoder() : state_(std::make_unique<State>()) {
    State& s = *state_;
    InitErrors(s.errors);
    s.info.err = &s.errors.pub;
    if (setjmp(s.errors.jump)) return;  // out of memory: Encode fails
    jpeg_create_compress(&s.info);
    s.created = true;
    s.destination.capacity = 256 * 1024;
    s.destination.data = static_cast<uint8_t*>(std::malloc(s.destination.capacity));
    if (!s.destination.data) s.destination.capacity = 0;
    s.destination.pub.init_destination = InitDestination;
    s.destination.pub.empty_output_buffer = GrowDestination;
    s.destination.pub.term_destination = TermDestination;
    s.info.dest = &s.destination.pub;
}

Encoder::~Encoder() {
    if (state_->created) jpeg_destroy_compress(&state_->info);
    std::free(state_->destination.data);
}

bool Encoder::Encode(const uint8_t* const planes[3], const int strides[3], int width, int height) {
    State& s = *state_;
    s.destination.length = 0;
    if (!s.created || !s.destination.data || width <= 0 || height <= 0 || (width & 1) || (height & 1) ||
        width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION)
        return false;
    jpeg_compress_struct& c = s.info;
    if (setjmp(s.errors.jump)) {
        jpeg_abort_compress(&c);
        s.destination.length = 0;
        return false;
    }
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = 3;
    c.in_color_space = JCS_YCbCr;
    jpeg_set_defaults(&c);
    c.raw_data_in = TRUE;
    c.dct_method = JDCT_ISLOW;
    c.optimize_coding = FALSE;
    c.write_JFIF_header = FALSE;
    c.write_Adobe_marker = FALSE;
    unsigned int table[64];
    for (int i = 0; i < 64; ++i) table[i] = QuantTable()[i];
    jpeg_add_quant_table(&c, 0, table, 100, TRUE);
    for (int ci = 0; ci < 3; ++ci) {
        c.comp_info[ci].h_samp_factor = ci == 0 ? 2 : 1;
        c.comp_info[ci].v_samp_factor = ci == 0 ? 2 : 1;
        c.comp_info[ci].quant_tbl_no = 0;
    }
    jpeg_start_compress(&c, TRUE);

    JSAMPROW luma[16];
    JSAMPROW cb[8];
    JSAMPROW cr[8];
    JSAMPARRAY rows[3] = {luma, cb, cr};
    const int chromaHeight = height / 2;
    while (c.next_scanline < c.image_height) {
        const int top = static_cast<int>(c.next_scanline);
        for (int i = 0; i < 16; ++i) {
            const int y = top + i < height ? top + i : height - 1;
            luma[i] = const_cast<JSAMPROW>(planes[0] + static_cast<std::ptrdiff_t>(y) * strides[0]);
        }
        for (int i = 0; i < 8; ++i) {
            const int y = top / 2 + i < chromaHeight ? top / 2 + i : chromaHeight - 1;
            cb[i] = const_cast<JSAMPROW>(planes[1] + static_cast<std::ptrdiff_t>(y) * strides[1]);
            cr[i] = const_cast<JSAMPROW>(planes[2] + static_cast<std::ptrdiff_t>(y) * strides[2]);
        }
        if (jpeg_write_raw_data(&c, rows, 16) != 16) {
            jpeg_abort_compress(&c);
            s.destination.length = 0;
            return false;
        }
    }
    jpeg_finish_compress(&c);
    return s.destination.length > 0;
}

const uint8_t* Encoder::Data() const { return state_->destination.data; }

std::size_t Encoder::Size() const { return state_->destination.length; }

struct Decoder::State {
    jpeg_decompress_struct info;
    ErrorManager errors;
    bool created = false;
    AVBufferPool* pool = nullptr;
    int poolWidth = 0;
    int poolHeight = 0;
};

Decoder::Decoder() : state_(std::make_unique<State>()) {
    State& s = *state_;
    InitErrors(s.errors);
    s.info.err = &s.errors.pub;
    if (setjmp(s.errors.jump)) return;  // out of memory: Decode fails
    jpeg_create_decompress(&s.info);
    s.created = true;
}

Decoder::~Decoder() {
    if (state_->created) jpeg_destroy_decompress(&state_->info);
    av_buffer_pool_uninit(&state_->pool);  // the pictures handed out keep their buffers
}

namespace {

constexpr int Align32(int v) { return (v + 31) & ~31; }

// One buffer holding the three planes, padded to whole blocks.
bool AttachPlanes(AVBufferPool* pool, int width, int height, AVFrame* picture) {
    const int lumaStride = Align32(PaddedLuma(width));
    const int chromaStride = Align32(PaddedLuma(width) / 2);
    const std::size_t lumaBytes = static_cast<std::size_t>(lumaStride) * PaddedLuma(height);
    const std::size_t chromaBytes = static_cast<std::size_t>(chromaStride) * (PaddedLuma(height) / 2);
    picture->buf[0] = av_buffer_pool_get(pool);
    if (!picture->buf[0]) return false;
    uint8_t* base = picture->buf[0]->data;
    picture->data[0] = base;
    picture->data[1] = base + lumaBytes;
    picture->data[2] = base + lumaBytes + chromaBytes;
    picture->linesize[0] = lumaStride;
    picture->linesize[1] = chromaStride;
    picture->linesize[2] = chromaStride;
    picture->format = AV_PIX_FMT_YUVJ420P;
    picture->color_range = AVCOL_RANGE_JPEG;
    picture->width = width;
    picture->height = height;
    picture->key_frame = 1;
    picture->pict_type = AV_PICTURE_TYPE_I;
    return true;
}

std::size_t PlanesSize(int width, int height) {
    return static_cast<std::size_t>(Align32(PaddedLuma(width))) * PaddedLuma(height) +
           2 * static_cast<std::size_t>(Align32(PaddedLuma(width) / 2)) * (PaddedLuma(height) / 2) + 64;
}

bool Is420(const jpeg_decompress_struct& d) {
    return d.num_components == 3 && d.jpeg_color_space == JCS_YCbCr && d.data_precision == 8 &&
           d.comp_info[0].h_samp_factor == 2 && d.comp_info[0].v_samp_factor == 2 &&
           d.comp_info[1].h_samp_factor == 1 && d.comp_info[1].v_samp_factor == 1 &&
           d.comp_info[2].h_samp_factor == 1 && d.comp_info[2].v_samp_factor == 1;
}

}  // namespace

bool Decoder::Decode(const uint8_t* data, std::size_t size, int width, int height, AVFrame* picture) {
    State& s = *state_;
    av_frame_unref(picture);
    if (!s.created || !data || size == 0 || size > 0x7fffffffu || width <= 0 || height <= 0 ||
        width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION)
        return false;
    if (!s.pool || s.poolWidth != width || s.poolHeight != height) {
        av_buffer_pool_uninit(&s.pool);
        s.pool = av_buffer_pool_init(PlanesSize(width, height), nullptr);
        if (!s.pool) return false;
        s.poolWidth = width;
        s.poolHeight = height;
    }
    if (!AttachPlanes(s.pool, width, height, picture)) {
        av_frame_unref(picture);
        return false;
    }

    jpeg_decompress_struct& d = s.info;
    s.errors.warnings = 0;
    if (setjmp(s.errors.jump)) {
        jpeg_abort_decompress(&d);
        av_frame_unref(picture);
        return false;
    }
    jpeg_mem_src(&d, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&d, TRUE) != JPEG_HEADER_OK || !Is420(d) ||
        d.image_width != static_cast<JDIMENSION>(width) || d.image_height != static_cast<JDIMENSION>(height)) {
        jpeg_abort_decompress(&d);
        av_frame_unref(picture);
        return false;
    }
    d.raw_data_out = TRUE;
    d.dct_method = JDCT_ISLOW;
    d.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&d);

    JSAMPROW luma[16];
    JSAMPROW cb[8];
    JSAMPROW cr[8];
    JSAMPARRAY rows[3] = {luma, cb, cr};
    while (d.output_scanline < d.output_height) {
        const int top = static_cast<int>(d.output_scanline);
        for (int i = 0; i < 16; ++i) luma[i] = picture->data[0] + static_cast<std::ptrdiff_t>(top + i) * picture->linesize[0];
        for (int i = 0; i < 8; ++i) {
            cb[i] = picture->data[1] + static_cast<std::ptrdiff_t>(top / 2 + i) * picture->linesize[1];
            cr[i] = picture->data[2] + static_cast<std::ptrdiff_t>(top / 2 + i) * picture->linesize[2];
        }
        if (jpeg_read_raw_data(&d, rows, 16) != 16) {
            jpeg_abort_decompress(&d);
            av_frame_unref(picture);
            return false;
        }
    }
    jpeg_finish_decompress(&d);
    if (s.errors.warnings > 0) {
        av_frame_unref(picture);
        return false;
    }
    return true;
}

}  // namespace jpeg
