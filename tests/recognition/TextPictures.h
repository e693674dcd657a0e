#pragma once

#include "recognition/TextModel.h"

#include <QColor>
#include <QImage>
#include <QString>

#include <vector>

namespace klipo::test {

// A line of text to draw into a test picture, with its top-left corner.
struct DrawnLine {
    QString text;
    QPoint topLeft;
    int pixelSize = 20;
};

// Draws the lines on a plain background (with the CJK font if `chinese`).
struct PictureStyle {
    QColor background = Qt::white;
    QColor ink = Qt::black;
    bool chinese = false;
};
QImage drawPicture(const QSize& size, const std::vector<DrawnLine>& lines, const PictureStyle& style = {});

// A text line of the model (bottom-left origin) for grouping and layout tests.
TextLine modelLine(const QString& text, qreal x, qreal y, qreal width, qreal height);

// All recognised text of an outcome's blocks, joined by newlines.
QString allText(const std::vector<TextBlock>& blocks);

// The text without any whitespace (CJK recognition puts spaces where it likes).
QString squeezed(QString text);

}  // namespace klipo::test
