#include "platform/media/ffmpeg/FfmpegBackend.h"
#include "platform/media/ffmpeg/FfmpegFileWriter.h"

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace klipo::platform::media {

std::unique_ptr<MediaFileWriter> FfmpegBackend::createWriter() { return std::make_unique<FfmpegFileWriter>(); }

bool FfmpegBackend::allocateFrame(AVFrame*& frame, int width, int height)
{
    if (frame && frame->width == width && frame->height == height) return true;
    av_frame_free(&frame);
    frame = av_frame_alloc();
    if (!frame) return false;
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = width;
    frame->height = height;
    frame->color_range = AVCOL_RANGE_MPEG;
    frame->colorspace = AVCOL_SPC_BT709;
    frame->color_primaries = AVCOL_PRI_BT709;
    frame->color_trc = AVCOL_TRC_IEC61966_2_1;
    if (av_frame_get_buffer(frame, 0) < 0) {
        av_frame_free(&frame);
        return false;
    }
    return true;
}

void FfmpegBackend::freeFrame(AVFrame*& frame) { av_frame_free(&frame); }
int FfmpegBackend::frameWidth(const AVFrame* frame) { return frame ? frame->width : 0; }
int FfmpegBackend::frameHeight(const AVFrame* frame) { return frame ? frame->height : 0; }
void FfmpegBackend::freeConverter(SwsContext*& context)
{
    sws_freeContext(context);
    context = nullptr;
}

std::optional<QString> FfmpegBackend::convert(SwsContext*& context, const QImage& image, AVFrame*& out)
{
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32 &&
        image.format() != QImage::Format_ARGB32_Premultiplied)
        return QStringLiteral("画面格式不受支持");
    const int width = image.width();
    const int height = image.height();
    if (width < 2 || height < 2 || width % 2 || height % 2) return QStringLiteral("画面尺寸必须是偶数");
    if (!allocateFrame(out, width, height)) return QStringLiteral("内存不足");
    // The encoder may still hold a reference to the last picture: write into a fresh one then.
    if (av_frame_make_writable(out) < 0) return QStringLiteral("内存不足");

    SwsContext* cached = sws_getCachedContext(context, width, height, AV_PIX_FMT_BGRA, width, height,
                                              AV_PIX_FMT_YUV420P, SWS_POINT, nullptr, nullptr, nullptr);
    if (!cached) return QStringLiteral("无法建立画面转换");
    if (cached != context) {
        context = cached;
        // Screen colours are sRGB: BT.709 coefficients, limited range, as the frame is tagged.
        const int* coefficients = sws_getCoefficients(SWS_CS_ITU709);
        sws_setColorspaceDetails(context, coefficients, 1, coefficients, 0, 0, 1 << 16, 1 << 16);
    }
    const std::uint8_t* source[4] = {image.constBits(), nullptr, nullptr, nullptr};
    const int sourceStride[4] = {int(image.bytesPerLine()), 0, 0, 0};
    if (sws_scale(context, source, sourceStride, 0, height, out->data, out->linesize) != height)
        return QStringLiteral("画面转换失败");
    return std::nullopt;
}

}  // namespace klipo::platform::media

extern "C" __attribute__((visibility("default"))) klipo::platform::media::MediaBackend* klipoMediaBackend()
{
    static klipo::platform::media::FfmpegBackend backend;
    return &backend;
}
