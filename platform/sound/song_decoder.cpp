#include "platform/sound/song_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avstring.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/sound/song_input.h"

namespace psound {

namespace {

struct FormatCloser {
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct CodecFreer {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct SwrFreer {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
struct PacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFreer {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct ChannelLayout {
    AVChannelLayout value{};
    ~ChannelLayout() { av_channel_layout_uninit(&value); }
};

// Below this a packet resampled to the song rate grows without bound (a file that claims 1 Hz
// would have every packet take gigabytes).
constexpr int kLowestInputRate = 1000;

// The containers songs come in. The raw formats without a header (AMR, GSM, G.72x and the
// like) are left out: their probes take text or junk for sound, and a text file of 100 MB
// would "play" for days.
constexpr const char* kSongContainers[] = {"mp3", "wav",  "w64", "ogg",      "asf", "flac", "mp4",
                                           "aac", "aiff", "caf", "matroska", "wv",  "ape",  "au"};

bool IsSongContainer(const AVInputFormat& format) {
    return std::any_of(std::begin(kSongContainers), std::end(kSongContainers),
                       [&](const char* name) { return av_match_name(name, format.name) > 0; });
}

// A decoder that makes more than twice the sound the container says it was given, and half a
// second more, disagrees with the container (a WAV whose format tag names a codec its data is
// not in): the song is refused, or ends there. Decoders lag the container, they never run ahead.
constexpr std::int64_t kAheadFactor = 2;
constexpr std::int64_t kAheadSlackUs = 500000;

bool IsRegularFile(const char* path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace

struct SongDecoder::Impl {
    SongInput input;  // first: the demuxer reads through it until it is closed
    std::unique_ptr<AVFormatContext, FormatCloser> format;
    std::unique_ptr<AVCodecContext, CodecFreer> codec;
    std::unique_ptr<SwrContext, SwrFreer> resampler;
    std::unique_ptr<AVPacket, PacketFreer> packet{av_packet_alloc()};
    std::unique_ptr<AVFrame, FrameFreer> frame{av_frame_alloc()};
    int stream = -1;
    std::vector<float> pending;      // converted frames not yet read, interleaved
    std::size_t pendingRead = 0;     // samples of `pending` already handed out
    std::int64_t discardFrames = 0;  // frames still to drop after a seek
    std::int64_t seekTarget = -1;    // the frame a seek asked for, until the first frame lands
    bool inputDone = false;          // the demuxer and decoder are drained
    bool ended = false;
    // Since the start or the last seek: the sound the container says it sent to the decoder,
    // and what the decoder made of it, in microseconds.
    std::int64_t sentUs = 0;
    std::int64_t decodedUs = 0;
    bool sentTimed = true;   // every packet sent said how long it lasts
    bool disagrees = false;  // the decoder ran ahead of the container
    // What the resampler takes: the stream's first sound, until a frame says otherwise (two
    // files joined into one can change the channel count or rate in the middle).
    ChannelLayout inLayout;
    int inFormat = AV_SAMPLE_FMT_NONE;
    int inRate = 0;

    SoundResult UseInput(const AVChannelLayout& layout, int sampleFormat, int rate);
    bool TakesInput(const AVFrame& source) const;
    SoundResult MakeResampler();
    bool DecodeMore();
    void ReceiveFrames();
    void SendPacket();
    void Count(const AVFrame& decoded);
    void RestartCounts();
    void Convert(const AVFrame* source);
    void Land();
    std::size_t PendingSamples() const { return pending.size() - pendingRead; }
};

SoundResult SongDecoder::Impl::UseInput(const AVChannelLayout& layout, int sampleFormat,
                                        int rate) {
    if (rate < kLowestInputRate) return SoundResult::Format;
    av_channel_layout_uninit(&inLayout.value);
    if (layout.order == AV_CHANNEL_ORDER_UNSPEC || layout.nb_channels <= 0)
        av_channel_layout_default(&inLayout.value, std::max(layout.nb_channels, 1));
    else if (av_channel_layout_copy(&inLayout.value, &layout) < 0)
        return SoundResult::Memory;
    inFormat = sampleFormat;
    inRate = rate;
    return MakeResampler();
}

bool SongDecoder::Impl::TakesInput(const AVFrame& source) const {
    return std::max(source.ch_layout.nb_channels, 1) == inLayout.value.nb_channels &&
           source.format == inFormat && source.sample_rate == inRate;
}

SoundResult SongDecoder::Impl::MakeResampler() {
    resampler.reset();
    AVChannelLayout out = AV_CHANNEL_LAYOUT_STEREO;
    SwrContext* raw = nullptr;
    const int made = swr_alloc_set_opts2(&raw, &out, AV_SAMPLE_FMT_FLT, kSongRate, &inLayout.value,
                                         static_cast<AVSampleFormat>(inFormat), inRate, 0,
                                         nullptr);
    std::unique_ptr<SwrContext, SwrFreer> context(raw);
    if (made < 0) return SoundResult::Format;
    // A mono song is heard at full level in both channels, not 3 dB down.
    constexpr double kMonoToBoth[2] = {1.0, 1.0};  // each output channel from the one input
    if (inLayout.value.nb_channels == 1 && swr_set_matrix(raw, kMonoToBoth, 1) < 0)
        return SoundResult::Format;
    if (swr_init(raw) < 0) return SoundResult::Format;
    resampler = std::move(context);
    return SoundResult::Ok;
}

void SongDecoder::Impl::Convert(const AVFrame* source) {
    if (source && !TakesInput(*source)) {
        Convert(nullptr);  // the last frames of the sound before the change
        if (UseInput(source->ch_layout, source->format, source->sample_rate) != SoundResult::Ok) {
            inputDone = true;  // a sound the resampler cannot take ends the song here
            return;
        }
    }
    if (!resampler) return;
    const int capacity = swr_get_out_samples(resampler.get(), source ? source->nb_samples : 0);
    if (capacity <= 0) return;
    if (pendingRead > 0) {
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(pendingRead));
        pendingRead = 0;
    }
    const std::size_t start = pending.size();
    pending.resize(start + static_cast<std::size_t>(capacity) * kSongChannels);
    auto* out = reinterpret_cast<std::uint8_t*>(pending.data() + start);
    const std::uint8_t** in =
        source ? const_cast<const std::uint8_t**>(source->extended_data) : nullptr;
    const int got =
        swr_convert(resampler.get(), &out, capacity, in, source ? source->nb_samples : 0);
    pending.resize(start + static_cast<std::size_t>(std::max(got, 0)) * kSongChannels);
}

// The first frame after a seek: the frames between it and the target are dropped.
void SongDecoder::Impl::Land() {
    const std::int64_t pts = frame->best_effort_timestamp;
    std::int64_t landed = 0;
    if (pts != AV_NOPTS_VALUE)
        landed = av_rescale_q(pts, format->streams[stream]->time_base, AVRational{1, kSongRate});
    discardFrames = std::max<std::int64_t>(seekTarget - landed, 0);
    seekTarget = -1;
}

void SongDecoder::Impl::RestartCounts() {
    sentUs = decodedUs = 0;
    sentTimed = true;
    disagrees = false;
    input.Heard();
}

void SongDecoder::Impl::Count(const AVFrame& decoded) {
    input.Heard();
    if (decoded.sample_rate > 0)
        decodedUs += av_rescale(decoded.nb_samples, AV_TIME_BASE, decoded.sample_rate);
    disagrees = sentTimed && decodedUs > kAheadFactor * sentUs + kAheadSlackUs;
    if (disagrees) inputDone = true;
}

// Everything the decoder has made of the packets sent so far.
void SongDecoder::Impl::ReceiveFrames() {
    while (!inputDone) {
        const int received = avcodec_receive_frame(codec.get(), frame.get());
        if (received == AVERROR(EAGAIN)) return;
        if (received == AVERROR_EOF) {
            Convert(nullptr);  // what the resampler still holds
            inputDone = true;
            return;
        }
        if (received < 0) {
            inputDone = true;  // a broken stream ends the song here
            return;
        }
        Count(*frame);
        if (!disagrees) {
            if (seekTarget >= 0) Land();
            Convert(frame.get());
        }
        av_frame_unref(frame.get());
    }
}

void SongDecoder::Impl::SendPacket() {
    if (av_read_frame(format.get(), packet.get()) < 0) {
        avcodec_send_packet(codec.get(), nullptr);  // drain the decoder
        return;
    }
    if (packet->stream_index == stream) {
        if (packet->duration > 0)
            sentUs +=
                av_rescale_q(packet->duration, format->streams[stream]->time_base, AV_TIME_BASE_Q);
        else
            sentTimed = false;
        // A packet the decoder refuses is skipped, as players do; it carries on after it.
        avcodec_send_packet(codec.get(), packet.get());
    }
    av_packet_unref(packet.get());
}

// Decodes until some frames are pending or the input is drained; false at the end.
bool SongDecoder::Impl::DecodeMore() {
    while (PendingSamples() == 0 && !inputDone) {
        ReceiveFrames();
        if (PendingSamples() == 0 && !inputDone) SendPacket();
    }
    return PendingSamples() > 0;
}

SongDecoder::SongDecoder(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
SongDecoder::~SongDecoder() = default;

SoundResult SongDecoder::Open(const char* path, std::unique_ptr<SongDecoder>& out) {
    out.reset();
    // A folder, pipe or device is no song, and a pipe would block the open.
    if (!path || !IsRegularFile(path)) return SoundResult::FileNotFound;
    // A damaged file is an answer (it fails or ends the song), not something to print.
    av_log_set_level(AV_LOG_FATAL);
    auto impl = std::make_unique<Impl>();
    if (!impl->packet || !impl->frame) return SoundResult::Memory;
    if (!impl->input.Open(path)) return SoundResult::Format;  // unreadable
    AVFormatContext* rawFormat = avformat_alloc_context();
    if (!rawFormat) return SoundResult::Memory;
    rawFormat->pb = impl->input.Context();
    rawFormat->flags |= AVFMT_FLAG_CUSTOM_IO;
    // The path still names the file for the probe, whose guess the extension helps.
    if (avformat_open_input(&rawFormat, path, nullptr, nullptr) < 0) return SoundResult::Format;
    impl->format.reset(rawFormat);
    if (!IsSongContainer(*rawFormat->iformat)) return SoundResult::Format;
    // A damaged stretch later in the file can fail the probe; the first sound decides below.
    avformat_find_stream_info(rawFormat, nullptr);
    const AVCodec* decoder = nullptr;
    impl->stream = av_find_best_stream(rawFormat, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (impl->stream < 0) return SoundResult::Format;
    if (!decoder) return SoundResult::Unsupported;
    impl->codec.reset(avcodec_alloc_context3(decoder));
    if (!impl->codec) return SoundResult::Memory;
    if (avcodec_parameters_to_context(impl->codec.get(),
                                      rawFormat->streams[impl->stream]->codecpar) < 0 ||
        avcodec_open2(impl->codec.get(), decoder, nullptr) < 0)
        return SoundResult::Format;
    if (const SoundResult made = impl->UseInput(impl->codec->ch_layout, impl->codec->sample_fmt,
                                                impl->codec->sample_rate);
        made != SoundResult::Ok)
        return made;
    // Reading without sound is bounded, so a file that yields none fails here quickly.
    if (!impl->DecodeMore() || impl->disagrees) return SoundResult::Format;
    out.reset(new SongDecoder(std::move(impl)));
    return SoundResult::Ok;
}

int SongDecoder::Read(float* out, int frames) {
    Impl& d = *m_impl;
    int done = 0;
    while (done < frames && !d.ended) {
        if (d.PendingSamples() == 0 && !d.DecodeMore()) {
            d.ended = true;
            break;
        }
        const std::size_t available = d.PendingSamples() / kSongChannels;
        if (d.discardFrames > 0) {
            const auto dropped =
                std::min<std::size_t>(available, static_cast<std::size_t>(d.discardFrames));
            d.pendingRead += dropped * kSongChannels;
            d.discardFrames -= static_cast<std::int64_t>(dropped);
            continue;
        }
        const std::size_t take =
            std::min<std::size_t>(available, static_cast<std::size_t>(frames - done));
        std::memcpy(out + static_cast<std::size_t>(done) * kSongChannels,
                    d.pending.data() + d.pendingRead, take * kSongChannels * sizeof(float));
        d.pendingRead += take * kSongChannels;
        done += static_cast<int>(take);
    }
    return done;
}

bool SongDecoder::Ended() const { return m_impl->ended; }

void SongDecoder::SeekFrame(std::int64_t frame) {
    Impl& d = *m_impl;
    frame = std::max<std::int64_t>(frame, 0);
    // Seek a little early and decode up to the frame, so the position is exact whatever the
    // container's seek points are.
    // ASF (WMA) keeps whole-millisecond times, too coarse to land on a frame: those songs are
    // decoded again from the start, which costs a few milliseconds per minute of song.
    const bool exactTimes = std::strcmp(d.format->iformat->name, "asf") != 0;
    const std::int64_t target = av_rescale(frame, AV_TIME_BASE, kSongRate);
    const bool moved =
        exactTimes && avformat_seek_file(d.format.get(), -1, INT64_MIN, target, target, 0) >= 0;
    if (!moved) avformat_seek_file(d.format.get(), -1, INT64_MIN, 0, 0, 0);
    avcodec_flush_buffers(d.codec.get());
    d.pending.clear();
    d.pendingRead = 0;
    d.inputDone = false;
    d.ended = false;
    d.MakeResampler();
    d.RestartCounts();
    // Where the demuxer landed is read from the first decoded frame's time.
    d.seekTarget = moved ? frame : -1;
    d.discardFrames = moved ? 0 : frame;
}

std::uint32_t SongDecoder::LengthMs() const {
    const std::int64_t duration = m_impl->format->duration;
    if (duration == AV_NOPTS_VALUE || duration <= 0) return 0;
    return static_cast<std::uint32_t>(std::min<std::int64_t>(duration / 1000, UINT32_MAX));
}

SoundResult DecodeSongFile(const char* path, std::vector<float>& samples) {
    samples.clear();
    std::unique_ptr<SongDecoder> decoder;
    if (const SoundResult opened = SongDecoder::Open(path, decoder); opened != SoundResult::Ok)
        return opened;
    // Sized by what is decoded, never by the length the container claims: a header can say
    // 4 GB in front of 88 KB of sound, and neither can the file's size be trusted (a short song
    // in front of gigabytes of zeros).
    constexpr int kChunkFrames = 1 << 16;
    for (;;) {
        const std::size_t done = samples.size();
        samples.resize(done + std::size_t{kChunkFrames} * kSongChannels);
        const int got = decoder->Read(samples.data() + done, kChunkFrames);
        samples.resize(done + static_cast<std::size_t>(got) * kSongChannels);
        if (got < kChunkFrames) break;
    }
    return SoundResult::Ok;
}

}  // namespace psound
