#include "recording/MediaReadBack.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <cmath>
#include <functional>

namespace klipo::test {

namespace {

// Decodes every frame of the best stream of `type`, handing each to `take`
// until it returns false.
void decodeStream(const QString& path, AVMediaType type, const std::function<bool(const AVFrame*)>& take)
{
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.toUtf8().constData(), nullptr, nullptr) < 0) return;
    avformat_find_stream_info(format, nullptr);
    const int index = av_find_best_stream(format, type, -1, -1, nullptr, 0);
    AVCodecContext* codec = nullptr;
    if (index >= 0) {
        const AVCodec* decoder = avcodec_find_decoder(format->streams[index]->codecpar->codec_id);
        codec = avcodec_alloc_context3(decoder);
        avcodec_parameters_to_context(codec, format->streams[index]->codecpar);
        if (avcodec_open2(codec, decoder, nullptr) < 0) avcodec_free_context(&codec);
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool more = codec != nullptr;
    const auto drain = [&] {
        while (more && avcodec_receive_frame(codec, frame) >= 0) {
            more = take(frame);
            av_frame_unref(frame);
        }
    };
    while (more && av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(codec, packet) >= 0) drain();
        av_packet_unref(packet);
    }
    if (more) {
        avcodec_send_packet(codec, nullptr);
        drain();
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
}

}  // namespace

QImage decodePicture(const QString& path, int index)
{
    QImage picture;
    int seen = 0;
    decodeStream(path, AVMEDIA_TYPE_VIDEO, [&](const AVFrame* frame) {
        if (seen++ < index) return true;
        picture = QImage(frame->width, frame->height, QImage::Format_RGB32);
        SwsContext* sws = sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                         frame->height, AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr);
        const int space = frame->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_ITU601;
        const int* coefficients = sws_getCoefficients(space);
        sws_setColorspaceDetails(sws, coefficients, frame->color_range == AVCOL_RANGE_JPEG, coefficients, 1, 0,
                                 1 << 16, 1 << 16);
        std::uint8_t* out[4] = {picture.bits(), nullptr, nullptr, nullptr};
        const int outStride[4] = {int(picture.bytesPerLine()), 0, 0, 0};
        sws_scale(sws, frame->data, frame->linesize, 0, frame->height, out, outStride);
        sws_freeContext(sws);
        return false;
    });
    return picture;
}

std::vector<float> decodeSound(const QString& path, int* sampleRate)
{
    std::vector<float> samples;
    decodeStream(path, AVMEDIA_TYPE_AUDIO, [&](const AVFrame* frame) {
        if (sampleRate) *sampleRate = frame->sample_rate;
        if (frame->format == AV_SAMPLE_FMT_FLTP || frame->format == AV_SAMPLE_FMT_FLT) {
            const auto* data = reinterpret_cast<const float*>(frame->data[0]);
            samples.insert(samples.end(), data, data + frame->nb_samples);
        }
        return true;
    });
    return samples;
}

double rms(const std::vector<float>& samples, std::size_t from, std::size_t to)
{
    to = std::min(to, samples.size());
    if (from >= to) return 0;
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(to - from));
}

}  // namespace klipo::test
