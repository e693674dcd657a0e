#include "TextPictures.h"

#include <QFont>
#include <QPainter>
#include <QRegularExpression>

namespace klipo::test {

QImage drawPicture(const QSize& size, const std::vector<DrawnLine>& lines, const PictureStyle& style)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(style.background);
    QPainter painter(&image);
    painter.setPen(style.ink);
    for (const DrawnLine& line : lines) {
        QFont font(style.chinese ? QStringLiteral("WenQuanYi Micro Hei") : QStringLiteral("DejaVu Sans"));
        font.setPixelSize(line.pixelSize);
        painter.setFont(font);
        painter.drawText(QPointF(line.topLeft) + QPointF(0, QFontMetricsF(font).ascent()), line.text);
    }
    return image;
}

TextLine modelLine(const QString& text, qreal x, qreal y, qreal width, qreal height)
{
    return TextLine{text, QRectF(x, y, width, height), std::nullopt};
}

QString allText(const std::vector<TextBlock>& blocks)
{
    QStringList texts;
    for (const TextBlock& b : blocks) texts << b.text;
    return texts.join(QLatin1Char('\n'));
}

QString squeezed(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
}

}  // namespace klipo::test
