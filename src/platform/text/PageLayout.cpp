#include "platform/text/PageLayout.h"

#include "platform/text/GroundEdges.h"
#include "platform/text/GroundOutlines.h"
#include "platform/text/HeadlineLetters.h"
#include "platform/text/InParallel.h"
#include "platform/text/LineLooks.h"
#include "platform/text/PageMarks.h"
#include "platform/text/PagePictures.h"
#include "platform/text/RegionCutter.h"
#include "platform/text/StrikeLines.h"

#include <QColorSpace>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <future>

namespace klipo::platform {

namespace {

// Takes a cluster that is no text off the marks: as `kind` where it was
// marked as text.
void unmark(PageMarks& marks, const QRect& box, std::uint8_t kind) { marks.relabel(box, PageMarks::text, kind); }

// A box's rounded corners are no straight runs: small arcs that meet
// a side running on across at one end and one running on down at the other
// (a card's frame), which would read as "N". They are left out as nothing
// rather than made part of the frame: a frame whose corners stay open is not
// taken for a window.
void dropRoundedCorners(PageMarks& marks, std::vector<MarkCluster>& words, int th)
{
    const auto corner = [&marks, th](const MarkCluster& c) {
        const QRect b = c.box;
        // A larger picture's corners are rounder: up to half as large again as the text.
        const int largest = th * 3 / 2;
        if (b.width() > largest || b.height() > largest || c.count > 3 * (b.width() + b.height())) return false;
        // Structure running on from (x, y) in steps of (dx, dy) for half a
        // text height (where a picture lies inside the frame, its side is
        // taken with the picture).
        const auto side = [&marks, th](int x, int y, int dx, int dy) {
            for (int i = 0; i < std::max(3, th / 2); ++i, x += dx, y += dy)
                if (x < 0 || y < 0 || x >= marks.w || y >= marks.h ||
                    (marks.at(x, y) != PageMarks::structure && marks.at(x, y) != PageMarks::picture))
                    return false;
            return true;
        };
        // A large arc's sides may run on a pixel past its box (its soft end
        // left with the side's straight run).
        const int past = b.width() * 3 >= th * 2 && b.height() * 3 >= th * 2 ? 1 : 0;
        bool across = false;
        bool down = false;
        for (int y = b.top() - past; y <= b.bottom() + past && !across; ++y)
            across = side(b.left() - 1, y, -1, 0) || side(b.right() + 1, y, 1, 0);
        for (int x = b.left() - past; x <= b.right() + past && !down; ++x)
            down = side(x, b.top() - 1, 0, -1) || side(x, b.bottom() + 1, 0, 1);
        return across && down;
    };
    std::erase_if(words, [&](const MarkCluster& c) {
        if (!corner(c)) return false;
        unmark(marks, c.box, PageMarks::none);
        return true;
    });
}

// The rounded corners of a box and the shadow at them are no straight runs:
// they stay behind as specks a few pixels large, and would bridge the gap
// between a menu bar and the pop-up hanging from it. A speck far smaller
// than a letter with no letter near it is no text: beside a frame or rule
// it is part of it, elsewhere (a soft edge, a shadow) nothing. A count on a
// badge (inside one of `badgeTexts`) stays.
void dropSpecks(PageMarks& marks, std::vector<MarkCluster>& words, int th, const std::vector<QRect>& badgeTexts)
{
    const int small = std::max(3, th * 2 / 3);
    // Other specks of the corner may lie near it, but no letter (on its line
    // as far as a letter's width: the one before a full stop).
    const int near = std::max(2, th / 2);
    const int wide = std::max(near, th * 3 / 2);
    const QRect page(0, 0, marks.w, marks.h);
    const auto count = [&](const QRect& area, std::uint8_t kind) {
        int n = 0;
        const QRect a = area.intersected(page);
        for (int y = a.top(); y <= a.bottom(); ++y)
            for (int x = a.left(); x <= a.right(); ++x) n += marks.at(x, y) == kind;
        return n;
    };
    std::erase_if(words, [&](const MarkCluster& c) {
        if (c.box.width() > small || c.box.height() > small) return false;
        // A count on a badge is no speck, however far from other text.
        if (std::any_of(badgeTexts.begin(), badgeTexts.end(),
                        [&](const QRect& text) { return text.adjusted(-1, -1, 1, 1).contains(c.box); }))
            return false;
        if (count(c.box.adjusted(-wide, -near, wide, near), PageMarks::text) - c.count >= th) return false;
        unmark(marks, c.box,
               count(c.box.adjusted(-1, -1, 1, 1), PageMarks::structure) > 0 ? PageMarks::structure : PageMarks::none);
        return true;
    });
}

// Whether a cluster stands in a word: other ink a letter's spacing beside
// it, level with its middle (a bold "a" or "n" of a headline, as filled as a
// small icon, touches the letters around it; an icon stands a space apart).
// Ink that also runs on above and below it is a ring around it (a filled
// check box's edge), no letter; nor is a shape taller than `tallest`.
bool inWord(const PageMarks& marks, const QRect& box, int th, int tallest)
{
    if (box.height() > tallest) return false;
    const int spacing = std::max(2, th / 6);
    const auto ink = [&](int from, int to, int top, int bottom) {
        for (int y = std::max(0, top); y <= std::min(marks.h - 1, bottom); ++y)
            for (int x = std::max(0, from); x <= std::min(marks.w - 1, to); ++x)
                if (const std::uint8_t v = marks.at(x, y); v != PageMarks::none && v != PageMarks::structure)
                    return true;
        return false;
    };
    const auto letterBeside = [&](int from, int to) {
        return ink(from, to, box.top() + box.height() / 4, box.bottom() - box.height() / 4) &&
               !(ink(from, to, box.top() - 2, box.top() - 1) && ink(from, to, box.bottom() + 1, box.bottom() + 2));
    };
    return letterBeside(box.left() - spacing, box.left() - 1) || letterBeside(box.right() + 1, box.right() + spacing);
}

// `withLooks`: the lines' colours and script measured as well (not where
// they are measured again on a larger picture).
PageLayout analyseAtFullSize(const QImage& gray, const QImage& colour, bool withLooks)
{
    PageLayout layout;
    layout.width = gray.width();
    if (gray.width() < 2 || gray.height() < 2) {
        layout.structure.assign(size_t(std::max(0, gray.width() * gray.height())), 0);
        return layout;
    }
    PageMarks marks(gray, colour);

    // The height of most letters and words sets what counts as long.
    const GatheredClusters clusters = gatherClusters(marks);
    std::vector<int> heights;
    for (const MarkCluster& c : clusters.clusters) {
        // Outlines alone (the inside edge of a thick frame or grid cell) are no text.
        const bool outline = c.count * 5 < 12 * (c.box.width() + c.box.height());
        const int h = c.box.height();
        if (h >= 5 && h <= std::max(64, gray.height() / 8) && c.box.width() <= 12 * h && c.count >= 8 && !outline)
            heights.push_back(c.box.height());
    }
    const int th = std::max(6, textHeightAmong(std::move(heights), 12));
    layout.textHeight = th;
    // The edges between grounds depend on the picture alone: they are found
    // on another core while the marks are sorted out (here, later, when no
    // thread can be started).
    std::future<std::vector<char>> ground =
        std::async(std::launch::async | std::launch::deferred,
                   [&gray, &colour, th] { return groundEdges(gray, colour, RegionCutter::groundEdgeLength(th)); });
    // Boxes around text (fields, buttons, bubbles, banners) are hollow
    // clusters much taller than the text in them.
    auto hollow = [th, &marks](const MarkCluster& c) {
        const int w = c.box.width();
        const int h = c.box.height();
        // A thin bar much taller than the text: a separator between toolbar
        // items, unless it is a letter of a headline.
        if (w * 4 <= h && h * 5 >= th * 8) return !barAmongLetters(marks, c.box);
        // Its marks run along its sides, unless it is larger than letters
        // are (a picture's outline): a large letter's are spread inside.
        // A small frame's marks, thick on a dark ground (a light line has
        // an edge on each side), fill much of its box, but all of them lie
        // along its sides.
        return h * 2 > th * 3 && w > 2 * th &&
               ((double(c.count) < 0.2 * double(w) * double(h) && (c.rim * 10 >= c.count * 7 || h > 4 * th)) ||
                c.rim * 20 >= c.count * 19);
    };
    // Small boxes first, whole (their rounded corners and short sides are not
    // straight runs); window frames and table grids are left to the runs, so
    // that a letter touching them is not taken away with them.
    // Strokes of neighbouring letters can line up over a few letters; a
    // frame's side is far longer. The strokes of a headline's letters are
    // as long as a short frame side: its words and letters are held apart.
    std::vector<QRect> discs;
    std::vector<QRect> badgeTexts;
    std::vector<size_t> grounds;  // the clusters taken as the outline of a box or a badge's ground
    // A capital of a name or a title in bold, an accent on it, stands a
    // third taller than most words.
    const int capital = th * 4 / 3;
    // A headline's letters stand as close to each other as small ones, for
    // their size: a bold "g" or "B" of a heading half again as tall as the
    // text, as filled as a badge's ground with its counter inside, is a
    // letter of its word (a count's badge beside small text is not).
    // The inner edge of a bold letter's bowl ("o", "g", "d") is a ring of
    // its own inside the letter's strokes: no shape either.
    const auto letterOfWord = [&](const QRect& box) {
        const int h = box.height();
        return inWord(marks, box, th, capital) || (h > capital && inLargeWord(marks, box)) ||
               letterCounter(marks, gray, colour, box);
    };
    markEachCluster(marks, clusters, [&](const MarkCluster& c) {
        const int h = c.box.height();
        const int w = c.box.width();
        const bool shape = h >= 5 && h <= 8 * th;
        // The looks of a shape are taken once, and only for a shape that
        // may be a badge or is not hollow.
        const bool badgeSized = shape && h * 5 >= th * 4 && h <= 3 * th && w * 5 >= h * 4 && w <= 20 * h;
        ClusterLooks looks;
        if (badgeSized) looks = looksOfCluster(gray, colour, c.box);
        // A badge's ground (a count's disc, a tag's pill), filled for the
        // most part with a colour other than what is around it: its outline
        // is no text, the count or word on it is, however small, and whether
        // or not its marks touch the outline's.
        // A bold capital (a "B") is as filled, with its counters on it, but
        // it stands in a word: a tag stands a space apart from the words
        // around it.
        if (badgeSized && looks.fill >= 0.5 && !letterOfWord(c.box)) {
            if (const QRect text = badgeTextIn(gray, colour, c.box); !text.isEmpty()) {
                badgeTexts.push_back(text);
                grounds.push_back(size_t(&c - clusters.clusters.data()));
                return PageMarks::structure;
            }
        }
        if (c.box.height() <= 8 * th && hollow(c)) {
            grounds.push_back(size_t(&c - clusters.clusters.data()));
            return PageMarks::structure;
        }
        // Not text at all: shapes filled with a colour (icons, avatars, the
        // ground of a badge, whose text stays).
        if (shape) {
            if (!badgeSized) looks = looksOfCluster(gray, colour, c.box);
            // A letter's strokes are thin; a filled shape's marks run only
            // along its outline, around any text on it.
            // Marks inside as well as around: a dense Chinese character,
            // unless it is far larger than the text (an avatar's figure).
            const bool outline = c.rim * 10 >= c.count * 6 || h * 2 >= th * 3;
            // A badge's ground half again as tall as the text is filled
            // through around its count, where the count is no speck that
            // would be lost with it and stands well inside the ground (the
            // counters of a bold word's letters reach from top to bottom).
            const bool filled = outline && ((looks.fill >= 0.55 && looks.thick >= 0.45) ||
                                            (looks.fill >= 0.6 && looks.thick >= 0.3 && c.rim * 10 >= c.count * 8) ||
                                            (h * 2 >= th * 3 && looks.fill >= 0.6 && looks.thickThrough >= 0.45 &&
                                             looks.insideHeight * 4 >= th * 3 && looks.insideHeight * 5 <= h * 3));
            // A word of small Chinese characters blurs into one grey block,
            // but it is no taller than the text and at least two characters
            // wide, and less filled than a badge's or switch's ground; its
            // strokes leave marks all over it (an avatar's shoulders, as
            // wide and as filled, only along their outline).
            const bool smallWord =
                h <= th && w * 5 >= h * 9 && looks.fill < 0.75 && double(c.count) >= 0.4 * double(w) * double(h);
            if (filled && !smallWord && h * 5 >= th * 4 && w * 5 >= th * 4 && w * 2 >= h && w <= 3 * h &&
                !letterOfWord(c.box)) {
                // A disc far taller than the text (an avatar) holds a figure, no text.
                if (h * 2 >= th * 5 && std::abs(w - h) * 8 <= h && looks.fill < 0.85) discs.push_back(c.box);
                return PageMarks::structure;
            }
            // A terminal's cursor, a full row high (a bold i's stem is only
            // as high as the small letters): it would stick to the letters
            // of the row above it.
            const QSize box = looks.rectangle;
            if (box.height() >= th && box.height() <= 2 * th) return PageMarks::structure;
        }
        // A headline's "l" is held too, however thin.
        const bool large = h * 2 >= th * 3 && h <= 6 * th && c.count * 10 >= c.box.width() + h &&
                           (c.box.width() * 4 >= h || barAmongLetters(marks, c.box));
        return large ? PageMarks::held : PageMarks::text;
    });
    // The text on a badge, with the marks along its edge.
    for (const QRect& text : badgeTexts)
        marks.relabel(text.adjusted(-1, -1, 1, 1), PageMarks::structure, PageMarks::text);
    // Letters that touch the outline of a ground of its own colour stay.
    for (const size_t k : grounds) {
        const size_t from = k > 0 ? clusters.ends[k - 1] : 0;
        keepLettersOffGroundOutline(marks, gray, colour, clusters.clusters[k].box, &clusters.pixels[from],
                                    clusters.ends[k] - from, th);
    }
    markStraightRuns(marks, std::max(5 * th, 64), std::max(2 * th, 20));
    releaseHeld(marks);
    // The figure on an avatar's disc: its head and shoulders, in a shade of
    // the disc's colour, leave marks only where their edge is sharp enough,
    // pieces of arcs that would read as letters.
    for (const QRect& disc : discs) unmark(marks, disc.adjusted(1, 1, -1, -1), PageMarks::picture);
    markPictures(gray, colour, marks, th, badgeTexts);

    // What is left of a box once its straight runs are gone.
    std::vector<MarkCluster> words = markClusters(marks, hollow);
    dropRoundedCorners(marks, words, th);
    dropSpecks(marks, words, th, badgeTexts);

    RegionCutter(gray, colour, marks, words, th, layout.lines).cutPage(ground.get());
    if (withLooks) looksOfLines(gray, colour, layout.lines);

    layout.structure.resize(marks.m.size());
    for (size_t i = 0; i < marks.m.size(); ++i)
        layout.structure[i] = marks.m[i] == PageMarks::structure || marks.m[i] == PageMarks::hiddenStructure ||
                              marks.m[i] == PageMarks::picture;
    return layout;
}

// Half the size, each pixel the mean of four (in each channel of a colour picture).
QImage halved(const QImage& picture)
{
    if (picture.isNull()) return {};
    if (picture.format() == QImage::Format_RGB32) {
        QImage out(picture.width() / 2, picture.height() / 2, QImage::Format_RGB32);
        for (int y = 0; y < out.height(); ++y) {
            const auto* a = reinterpret_cast<const QRgb*>(picture.constScanLine(2 * y));
            const auto* b = reinterpret_cast<const QRgb*>(picture.constScanLine(2 * y + 1));
            auto* to = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < out.width(); ++x) {
                const QRgb p[4] = {a[2 * x], a[2 * x + 1], b[2 * x], b[2 * x + 1]};
                to[x] = qRgb((qRed(p[0]) + qRed(p[1]) + qRed(p[2]) + qRed(p[3]) + 2) / 4,
                             (qGreen(p[0]) + qGreen(p[1]) + qGreen(p[2]) + qGreen(p[3]) + 2) / 4,
                             (qBlue(p[0]) + qBlue(p[1]) + qBlue(p[2]) + qBlue(p[3]) + 2) / 4);
            }
        }
        return out;
    }
    QImage out(picture.width() / 2, picture.height() / 2, QImage::Format_Grayscale8);
    for (int y = 0; y < out.height(); ++y) {
        const uchar* a = picture.constScanLine(2 * y);
        const uchar* b = picture.constScanLine(2 * y + 1);
        uchar* to = out.scanLine(y);
        for (int x = 0; x < out.width(); ++x)
            to[x] = uchar((a[2 * x] + a[2 * x + 1] + b[2 * x] + b[2 * x + 1] + 2) / 4);
    }
    return out;
}

// The picture in grey as QImage converts it, in bands of rows on the cores
// there are: on one, a screen's picture holds the layout up by a few
// milliseconds before anything else can start.
QImage greyOf(const QImage& colour)
{
    QImage grey(colour.size(), QImage::Format_Grayscale8);
    if (grey.isNull()) return colour.convertToFormat(QImage::Format_Grayscale8);
    constexpr int kBandRows = 32;
    const int height = colour.height();
    const size_t width = size_t(colour.width());
    uchar* const to = grey.bits();
    const qsizetype stride = grey.bytesPerLine();
    inParallel(size_t((height + kBandRows - 1) / kBandRows), 1, [&](size_t from, size_t end) {
        for (size_t b = from; b < end; ++b) {
            const int y0 = int(b) * kBandRows;
            const int rows = std::min(kBandRows, height - y0);
            QImage band(colour.constScanLine(y0), colour.width(), rows, colour.bytesPerLine(), colour.format());
            band.setColorSpace(colour.colorSpace());
            const QImage converted = band.convertToFormat(QImage::Format_Grayscale8);
            for (int y = 0; y < rows; ++y) std::memcpy(to + (y0 + y) * stride, converted.constScanLine(y), width);
        }
    });
    return grey;
}

}  // namespace

PageLayout analysePage(const QImage& picture)
{
    const bool grey = picture.format() == QImage::Format_Grayscale8;
    const QImage colour = grey ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
    const QImage gray = grey ? picture : greyOf(colour);
    // A high-density screen (text twice as tall as usual) is laid out at
    // half its size, four times faster; small text keeps the full size.
    constexpr qint64 kLargePicture = 2560 * 1440;
    constexpr int kHalvedTextHeight = 9;
    if (qint64(gray.width()) * gray.height() < kLargePicture) return analyseAtFullSize(gray, colour, true);
    const PageLayout half = analyseAtFullSize(halved(gray), halved(colour), false);
    if (half.textHeight < kHalvedTextHeight) return analyseAtFullSize(gray, colour, true);
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
        layout.lines.push_back(line);
    }
    looksOfLines(gray, colour, layout.lines);
    return layout;
}

QImage linePicture(const QImage& picture, const PageLayout& layout, const LayoutLine& line, int margin)
{
    const QRect& r = line.rect;
    const bool grey = picture.format() == QImage::Format_Grayscale8;
    QImage out(r.width() + 2 * margin, r.height() + 2 * margin, QImage::Format_Grayscale8);
    out.fill(255);
    const int contrast = std::max(60, std::abs(line.ink - line.background));
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const uchar* from = picture.constScanLine(y);
        const auto* rgb = reinterpret_cast<const QRgb*>(from);
        uchar* to = out.scanLine(y - r.top() + margin) + margin - r.left();
        for (int x = r.left(); x <= r.right(); ++x) {
            if (layout.isStructure(x, y)) continue;
            int d = grey ? std::abs(int(from[x]) - line.background)
                         : std::abs(colourDistance(rgb[x], line.backgroundColour) - (255 - line.background));
            d = distanceToShades(grey ? qRgb(from[x], from[x], from[x]) : rgb[x], line.shades, d);
            to[x] = uchar(255 - std::min(255, d * 255 / contrast));
        }
    }
    eraseLinesThrough(out, rulesThrough(layout, r, margin));
    return out;
}

}  // namespace klipo::platform
