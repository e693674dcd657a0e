// The PNG the history stores: compressed in strips on several threads, it
// must still be one file any decoder reads back pixel for pixel.
#include "platform/PngEncoder.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>

using namespace klipo::platform;

namespace {

// Text-like strokes, flat fields and a picture-like gradient: what a screen holds.
QImage screenLike(int width, int height, QImage::Format format)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(QColor(246, 247, 249));
    QRandomGenerator random(7);
    QPainter painter(&image);
    QRadialGradient gradient(width / 3.0, height / 4.0, std::max(width, height) / 2.0);
    gradient.setColorAt(0, QColor(30, 90, 200));
    gradient.setColorAt(1, QColor(240, 120, 40, 90));
    painter.fillRect(0, 0, width, std::max(1, height / 2), gradient);
    for (int i = 0; i < width * height / 900; ++i) {
        painter.setPen(QColor::fromRgb(random.generate() | 0xff000000u));
        const int x = random.bounded(std::max(1, width));
        const int y = random.bounded(std::max(1, height));
        painter.drawLine(x, y, x + random.bounded(12), y + random.bounded(3));
    }
    painter.end();
    return image.convertToFormat(format);
}

QImage decoded(const QByteArray& png)
{
    QImage image;
    image.loadFromData(png, "PNG");
    return image;
}

// What the file must hold: the pixels as straight (not premultiplied) RGBA.
QImage asRgba(const QImage& image) { return image.convertToFormat(QImage::Format_RGBA8888); }

}  // namespace

TEST(PngEncoder, anyImageReadsBackPixelForPixel)
{
    struct Case {
        int width, height;
        QImage::Format format;
    };
    // Shapes that make one strip, many strips and a short last strip; opaque
    // and translucent formats; a one-pixel image.
    const Case cases[] = {{1920, 1080, QImage::Format_RGB32},
                          {640, 433, QImage::Format_ARGB32},
                          {300, 200, QImage::Format_ARGB32_Premultiplied},
                          {257, 97, QImage::Format_Grayscale8},
                          {3, 5000, QImage::Format_RGB888},
                          {4000, 20, QImage::Format_RGB32},
                          {1, 1, QImage::Format_ARGB32},
                          {90, 70, QImage::Format_Indexed8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " format " << int(c.format));
        const QImage image = screenLike(c.width, c.height, c.format);
        const QByteArray png = png::encode(image);
        ASSERT_FALSE(png.isEmpty());
        const QImage back = decoded(png);
        ASSERT_EQ(back.size(), image.size());
        EXPECT_EQ(back.hasAlphaChannel(), image.hasAlphaChannel());
        EXPECT_TRUE(asRgba(back) == asRgba(image));
        // Compressed on one core, strip after strip: the same file.
        EXPECT_EQ(png::encode(image, true), png);
    }
}

TEST(PngEncoder, staysAboutAsSmallAsTheUsualWriter_AndRefusesANullImage)
{
    const QImage image = screenLike(1280, 800, QImage::Format_RGB32);
    // The usual writer at a level as fast as ours.
    QByteArray usual;
    QBuffer buffer(&usual);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(60);
    ASSERT_TRUE(writer.write(image));
    EXPECT_LT(png::encode(image).size(), usual.size() * 5 / 4);
    EXPECT_TRUE(png::encode(QImage()).isEmpty());
}
