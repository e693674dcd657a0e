#include "platform/media/YuvFrame.h"

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <utility>

namespace klipo::platform::media {

YuvFrame::~YuvFrame() { av_frame_free(&m_frame); }

YuvFrame::YuvFrame(YuvFrame&& other) noexcept : m_frame(std::exchange(other.m_frame, nullptr)) {}

YuvFrame& YuvFrame::operator=(YuvFrame&& other) noexcept
{
    if (this != &other) {
        av_frame_free(&m_frame);
        m_frame = std::exchange(other.m_frame, nullptr);
    }
    return *this;
}

bool YuvFrame::allocate(int width, int height)
{
    if (m_frame && m_frame->width == width && m_frame->height == height) return true;
    av_frame_free(&m_frame);
    m_frame = av_frame_alloc();
    if (!m_frame) return false;
    m_frame->format = AV_PIX_FMT_YUV420P;
    m_frame->width = width;
    m_frame->height = height;
    m_frame->color_range = AVCOL_RANGE_MPEG;
    m_frame->colorspace = AVCOL_SPC_BT709;
    m_frame->color_primaries = AVCOL_PRI_BT709;
    m_frame->color_trc = AVCOL_TRC_IEC61966_2_1;
    if (av_frame_get_buffer(m_frame, 0) < 0) {
        av_frame_free(&m_frame);
        return false;
    }
    return true;
}

int YuvFrame::width() const { return m_frame ? m_frame->width : 0; }
int YuvFrame::height() const { return m_frame ? m_frame->height : 0; }

BgraToYuvConverter::~BgraToYuvConverter() { sws_freeContext(m_context); }

std::optional<QString> BgraToYuvConverter::convert(const QImage& image, YuvFrame& out)
{
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32 &&
        image.format() != QImage::Format_ARGB32_Premultiplied)
        return QStringLiteral("画面格式不受支持");
    const int width = image.width();
    const int height = image.height();
    if (width < 2 || height < 2 || width % 2 || height % 2) return QStringLiteral("画面尺寸必须是偶数");
    if (!out.allocate(width, height)) return QStringLiteral("内存不足");
    // The encoder may still hold a reference to the last picture: write into a fresh one then.
    if (av_frame_make_writable(out.raw()) < 0) return QStringLiteral("内存不足");

    SwsContext* context = sws_getCachedContext(m_context, width, height, AV_PIX_FMT_BGRA, width, height,
                                               AV_PIX_FMT_YUV420P, SWS_POINT, nullptr, nullptr, nullptr);
    if (!context) return QStringLiteral("无法建立画面转换");
    if (context != m_context) {
        m_context = context;
        // Screen colours are sRGB: BT.709 coefficients, limited range, as the frame is tagged.
        const int* coefficients = sws_getCoefficients(SWS_CS_ITU709);
        sws_setColorspaceDetails(m_context, coefficients, 1, coefficients, 0, 0, 1 << 16, 1 << 16);
    }
    const std::uint8_t* source[4] = {image.constBits(), nullptr, nullptr, nullptr};
    const int sourceStride[4] = {int(image.bytesPerLine()), 0, 0, 0};
    AVFrame* frame = out.raw();
    if (sws_scale(m_context, source, sourceStride, 0, height, frame->data, frame->linesize) != height)
        return QStringLiteral("画面转换失败");
    return std::nullopt;
}

}  // namespace klipo::platform::media
