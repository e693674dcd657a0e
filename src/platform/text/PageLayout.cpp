#include "platform/text/PageLayout.h"

#include "platform/text/LineLooks.h"
#include "platform/text/PageMarks.h"
#include "platform/text/RegionCutter.h"

#include <algorithm>
#include <cstdlib>

namespace klipo::platform {

namespace {

PageLayout analyseAtFullSize(const QImage& gray)
{
    PageLayout layout;
    layout.width = gray.width();
    if (gray.width() < 2 || gray.height() < 2) {
        layout.structure.assign(size_t(std::max(0, gray.width() * gray.height())), 0);
        return layout;
    }
    PageMarks marks(gray);

    // The height of most letters and words sets what counts as long.
    std::vector<int> heights;
    markClusters(marks, [&](const MarkCluster& c) {
        // Outlines alone (the inside edge of a thick frame or grid cell) are no text.
        const bool outline = c.count * 5 < 12 * (c.box.width() + c.box.height());
        const int h = c.box.height();
        if (h >= 5 && h <= std::max(64, gray.height() / 8) && c.box.width() <= 12 * h && c.count >= 8 && !outline)
            heights.push_back(c.box.height());
        return false;
    });
    const int th = std::max(6, typicalHeight(heights, 12));
    layout.textHeight = th;
    // Boxes around text (fields, buttons, bubbles, banners) are hollow
    // clusters much taller than the text in them.
    auto hollow = [th](const MarkCluster& c) {
        const int w = c.box.width();
        const int h = c.box.height();
        // A thin bar much taller than the text: a separator between toolbar items.
        if (w * 4 <= h && h * 5 >= th * 8) return true;
        // Its marks run along its sides, unless it is larger than letters
        // are (a picture's outline): a large letter's are spread inside.
        return h * 2 > th * 3 && w > 2 * th && double(c.count) < 0.2 * double(w) * double(h) &&
               (c.rim * 10 >= c.count * 7 || h > 4 * th);
    };
    // Small boxes first, whole (their rounded corners and short sides are not
    // straight runs); window frames and table grids are left to the runs, so
    // that a letter touching them is not taken away with them.
    // Strokes of neighbouring letters can line up over a few letters; a
    // frame's side is far longer. The strokes of a headline's letters are
    // as long as a short frame side: its words and letters are held apart.
    markEachCluster(marks, [&](const MarkCluster& c) {
        if (c.box.height() <= 8 * th && hollow(c)) return PageMarks::structure;
        const int h = c.box.height();
        const bool large =
            h * 2 >= th * 3 && h <= 6 * th && c.box.width() * 4 >= h && c.count * 10 >= c.box.width() + h;
        return large ? PageMarks::held : PageMarks::text;
    });
    markStraightRuns(marks, std::max(5 * th, 64), std::max(2 * th, 20));
    releaseHeld(marks);

    // What is left of a box once its straight runs are gone.
    const std::vector<MarkCluster> words = markClusters(marks, hollow);

    RegionCutter(gray, marks, words, th, layout.lines).cutPage();

    layout.structure.resize(marks.m.size());
    for (size_t i = 0; i < marks.m.size(); ++i)
        layout.structure[i] = marks.m[i] == PageMarks::structure || marks.m[i] == PageMarks::hiddenStructure;
    return layout;
}

// Half the size, each pixel the mean of four.
QImage halved(const QImage& gray)
{
    QImage out(gray.width() / 2, gray.height() / 2, QImage::Format_Grayscale8);
    for (int y = 0; y < out.height(); ++y) {
        const uchar* a = gray.constScanLine(2 * y);
        const uchar* b = gray.constScanLine(2 * y + 1);
        uchar* to = out.scanLine(y);
        for (int x = 0; x < out.width(); ++x)
            to[x] = uchar((a[2 * x] + a[2 * x + 1] + b[2 * x] + b[2 * x + 1] + 2) / 4);
    }
    return out;
}

}  // namespace

PageLayout analysePage(const QImage& gray)
{
    // A high-density screen (text twice as tall as usual) is laid out at
    // half its size, four times faster; small text keeps the full size.
    constexpr qint64 kLargePicture = 2560 * 1440;
    constexpr int kHalvedTextHeight = 9;
    if (qint64(gray.width()) * gray.height() < kLargePicture) return analyseAtFullSize(gray);
    const PageLayout half = analyseAtFullSize(halved(gray));
    if (half.textHeight < kHalvedTextHeight) return analyseAtFullSize(gray);
    PageLayout layout;
    layout.width = gray.width();
    layout.textHeight = 2 * half.textHeight;
    const int width = gray.width();
    const int halfRows = int(half.structure.size() / size_t(half.width));
    layout.structure.assign(size_t(width) * size_t(gray.height()), 0);
    for (int y = 0; y < gray.height(); ++y) {
        const char* from = &half.structure[size_t(std::min(y / 2, halfRows - 1)) * size_t(half.width)];
        char* to = &layout.structure[size_t(y) * size_t(width)];
        for (int x = 0; x < width; ++x) to[x] = from[std::min(x / 2, half.width - 1)];
    }
    for (LayoutLine line : half.lines) {
        const QRect r = line.rect;
        line.rect = QRect(2 * r.x() - 1, 2 * r.y() - 1, 2 * r.width() + 2, 2 * r.height() + 2).intersected(gray.rect());
        coloursOf(gray, line.rect, line.background, line.ink);
        line.script = scriptOf(gray, line.rect, line.background);
        layout.lines.push_back(line);
    }
    return layout;
}

QImage linePicture(const QImage& gray, const PageLayout& layout, const LayoutLine& line, int margin)
{
    const QRect& r = line.rect;
    QImage out(r.width() + 2 * margin, r.height() + 2 * margin, QImage::Format_Grayscale8);
    out.fill(255);
    const int contrast = std::max(60, std::abs(line.ink - line.background));
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const uchar* from = gray.constScanLine(y);
        uchar* to = out.scanLine(y - r.top() + margin) + margin - r.left();
        for (int x = r.left(); x <= r.right(); ++x) {
            if (layout.isStructure(x, y)) continue;
            const int d = std::abs(int(from[x]) - line.background);
            to[x] = uchar(255 - std::min(255, d * 255 / contrast));
        }
    }
    return out;
}

}  // namespace klipo::platform