#include "platform/media/ffmpeg/FfmpegBackend.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <memory>

namespace klipo::platform::media {

namespace {

struct Decoder {
    AVCodecContext* context = nullptr;
    ~Decoder() { avcodec_free_context(&context); }
    bool open(const AVStream* stream)
    {
        const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
        if (!codec) return false;
        context = avcodec_alloc_context3(codec);
        return context && avcodec_parameters_to_context(context, stream->codecpar) >= 0 &&
               avcodec_open2(context, codec, nullptr) >= 0;
    }
    // Sends `packet` (nothing: drain); counts the frames and refusals.
    void feed(const AVPacket* packet, AVFrame* frame, std::int64_t& frames, std::int64_t& errors)
    {
        if (!context) return;
        const int sent = avcodec_send_packet(context, packet);
        if (sent < 0 && sent != AVERROR_EOF) ++errors;
        for (;;) {
            const int got = avcodec_receive_frame(context, frame);
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return;
            if (got < 0) {
                ++errors;
                return;
            }
            if (frame->decode_error_flags || (frame->flags & AV_FRAME_FLAG_CORRUPT)) ++errors;
            ++frames;
            av_frame_unref(frame);
        }
    }
};

}  // namespace

MediaInfo FfmpegBackend::probe(const QString& path)
{
    MediaInfo info;
    AVFormatContext* format = nullptr;
    if (const int code = avformat_open_input(&format, path.toUtf8().constData(), nullptr, nullptr); code < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(code, text, sizeof text);
        info.error = QString::fromUtf8(text);
        return info;
    }
    std::unique_ptr<AVFormatContext*, void (*)(AVFormatContext**)> closer(&format, avformat_close_input);
    if (avformat_find_stream_info(format, nullptr) < 0) {
        info.error = QStringLiteral("no stream information");
        return info;
    }
    info.opened = true;
    const int videoIndex = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int audioIndex = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    Decoder video;
    Decoder audio;
    if (videoIndex >= 0) {
        const AVStream* stream = format->streams[videoIndex];
        info.width = stream->codecpar->width;
        info.height = stream->codecpar->height;
        info.videoProfile = stream->codecpar->profile;
        const AVRational rate = stream->avg_frame_rate.num ? stream->avg_frame_rate : stream->r_frame_rate;
        info.frameRate = rate.den ? av_q2d(rate) : 0;
        video.open(stream);
    }
    if (audioIndex >= 0) {
        const AVStream* stream = format->streams[audioIndex];
        info.hasAudio = true;
        info.audioSampleRate = stream->codecpar->sample_rate;
        info.audioChannels = stream->codecpar->ch_layout.nb_channels;
        audio.open(stream);
    }

    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    std::int64_t audioFrames = 0;
    double videoStart = 1e300, videoEnd = -1e300, audioStart = 1e300;
    while (av_read_frame(format, packet) >= 0) {
        const AVStream* stream = format->streams[packet->stream_index];
        const double tb = av_q2d(stream->time_base);
        if (packet->stream_index == videoIndex) {
            ++info.videoPackets;
            if (packet->flags & AV_PKT_FLAG_CORRUPT) ++info.decodeErrors;
            if (packet->pts != AV_NOPTS_VALUE) {
                videoStart = std::min(videoStart, packet->pts * tb);
                videoEnd = std::max(videoEnd, (packet->pts + packet->duration) * tb);
            }
            video.feed(packet, frame, info.videoFramesDecoded, info.decodeErrors);
        } else if (packet->stream_index == audioIndex) {
            ++info.audioPackets;
            if (packet->pts != AV_NOPTS_VALUE) audioStart = std::min(audioStart, packet->pts * tb);
            audio.feed(packet, frame, audioFrames, info.decodeErrors);
        }
        av_packet_unref(packet);
    }
    video.feed(nullptr, frame, info.videoFramesDecoded, info.decodeErrors);
    audio.feed(nullptr, frame, audioFrames, info.decodeErrors);
    av_frame_free(&frame);
    av_packet_free(&packet);
    if (info.videoPackets > 0) {
        info.durationSeconds = videoEnd - videoStart;
        info.firstVideoSeconds = videoStart;
    }
    if (info.audioPackets > 0) info.firstAudioSeconds = audioStart;
    return info;
}

}  // namespace klipo::platform::media
