#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include <array>
#include <vector>

namespace klipo::platform {

// The writing system a line looks like before it is read: Latin lines have
// most of their ink between the baseline and the x-height, Han (and other
// square scripts) fill the whole line height evenly.
enum class LineScript { Unknown, Latin, Han };

// Grounds of a line besides its own; 0 entries are none.
using Shades = std::array<QRgb, 2>;

// One line of text of one column of one window, as the picture shows it.
struct LayoutLine {
    QRect rect;      // tight around its ink, in the grey picture
    int region = 0;  // the region it belongs to, numbered in reading order
    LineScript script = LineScript::Unknown;
    int background = 255;  // grey value around its text
    int ink = 0;           // grey value of its text
    // In a colour picture: the colour around its text; `background` and
    // `ink` are then how far from it (255 and less) the background and the text are.
    QRgb backgroundColour = 0xffffffffu;
    // Other grounds behind some of its words, no ink either: a highlight,
    // a changed word on a darker shade, the page's ground where the line
    // runs on past the end of a coloured row. 0: none.
    Shades shades{};
    bool stacked = false;     // lines that touch each other: read as a block
    bool monospaced = false;  // of a terminal or code: kept whole, never joined to the next
};

// Where the text of a picture is and in what order it reads. The picture is
// cut into regions at empty rows and columns (the gap measured against the
// height of the text around it), and at frames, borders and rules, which are
// never read as text; each region is cut into lines. Regions read top to
// bottom and left to right, a column to its end before the next; the rows of
// a table or list row by row; a window or pop-up on top of others whole.
struct PageLayout {
    std::vector<LayoutLine> lines;  // in reading order
    std::vector<char> structure;    // per pixel: 1 where a frame, border or rule runs
    int width = 0;
    int textHeight = 0;  // typical height of the picture's text

    bool isStructure(int x, int y) const { return structure[size_t(y) * size_t(width) + size_t(x)] != 0; }
};

// `picture` is Format_Grayscale8 or, for text of any colour, Format_RGB32.
PageLayout analysePage(const QImage& picture);

// What the engine should see of one line: its pixels on a plain white
// background as dark text, whatever its colours were (light on dark, white
// on a coloured banner, grey on white, yellow on white), frames and rules
// left out, with `margin` pixels around it. `picture` is the one the layout
// was made of.
QImage linePicture(const QImage& picture, const PageLayout& layout, const LayoutLine& line, int margin);

}  // namespace klipo::platform
