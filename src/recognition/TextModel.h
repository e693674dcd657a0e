#pragma once

#include <QRectF>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace klipo {

// Rectangles of the text model are in the pixels of the recognised image with
// the origin at the bottom left and y growing upward: rect.top() is the lowest
// edge (minY) and rect.bottom() the highest (maxY). Code that draws or
// hit-tests in Qt's top-left space flips them (see flipped()).

// One word (or word-like run) of a line.
struct TextAnchor {
    std::int64_t start = 0;  // first character, counted in grapheme clusters of the line's text
    std::int64_t end = 0;    // one past the last character
    QRectF rect;
};

// One recognised line.
struct TextLine {
    QString text;
    QRectF rect;
    std::optional<std::vector<TextAnchor>> anchors;  // only when asked for and at least one run qualified
    double confidence = 1;                           // how sure the engine is of the text, 0 to 1
    bool monospaced = false;                         // of a terminal or of code
    int region = -1;  // the part of the page it stands in (a column of one window), -1 when not known
};

// One paragraph: its lines (top line first), their joined text, and the union
// of their rectangles. Never without lines.
struct TextBlock {
    std::vector<TextLine> lines;
    QString text;
    QRectF rect;
};

// Converts between the model's bottom-left rectangles and Qt's top-left ones
// for an image `imageHeight` pixels high (the conversion is its own inverse).
inline QRectF flipped(const QRectF& rect, qreal imageHeight)
{
    return QRectF(rect.x(), imageHeight - rect.y() - rect.height(), rect.width(), rect.height());
}

}  // namespace klipo
