#pragma once

#include <QImage>

#include <cstdint>
#include <vector>

// Synthetic scrolling pages. Every page is a function of (x, y), so a frame
// at any top can be drawn without holding the whole page.
namespace klipo::test {

enum class PageKind {
    text,      // lines of word-like marks on white, paragraph gaps
    table,     // one table row repeated every 30 rows
    gradient,  // a smooth vertical ramp under a column pattern: many offsets fit about equally
    blankGap,  // text with a blank stretch taller than a frame in the middle
    numbers,   // 1, 2, 3 ... one short number a line at the left, 17 rows apart: a terminal's `seq`
    band,      // text with a band of one identical line every 40 rows in the middle (gapFrom .. gapTo)
    terminal,  // `seq` in a terminal's bitmap font: digits of one-pixel strokes, 6 x 13 cells, black on white
    log,       // the same black message on every line after a short grey id: a log, a table's rows
    countingLog,  // the log with ids counting up one a line: neighbours differ in their last digit only
};

struct PageSpec {
    PageKind kind = PageKind::text;
    int width = 800;
    uint32_t seed = 1;
    int gapFrom = 0;  // blankGap, band: first and last row of the stretch
    int gapTo = 0;
};

// Rows top .. top + height - 1 of the page, RGB32.
QImage pageFrame(const PageSpec& page, int top, int height);
// Same, as 8-bit grey.
QImage pageFrameGray(const PageSpec& page, int top, int height);

// Frame tops from 0 with steps drawn from [minStep, maxStep] until the
// last frame ends at or before pageHeight.
std::vector<int> randomTops(int pageHeight, int frameHeight, int minStep, int maxStep, uint32_t seed);

// Every pixel moved by a uniform amount in [-amplitude, amplitude], clamped (RGB32).
QImage withNoise(const QImage& frame, int amplitude, uint32_t seed);

}  // namespace klipo::test
