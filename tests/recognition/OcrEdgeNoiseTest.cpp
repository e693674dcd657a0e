// Text close to window frames, table borders and the desktop beside a window:
// the edges must not be read as characters, and no real text may go with them.
#include "TextPictures.h"
#include "recognition/OCRService.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace klipo;

namespace {

// A light window with a grey frame on a dark desktop; its lines start `inset`
// pixels inside the frame (or end there, when aligned right).
struct FramedWindow {
    QRect window;
    int frame = 1;
    int inset = 2;
    qreal radius = 0;
    bool alignRight = false;
    bool chinese = false;
};

constexpr int kPixelSize = 15;
const QSize kScreen(640, 200);

QImage drawWindow(const FramedWindow& w, const QStringList& lines)
{
    QImage image(kScreen, QImage::Format_RGB32);
    image.fill(QColor(35, 35, 38));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(110, 110, 110), w.frame));
    painter.setBrush(QColor(245, 245, 245));
    const qreal half = w.frame / 2.0;
    painter.drawRoundedRect(QRectF(w.window).adjusted(half, half, -half, -half), w.radius, w.radius);
    QFont font(w.chinese ? QStringLiteral("WenQuanYi Micro Hei") : QStringLiteral("DejaVu Sans"));
    font.setPixelSize(kPixelSize);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(font);
    const QRectF inner = QRectF(w.window).adjusted(w.frame + w.inset, w.frame + w.inset, -w.frame - w.inset, 0);
    for (int i = 0; i < lines.size(); ++i) {
        const qreal x = w.alignRight ? inner.right() - metrics.horizontalAdvance(lines[i]) : inner.left();
        painter.drawText(QPointF(x, inner.top() + i * metrics.lineSpacing() * 1.3 + metrics.ascent()), lines[i]);
    }
    return image;
}

std::vector<TextLine> recognizedLines(const QImage& image)
{
    QFuture<OcrOutcome> future = OCRService::recognizeBlocks(image, false);
    future.waitForFinished();
    std::vector<TextLine> lines;
    for (const TextBlock& block : future.result().blocks) lines.insert(lines.end(), block.lines.begin(), block.lines.end());
    return lines;
}

const QStringList kLatin = {QStringLiteral("El gato duerme en el sofa mientras nieva."),
                            QStringLiteral("The cat sleeps on the sofa while it rains."),
                            QStringLiteral("Hoy tengo 3 gatos y 2 perros, y a ti?")};

}  // namespace

TEST(EdgeNoise, readsLinesBesideAWindowFrame_WithoutTheFrameOrTheDesktop)
{
    const QRect tall(30, 20, 580, 160);  // the frame runs down most of the picture
    const QRect small(40, 60, 440, 52);  // a dialog or tooltip of two lines
    const FramedWindow windows[] = {
        {tall, 1, 2}, {tall, 2, 3, 0, true}, {small, 1, 3}, {small, 1, 3, 8}, {QRect(40, 60, 340, 56), 1, 3, 0, true, true}};
    for (const FramedWindow& w : windows) {
        const QStringList drawn = w.chinese ? QStringList{QStringLiteral("今天天气很好，我们去公园。"), QStringLiteral("文字识别在后台线程中运行。")}
                                            : w.window == small ? kLatin.mid(1) : kLatin;
        const std::vector<TextLine> lines = recognizedLines(drawWindow(w, drawn));
        SCOPED_TRACE(testing::Message() << "frame " << w.frame << " inset " << w.inset << " radius " << w.radius
                                        << (w.alignRight ? " right" : " left"));
        ASSERT_EQ(lines.size(), size_t(drawn.size()));
        const QRectF inside = QRectF(w.window).adjusted(w.frame, w.frame, -w.frame, -w.frame);
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ((w.chinese ? test::squeezed(lines[i].text) : lines[i].text).toStdString(), drawn[int(i)].toStdString());
            EXPECT_TRUE(inside.contains(flipped(lines[i].rect, kScreen.height()))) << qPrintable(lines[i].text);
        }
    }
}

TEST(EdgeNoise, readsEveryTableCell_WithoutItsBorders)
{
    QImage image(kScreen, QImage::Format_RGB32);
    image.fill(QColor(35, 35, 38));
    QPainter painter(&image);
    painter.fillRect(QRect(40, 30, 560, 133), Qt::white);
    painter.setPen(QColor(100, 100, 100));
    for (int x : {40, 220, 420, 599}) painter.drawLine(x, 30, x, 162);
    for (int y : {30, 74, 118, 162}) painter.drawLine(40, y, 599, y);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(kPixelSize);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QStringList cells = {QStringLiteral("Nombre"), QStringLiteral("Ciudad"), QStringLiteral("Edad"),
                               QStringLiteral("Carlos"), QStringLiteral("Sevilla"), QStringLiteral("34"),
                               QStringLiteral("John"), QStringLiteral("Leeds"), QStringLiteral("7")};
    for (int i = 0; i < cells.size(); ++i)
        painter.drawText(QPoint(QList<int>{40, 220, 420}[i % 3] + 3, 30 + 44 * (i / 3) + 28), cells[i]);
    painter.end();

    QStringList words;
    for (const TextLine& line : recognizedLines(image)) words << line.text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList expected = cells;
    words.sort();
    expected.sort();
    EXPECT_EQ(words.join(QLatin1Char(' ')).toStdString(), expected.join(QLatin1Char(' ')).toStdString());
}

TEST(EdgeNoise, readsALineOnce_WhenAnIconMakesItsRowTallerThanItsText)
{
    QImage image(500, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(60, 90, 200));
    painter.drawEllipse(QRectF(20, 36, 48, 48));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(78, 64), QStringLiteral("Guardar el documento"));
    painter.end();
    const std::vector<TextLine> lines = recognizedLines(image);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const TextLine& l) { return l.text.contains(QStringLiteral("documento")); }),
              1);
}
