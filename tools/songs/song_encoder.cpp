#include "tools/songs/song_encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <memory>

namespace {

constexpr int kRate = 44100;
constexpr int kBitRate = 128000;

struct CodecFreer {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFreer {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct OutputCloser {
    void operator()(AVFormatContext* f) const {
        if (f->pb) avio_closep(&f->pb);
        avformat_free_context(f);
    }
};

const char* EncoderName(SongFormat format) {
    switch (format) {
        case SongFormat::Wav:
            return "pcm_s16le";
        case SongFormat::Ogg:
            return "libvorbis";
        case SongFormat::Mp3:
            return "libmp3lame";
        case SongFormat::Wma:
            return "wmav2";
    }
    return "";
}

// The encoder's first sample format that we can fill: packed or planar, float or 16-bit.
AVSampleFormat PickSampleFormat(const AVCodec* codec) {
    for (const AVSampleFormat* f = codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f)
        if (*f == AV_SAMPLE_FMT_FLTP || *f == AV_SAMPLE_FMT_FLT || *f == AV_SAMPLE_FMT_S16 ||
            *f == AV_SAMPLE_FMT_S16P)
            return *f;
    return AV_SAMPLE_FMT_NONE;
}

// Frame `i`, channel `c` of the source into the encoder's layout.
void StoreSample(AVFrame* frame, int i, int c, float value) {
    const int interleaved = frame->ch_layout.nb_channels * i + c;
    const float clamped = std::clamp(value, -1.0f, 1.0f);
    const auto s16 = static_cast<std::int16_t>(clamped * 32767.0f);
    switch (frame->format) {
        case AV_SAMPLE_FMT_FLTP:
            reinterpret_cast<float*>(frame->data[c])[i] = clamped;
            break;
        case AV_SAMPLE_FMT_FLT:
            reinterpret_cast<float*>(frame->data[0])[interleaved] = clamped;
            break;
        case AV_SAMPLE_FMT_S16P:
            reinterpret_cast<std::int16_t*>(frame->data[c])[i] = s16;
            break;
        default:
            reinterpret_cast<std::int16_t*>(frame->data[0])[interleaved] = s16;
            break;
    }
}

bool WritePackets(AVCodecContext* codec, AVFormatContext* output, AVStream* stream,
                  AVPacket* packet, const AVFrame* frame) {
    if (avcodec_send_frame(codec, frame) < 0) return false;
    for (;;) {
        const int got = avcodec_receive_packet(codec, packet);
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
        if (got < 0) return false;
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        if (av_interleaved_write_frame(output, packet) < 0) return false;
    }
}

}  // namespace

const char* SongFormatExtension(SongFormat format) {
    switch (format) {
        case SongFormat::Wav:
            return "wav";
        case SongFormat::Ogg:
            return "ogg";
        case SongFormat::Mp3:
            return "mp3";
        case SongFormat::Wma:
            return "wma";
    }
    return "";
}

bool EncodeSong(const std::filesystem::path& file, SongFormat format,
                std::span<const float> samples, int channels) {
    if (channels != 1 && channels != 2) return false;
    const AVCodec* encoder = avcodec_find_encoder_by_name(EncoderName(format));
    if (!encoder) return false;
    AVFormatContext* rawOutput = nullptr;
    // WMA files are ASF containers.
    const char* container = format == SongFormat::Wma ? "asf" : nullptr;
    if (avformat_alloc_output_context2(&rawOutput, nullptr, container, file.c_str()) < 0)
        return false;
    std::unique_ptr<AVFormatContext, OutputCloser> output(rawOutput);
    // The same song gives the same bytes on every build: no random OGG stream serial, and no
    // library version in the headers.
    rawOutput->flags |= AVFMT_FLAG_BITEXACT;
    std::unique_ptr<AVCodecContext, CodecFreer> codec(avcodec_alloc_context3(encoder));
    AVStream* stream = avformat_new_stream(rawOutput, nullptr);
    if (!codec || !stream) return false;
    codec->sample_fmt = PickSampleFormat(encoder);
    codec->sample_rate = kRate;
    codec->bit_rate = kBitRate;
    codec->time_base = AVRational{1, kRate};
    av_channel_layout_default(&codec->ch_layout, channels);
    codec->flags |= AV_CODEC_FLAG_BITEXACT;
    if (rawOutput->oformat->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (codec->sample_fmt == AV_SAMPLE_FMT_NONE ||
        avcodec_open2(codec.get(), encoder, nullptr) < 0 ||
        avcodec_parameters_from_context(stream->codecpar, codec.get()) < 0)
        return false;
    stream->time_base = codec->time_base;
    if (avio_open(&rawOutput->pb, file.c_str(), AVIO_FLAG_WRITE) < 0 ||
        avformat_write_header(rawOutput, nullptr) < 0)
        return false;

    // PCM takes frames of any size; the others say theirs.
    const int frameSize = codec->frame_size > 0 ? codec->frame_size : 1024;
    std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc());
    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    if (!frame || !packet) return false;
    const auto total = static_cast<std::int64_t>(samples.size() / 2);
    for (std::int64_t start = 0; start < total; start += frameSize) {
        frame->format = codec->sample_fmt;
        frame->sample_rate = kRate;
        frame->nb_samples = frameSize;
        if (av_channel_layout_copy(&frame->ch_layout, &codec->ch_layout) < 0 ||
            av_frame_get_buffer(frame.get(), 0) < 0)
            return false;
        const auto count = static_cast<int>(std::min<std::int64_t>(frameSize, total - start));
        // A short last frame is padded with silence for the encoders with a fixed frame size.
        for (int i = 0; i < frameSize; ++i) {
            const std::size_t at = static_cast<std::size_t>(start + i) * 2;
            const float left = i < count ? samples[at] : 0.0f;
            const float right = i < count ? samples[at + 1] : 0.0f;
            if (channels == 1) {
                StoreSample(frame.get(), i, 0, 0.5f * (left + right));
            } else {
                StoreSample(frame.get(), i, 0, left);
                StoreSample(frame.get(), i, 1, right);
            }
        }
        if (codec->frame_size == 0) frame->nb_samples = count;
        frame->pts = start;
        const bool written =
            WritePackets(codec.get(), rawOutput, stream, packet.get(), frame.get());
        av_frame_unref(frame.get());
        if (!written) return false;
    }
    return WritePackets(codec.get(), rawOutput, stream, packet.get(), nullptr) &&
           av_write_trailer(rawOutput) == 0;
}
