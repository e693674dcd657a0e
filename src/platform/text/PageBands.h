#pragma once

#include <QImage>
#include <QRect>

#include <vector>

namespace klipo::platform {

// The writing system a stretch of text looks like before it is read: Latin
// lines have most of their ink between the baseline and the x-height, Han
// (and other square scripts) fill the whole line height evenly.
enum class BandScript { Unknown, Latin, Han };

// One row of text as the image shows it: rows of pixels between two empty rows.
struct TextRow {
    int top = 0;
    int bottom = 0;  // exclusive
    int left = 0;
    int right = 0;   // exclusive
    BandScript script = BandScript::Unknown;
};

// A horizontal stretch of the image that holds whole text lines, recognised
// on its own (bands are read in parallel).
struct TextBand {
    QRect rect;               // in the grey image, full width
    std::vector<QRect> rows;  // its rows of text, cut where a wide gap separates columns
    bool columns = false;     // some row was cut: text stands side by side
    BandScript script = BandScript::Unknown;
    int background = 255;     // grey value around its text
    bool dark = false;        // light text on a dark background: invert before reading
    int textHeight = 0;       // typical height of its text rows, in pixels
    double scale = 1;         // upscaling that small text needs
};

// The rows of `gray` (Format_Grayscale8) that hold something. A row of pixels
// is empty when no two neighbours differ by much, leaving out columns that
// differ in almost every row (window borders, separators).
std::vector<TextRow> findTextRows(const QImage& gray);

// Groups the rows into bands of one writing system, each at most about
// `maxBandHeight` high (a single taller row makes a taller band), and decides
// inversion and upscaling per band.
std::vector<TextBand> planBands(const QImage& gray, int maxBandHeight);

// The pieces of one text row between gaps wider than twice its height (the
// columns it crosses), each as wide as its ink.
std::vector<QRect> rowSegments(const QImage& gray, const TextRow& row);

// What the engine should see of a band: the pixels of its rows on a plain
// background, everything else left out. Window frames, rules and the desktop
// beside a window would otherwise be read as characters at the ends of lines.
QImage bandPicture(const QImage& gray, const TextBand& band);

// The upscaling factor (1 to 3) for text rows of this height and script.
double upscaleFor(BandScript script, int textHeight);

}  // namespace klipo::platform
