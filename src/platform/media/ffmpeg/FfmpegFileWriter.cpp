#include "platform/media/ffmpeg/FfmpegFileWriter.h"

#include "platform/FileErrors.h"
#include "platform/media/YuvFrame.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cstring>

namespace klipo::platform::media {

FfmpegFileWriter::FfmpegFileWriter()
{
    // The encoder's statistics and notes are not for the user's terminal.
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_ERROR);
        return true;
    }();
    (void)quiet;
}

namespace {

QString libraryError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

// Why writing failed, for the user: a full disk says so.
QString writeFailure(int code)
{
    if (code < 0 && code > -4096) return QStringLiteral("写入失败：") + describeFileError(-code);
    return QStringLiteral("写入失败（%1）").arg(libraryError(code));
}

}  // namespace

FfmpegFileWriter::~FfmpegFileWriter() { release(); }

void FfmpegFileWriter::release()
{
    if (m_format && m_format->pb) avio_closep(&m_format->pb);
    avformat_free_context(m_format);
    m_format = nullptr;
    avcodec_free_context(&m_videoCodec);
    avcodec_free_context(&m_audioCodec);
    av_frame_free(&m_audioFrame);
    av_packet_free(&m_packet);
    m_videoStream = m_audioStream = nullptr;
}

std::optional<QString> FfmpegFileWriter::open(const QString& path, Container container, const VideoSettings& video,
                                              const std::optional<AudioSettings>& audio)
{
    release();
    const QByteArray file = path.toUtf8();
    if (avformat_alloc_output_context2(&m_format, nullptr, container == Container::mov ? "mov" : "mp4",
                                       file.constData()) < 0 ||
        !m_format)
        return QStringLiteral("无法建立视频文件");
    m_packet = av_packet_alloc();
    if (!m_packet) return QStringLiteral("内存不足");
    if (auto failure = openVideo(video)) return failure;
    if (audio && !openAudio(*audio)) {
        // The file is still worth having without sound.
        avcodec_free_context(&m_audioCodec);
        av_frame_free(&m_audioFrame);
        m_audioStream = nullptr;
    }

    if (const int code = avio_open(&m_format->pb, file.constData(), AVIO_FLAG_WRITE); code < 0)
        return QStringLiteral("无法创建视频文件：") + describeFileError(code > -4096 ? -code : EIO);
    // Written in fragments that each stand alone; every finished fragment goes
    // straight to the file, so a crash loses at most the one under way.
    m_format->flush_packets = 1;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "movflags", "frag_keyframe+delay_moov+default_base_moof", 0);
    av_dict_set(&options, "frag_duration", "1000000", 0);
    const int code = avformat_write_header(m_format, &options);
    av_dict_free(&options);
    if (code < 0) return writeFailure(code);
    m_headerWritten = true;
    return std::nullopt;
}

std::optional<QString> FfmpegFileWriter::openVideo(const VideoSettings& video)
{
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec) return QStringLiteral("找不到 H.264 编码器（libx264）");
    m_videoStream = avformat_new_stream(m_format, nullptr);
    m_videoCodec = avcodec_alloc_context3(codec);
    if (!m_videoStream || !m_videoCodec) return QStringLiteral("内存不足");
    AVCodecContext* c = m_videoCodec;
    c->width = video.width;
    c->height = video.height;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = AVRational{1, video.fps};
    c->framerate = AVRational{video.fps, 1};
    c->bit_rate = video.bitRate;
    c->gop_size = video.keyFrameInterval;
    c->thread_count = 0;
    c->color_range = AVCOL_RANGE_MPEG;
    c->colorspace = AVCOL_SPC_BT709;
    c->color_primaries = AVCOL_PRI_BT709;
    c->color_trc = AVCOL_TRC_IEC61966_2_1;
    if (m_format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "preset", video.preset.toUtf8().constData(), 0);
    av_dict_set(&options, "profile", "high", 0);
    // Real time: threads share each picture (slices) instead of each taking a
    // picture of its own, and nothing waits for pictures to come. That keeps
    // the encoder's memory at a fraction (measured at 1080p: about 180 MB
    // instead of 480 MB), its delay at a picture or two, and the stop fast.
    QByteArray parameters = "sliced-threads=1:sync-lookahead=0:rc-lookahead=0";
    // The fastest preset drops the tools that make a stream High profile; 8x8
    // transforms cost little and keep it High.
    if (video.preset == QLatin1String("ultrafast")) parameters += ":8x8dct=1";
    av_dict_set(&options, "x264-params", parameters.constData(), 0);
    const int code = avcodec_open2(c, codec, &options);
    av_dict_free(&options);
    if (code < 0) return QStringLiteral("无法配置视频轨（%1）").arg(libraryError(code));
    if (avcodec_parameters_from_context(m_videoStream->codecpar, c) < 0) return QStringLiteral("无法配置视频轨");
    m_videoStream->time_base = c->time_base;
    m_videoStream->avg_frame_rate = c->framerate;
    return std::nullopt;
}

bool FfmpegFileWriter::openAudio(const AudioSettings& audio)
{
    const AVCodec* codec = avcodec_find_encoder_by_name("aac");
    if (!codec) return false;
    m_audioStream = avformat_new_stream(m_format, nullptr);
    m_audioCodec = avcodec_alloc_context3(codec);
    if (!m_audioStream || !m_audioCodec) return false;
    AVCodecContext* c = m_audioCodec;
    c->sample_fmt = AV_SAMPLE_FMT_FLTP;
    c->sample_rate = audio.sampleRate;
    av_channel_layout_default(&c->ch_layout, audio.channels);
    c->bit_rate = audio.bitRate;
    c->time_base = AVRational{1, audio.sampleRate};
    if (m_format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(c, codec, nullptr) < 0) return false;
    if (avcodec_parameters_from_context(m_audioStream->codecpar, c) < 0) return false;
    m_audioStream->time_base = c->time_base;
    m_audioFrame = av_frame_alloc();
    if (!m_audioFrame) return false;
    m_audioFrame->format = c->sample_fmt;
    m_audioFrame->sample_rate = c->sample_rate;
    m_audioFrame->nb_samples = c->frame_size > 0 ? c->frame_size : 1024;
    if (av_channel_layout_copy(&m_audioFrame->ch_layout, &c->ch_layout) < 0) return false;
    return av_frame_get_buffer(m_audioFrame, 0) >= 0;
}

std::optional<QString> FfmpegFileWriter::encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame)
{
    int code = avcodec_send_frame(codec, frame);
    if (code < 0 && code != AVERROR_EOF) return QStringLiteral("编码失败（%1）").arg(libraryError(code));
    for (;;) {
        code = avcodec_receive_packet(codec, m_packet);
        if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) return std::nullopt;
        if (code < 0) return QStringLiteral("编码失败（%1）").arg(libraryError(code));
        m_packet->stream_index = stream->index;
        av_packet_rescale_ts(m_packet, codec->time_base, stream->time_base);
        code = av_interleaved_write_frame(m_format, m_packet);
        if (code >= 0 && m_format->pb->error < 0) code = m_format->pb->error;
        if (code < 0) return writeFailure(code);
    }
}

std::optional<QString> FfmpegFileWriter::writeVideo(YuvFrame& frame, std::int64_t slot)
{
    if (!m_headerWritten || m_finished || frame.isNull()) return QStringLiteral("视频文件未打开");
    frame.raw()->pts = slot;
    frame.raw()->pict_type = AV_PICTURE_TYPE_NONE;
    auto failure = encode(m_videoCodec, m_videoStream, frame.raw());
    if (!failure) ++m_videoFrames;
    return failure;
}

std::optional<QString> FfmpegFileWriter::sendAudioFrame(int samples)
{
    m_audioFrame->nb_samples = samples;
    m_audioFrame->pts = m_audioSamplesSent;
    m_audioSamplesSent += samples;
    auto failure = encode(m_audioCodec, m_audioStream, m_audioFrame);
    m_audioFill = 0;
    return failure;
}

std::optional<QString> FfmpegFileWriter::writeAudio(const float* samples, int count)
{
    if (!m_audioCodec || !m_headerWritten || m_finished) return std::nullopt;
    const int frameSize = m_audioCodec->frame_size > 0 ? m_audioCodec->frame_size : 1024;
    while (count > 0) {
        if (m_audioFill == 0 && av_frame_make_writable(m_audioFrame) < 0) return QStringLiteral("内存不足");
        const int take = std::min(count, frameSize - m_audioFill);
        std::memcpy(reinterpret_cast<float*>(m_audioFrame->data[0]) + m_audioFill, samples,
                    std::size_t(take) * sizeof(float));
        m_audioFill += take;
        samples += take;
        count -= take;
        if (m_audioFill == frameSize)
            if (auto failure = sendAudioFrame(frameSize)) return failure;
    }
    return std::nullopt;
}

std::optional<QString> FfmpegFileWriter::finish()
{
    if (!m_headerWritten || m_finished) return std::nullopt;
    m_finished = true;
    std::optional<QString> first;
    const auto keep = [&first](std::optional<QString> failure) {
        if (failure && !first) first = std::move(failure);
    };
    if (m_audioCodec) {
        if (m_audioFill > 0) {
            // The last frame is filled up with silence when the encoder wants whole frames.
            const int frameSize = m_audioCodec->frame_size > 0 ? m_audioCodec->frame_size : 1024;
            int samples = m_audioFill;
            if (!(m_audioCodec->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME)) {
                std::fill(reinterpret_cast<float*>(m_audioFrame->data[0]) + m_audioFill,
                          reinterpret_cast<float*>(m_audioFrame->data[0]) + frameSize, 0.0f);
                samples = frameSize;
            }
            keep(sendAudioFrame(samples));
        }
        keep(encode(m_audioCodec, m_audioStream, nullptr));
    }
    keep(encode(m_videoCodec, m_videoStream, nullptr));
    if (const int code = av_write_trailer(m_format); code < 0) keep(writeFailure(code));
    if (m_format->pb && m_format->pb->error < 0) keep(writeFailure(m_format->pb->error));
    if (const int code = avio_closep(&m_format->pb); code < 0) keep(writeFailure(code));
    return first;
}

}  // namespace klipo::platform::media
