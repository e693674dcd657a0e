#include "tools/QuickColorSample.h"

#include <algorithm>
#include <cmath>

namespace klipo {

QString colorText(QuickColorFormat format, int red, int green, int blue)
{
    switch (format) {
    case QuickColorFormat::hex:
        return QStringLiteral("#%1%2%3")
            .arg(red, 2, 16, QLatin1Char('0'))
            .arg(green, 2, 16, QLatin1Char('0'))
            .arg(blue, 2, 16, QLatin1Char('0'))
            .toUpper();
    case QuickColorFormat::rgb:
        return QStringLiteral("rgb(%1, %2, %3)").arg(red).arg(green).arg(blue);
    case QuickColorFormat::rgba:
        break;
    }
    return QStringLiteral("rgba(%1, %2, %3, 1)").arg(red).arg(green).arg(blue);
}

QString formatName(QuickColorFormat format) { return rawValue(format).toUpper(); }

QuickColorFormat nextFormat(QuickColorFormat format)
{
    const QList<QuickColorFormat> all = allCases<QuickColorFormat>();
    return all[(all.indexOf(format) + 1) % all.size()];
}

std::optional<QuickScreenSample> QuickScreenSample::make(const QRectF& screenFrame, const QImage& imagePx)
{
    if (imagePx.width() <= 0 || imagePx.height() <= 0) return std::nullopt;
    if (!(screenFrame.width() > 0) || !(screenFrame.height() > 0)) return std::nullopt;
    QuickScreenSample sample;
    sample.m_frame = screenFrame;
    sample.m_image = imagePx;
    sample.m_image.setDevicePixelRatio(1.0);
    sample.m_rgba = imagePx.convertToFormat(QImage::Format_RGBA8888);
    if (sample.m_rgba.isNull()) return std::nullopt;
    return sample;
}

std::optional<QPoint> QuickScreenSample::pixelPoint(const QPointF& global) const
{
    const double x = std::floor(pixelWidth() / m_frame.width() * (global.x() - m_frame.left()));
    const double y = std::floor(pixelHeight() / m_frame.height() * (global.y() - m_frame.top()));
    if (!(x >= 0 && x < pixelWidth() && y >= 0 && y < pixelHeight())) return std::nullopt;
    return QPoint(int(x), int(y));
}

std::optional<std::array<std::uint8_t, 3>> QuickScreenSample::rgb(int x, int y) const
{
    if (x < 0 || y < 0 || x >= pixelWidth() || y >= pixelHeight()) return std::nullopt;
    const uchar* pixel = m_rgba.constScanLine(y) + std::size_t(x) * 4;
    return std::array<std::uint8_t, 3>{pixel[0], pixel[1], pixel[2]};
}

QPointF magnifierOrigin(const QPointF& mouse, const QRectF& screenFrame, const QSizeF& size)
{
    const double lx = mouse.x() - screenFrame.left();
    const double ly = mouse.y() - screenFrame.top();
    const double w = size.width();
    const double h = size.height();
    const double W = screenFrame.width();
    const double H = screenFrame.height();
    double x = lx + 20;
    if (lx + 20 + w > W - 8) x = lx - w - 20;
    double y = ly + 20;
    if (y + h > H - 8) y = ly - h - 20;
    x = std::clamp(x, 8.0, std::max(8.0, W - w - 8));
    y = std::clamp(y, 8.0, std::max(8.0, H - h - 8));
    return {x, y};
}

}  // namespace klipo
