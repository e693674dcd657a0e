#include "platform/text/LineLooks.h"

#include "platform/text/InParallel.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

namespace klipo::platform {

LineScript scriptOf(const QImage& gray, const QRect& r, int background)
{
    std::vector<long> ink(size_t(r.height()), 0);
    long most = 0;
    int inkColumns = 0;
    std::vector<char> column(size_t(r.width()), 0);
    // Without branches and with the bounds read once (a byte written might
    // be them, as far as the compiler knows), many pixels at a time.
    char* const inColumn = column.data();
    const int width = r.width();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const uchar* row = gray.constScanLine(y) + r.left();
        long n = 0;
        for (int x = 0; x < width; ++x) {
            const int on = std::abs(int(row[x]) - background) > 60;
            n += on;
            inColumn[x] = char(inColumn[x] | on);
        }
        ink[size_t(y - r.top())] = n;
        most = std::max(most, n);
    }
    for (char c : column) inkColumns += c;
    // A few characters say too little about their script.
    if (most == 0 || inkColumns * 2 < 3 * r.height()) return LineScript::Unknown;
    size_t first = 0;
    size_t last = ink.size();
    while (first < ink.size() && ink[first] * 50 < most) ++first;
    while (last > first && ink[last - 1] * 50 < most) --last;
    const size_t height = last - first;
    if (height < 6) return LineScript::Unknown;
    const size_t topZone = first + std::max<size_t>(1, height * 3 / 10);
    long topInk = 0;
    long inside = 0;
    for (size_t i = first; i < last; ++i) {
        inside += ink[i];
        if (i < topZone) topInk += ink[i];
    }
    // The fewest rows that hold 70 % of the ink: Latin keeps most of it
    // between the baseline and the x-height, about half the line.
    size_t core = height;
    for (size_t a = first; a < last; ++a) {
        long sum = 0;
        for (size_t b = a; b < last; ++b) {
            sum += ink[b];
            if (sum * 10 >= inside * 7) {
                core = std::min(core, b - a + 1);
                break;
            }
        }
    }
    // Square scripts: ink spread over the whole height (more than 62 % of it
    // for 70 % of the ink) and close to a third of it in the top 30 %; Latin
    // has its ascenders alone up there.
    return core * 100 >= height * 62 && topInk * 100 >= inside * 18 ? LineScript::Han : LineScript::Latin;
}

void coloursOf(const QImage& gray, const QRect& r, int& background, int& ink)
{
    int counts[256] = {};
    const QRect area = r.adjusted(-2, -2, 2, 2).intersected(gray.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* row = gray.constScanLine(y);
        for (int x = area.left(); x <= area.right(); ++x) ++counts[row[x]];
    }
    // The most common shade, counted in bands of eight grey values: a
    // gradient (a button, a table header) spreads its pixels over many values.
    int bands[32] = {};
    for (int v = 0; v < 256; ++v) bands[v / 8] += counts[v];
    const int band = int(std::max_element(std::begin(bands), std::end(bands)) - std::begin(bands));
    background = int(std::max_element(counts + band * 8, counts + band * 8 + 8) - counts);
    // The ink: the far end of what differs from the background (the darker
    // or the lighter side, whichever holds more of it).
    long darker = 0;
    long lighter = 0;
    for (int v = 0; v < 256; ++v) {
        if (v < background - 40) darker += counts[v];
        if (v > background + 40) lighter += counts[v];
    }
    const bool dark = darker >= lighter;
    const long wanted = std::max(1L, (dark ? darker : lighter) / 5);
    long seen = 0;
    ink = dark ? 0 : 255;
    if (dark) {
        for (int v = 0; v < background - 40; ++v)
            if ((seen += counts[v]) >= wanted) {
                ink = v;
                break;
            }
    } else {
        for (int v = 255; v > background + 40; --v)
            if ((seen += counts[v]) >= wanted) {
                ink = v;
                break;
            }
    }
    if (darker == 0 && lighter == 0) ink = background < 128 ? 255 : 0;
}

QRgb backgroundColourOf(const QImage& colour, const QRect& r)
{
    // The most common colour, counted in cells of 16 levels a channel, then
    // the exact colour most common in that cell.
    std::array<int, 4096> cells{};
    const QRect area = r.adjusted(-2, -2, 2, 2).intersected(colour.rect());
    // The fullest cell is kept while counting (the first of equals, as the
    // cells run), not looked for among all 4096 after. Pixels are counted a
    // run of equal ones at a time: where the counts end is the same.
    int cell = 0;
    int most = 0;
    const auto count = [&](QRgb c, int n) {
        const int k = colourCell(c);
        const int now = cells[size_t(k)] += n;
        if (now > most || (now == most && k < cell)) {
            cell = k;
            most = now;
        }
    };
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(colour.constScanLine(y));
        for (int x = area.left(); x <= area.right();) {
            const int from = x;
            while (++x <= area.right() && row[x] == row[from]) {}
            count(row[from], x - from);
        }
    }
    std::vector<std::pair<QRgb, int>> seen;
    seen.reserve(64);
    size_t last = 0;  // most pixels repeat the one before: it is looked at first
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(colour.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = row[x] | 0xff000000u;
            // Only colours of the cell are seen.
            if (last < seen.size() && seen[last].first == c) {
                ++seen[last].second;
                continue;
            }
            if (colourCell(row[x]) != cell) continue;
            auto it = std::find_if(seen.begin(), seen.end(), [c](const auto& s) { return s.first == c; });
            if (it == seen.end()) {
                if (seen.size() < 64) {
                    seen.emplace_back(c, 1);
                    last = seen.size() - 1;
                }
            } else {
                ++it->second;
                last = size_t(it - seen.begin());
            }
        }
    }
    if (seen.empty()) return qRgb(255, 255, 255);
    return std::max_element(seen.begin(), seen.end(), [](const auto& a, const auto& b) { return a.second < b.second; })
        ->first;
}

QRgb inkColourOf(const QImage& picture, const QRect& r, QRgb ground)
{
    const QRect inside = r.intersected(picture.rect());
    int farthest = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            farthest = std::max(farthest, colourDistance(colourAt(picture, x, y), ground));
    // The soft edges of strokes lie between the ink and the ground.
    std::vector<int> cells(4096, 0);
    QRgb ink = ground;
    int most = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QRgb c = colourAt(picture, x, y);
            if (colourDistance(c, ground) * 4 < farthest * 3) continue;
            if (const int n = ++cells[size_t(colourCell(c))]; n > most) most = n, ink = c;
        }
    return ink;
}

QImage inkPicture(const QImage& colour, const QRect& area, QRgb background, const Shades& shades)
{
    QImage out(area.size(), QImage::Format_Grayscale8);
    const bool shaded = shades[0] != 0 || shades[1] != 0;
    // The width read once: a byte written might be it, as far as the
    // compiler knows; so many pixels are taken at a time.
    const int width = area.width();
    for (int y = 0; y < area.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(colour.constScanLine(area.top() + y)) + area.left();
        uchar* to = out.scanLine(y);
        if (!shaded) {
            for (int x = 0; x < width; ++x) to[x] = uchar(255 - colourDistance(from[x], background));
            continue;
        }
        for (int x = 0; x < width; ++x)
            to[x] = uchar(255 - distanceToShades(from[x], shades, colourDistance(from[x], background)));
    }
    return out;
}

Shades shadesOf(const QImage& picture, const QRect& area, QRgb background, int smallest)
{
    // Ground lies in patches of alike pixels; letters' strokes, but for a
    // large bold headline's, are too thin to hold a patch of four.
    constexpr int kAlike = 6;
    constexpr int kGroundStep = 20;
    const QRect inside = area.intersected(picture.rect());
    const auto at = [&](int x, int y) { return colourAt(picture, x, y); };
    // A ground behind words runs from above their letters to below them: a
    // band across part of them (a window's edge lying over the line) is none.
    struct Seen {
        QRgb colour;
        int count;
        int top;
        int bottom;
    };
    std::vector<Seen> seen;
    for (int y = inside.top(); y < inside.bottom(); ++y)
        for (int x = inside.left(); x < inside.right(); ++x) {
            const QRgb c = at(x, y);
            if (colourDistance(c, background) <= kGroundStep || colourDistance(c, at(x + 1, y)) > kAlike ||
                colourDistance(c, at(x, y + 1)) > kAlike || colourDistance(c, at(x + 1, y + 1)) > kAlike)
                continue;
            auto it = std::find_if(seen.begin(), seen.end(),
                                   [c](const Seen& s) { return colourDistance(s.colour, c) <= kAlike; });
            if (it == seen.end()) {
                if (seen.size() < 64) seen.push_back({c, 1, y, y + 1});
            } else {
                ++it->count;
                it->bottom = y + 1;
            }
        }
    std::erase_if(seen, [&](const Seen& s) { return (s.bottom - s.top + 1) * 5 < (inside.height() - 4) * 4; });
    std::sort(seen.begin(), seen.end(), [](const Seen& a, const Seen& b) { return a.count > b.count; });
    Shades shades{};
    for (size_t i = 0; i < shades.size() && i < seen.size() && seen[i].count >= smallest; ++i)
        shades[i] = seen[i].colour;
    return shades;
}

namespace {

// How far from the ground a pixel must be to count as filled. Less would
// take the grey edge inside a small letter's closed bowl ("a" on a light grey
// window) for a fill, and the letter for a shape to leave out of the line.
constexpr int kFilledStep = 40;

// The first and last columns and rows of `on` (w x h) that hold ink: left,
// top, right, bottom (right below left where none does).
std::array<int, 4> inkBounds(const std::vector<char>& on, int w, int h)
{
    int left = w, right = -1, top = h, bottom = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (on[size_t(y) * size_t(w) + size_t(x)]) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return {left, top, right, bottom};
}

// The ink of `on` (w x h) when it is all of it one rectangle, sides all
// inked, inside all inked or all empty; no letter is (round or open corners,
// strokes inside). Only as wide as a terminal's cell: narrower than a square,
// so that 口 stays a letter.
QSize rectangleOf(const std::vector<char>& on, int w, int h)
{
    const auto [left, top, right, bottom] = inkBounds(on, w, h);
    const int iw = right - left + 1;
    const int ih = bottom - top + 1;
    if (iw < 4 || ih < 6 || iw * 3 < ih || iw * 5 > ih * 4 || iw + 2 < w || ih + 2 < h) return {};
    const auto at = [&](int x, int y) { return on[size_t(y) * size_t(w) + size_t(x)] != 0; };
    for (int x = left; x <= right; ++x)
        if (!at(x, top) || !at(x, bottom)) return {};
    for (int y = top; y <= bottom; ++y)
        if (!at(left, y) || !at(right, y)) return {};
    int inside = 0;
    for (int y = top + 1; y < bottom; ++y)
        for (int x = left + 1; x < right; ++x) inside += at(x, y);
    const int room = (iw - 2) * (ih - 2);
    if (inside != 0 && inside != room) return {};
    // Filled, it is wider than the stem of a bold i is against its height.
    if (inside != 0 && iw * 12 < ih * 5) return {};
    return {iw, ih};
}

// The pixels of `box` that stand out from the ground around it (the colour
// most common on the ring just outside the box); empty when the box has no
// ring inside the picture.
struct InkMask {
    std::vector<char> on;
    int w = 0;
    int h = 0;
    int filled = 0;
    bool at(int x, int y) const { return on[size_t(y) * size_t(w) + size_t(x)] != 0; }
};

// What is not inked and is reached from the bounds of a w x h map without
// crossing ink: what lies around a shape, as against what lies on it.
std::vector<char> reachedFromBounds(const std::vector<char>& on, int w, int h)
{
    std::vector<char> outside(on.size(), 0);
    std::vector<size_t> stack;
    const auto reach = [&](int x, int y) {
        const size_t i = size_t(y) * size_t(w) + size_t(x);
        if (on[i] || outside[i]) return;
        outside[i] = 1;
        stack.push_back(i);
    };
    for (int x = 0; x < w; ++x) reach(x, 0), reach(x, h - 1);
    for (int y = 0; y < h; ++y) reach(0, y), reach(w - 1, y);
    while (!stack.empty()) {
        const size_t i = stack.back();
        stack.pop_back();
        const int x = int(i % size_t(w));
        const int y = int(i / size_t(w));
        if (x > 0) reach(x - 1, y);
        if (x + 1 < w) reach(x + 1, y);
        if (y > 0) reach(x, y - 1);
        if (y + 1 < h) reach(x, y + 1);
    }
    return outside;
}

// The side of the largest square of set pixels in `map` (w x h).
int largestSquareIn(const std::vector<char>& map, int w, int h)
{
    std::vector<int> square(size_t(w) * size_t(h), 0);
    int largest = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * size_t(w) + size_t(x);
            if (!map[i]) continue;
            square[i] =
                x == 0 || y == 0 ? 1 : 1 + std::min({square[i - 1], square[i - size_t(w)], square[i - size_t(w) - 1]});
            largest = std::max(largest, square[i]);
        }
    return largest;
}

InkMask inkMaskOf(const QImage& gray, const QImage& colour, const QRect& box)
{
    InkMask mask;
    const QRect image = gray.rect();
    const QRect ring = box.adjusted(-1, -1, 1, 1).intersected(image);
    ColourTally seen;
    const QImage& picture = colour.isNull() ? gray : colour;
    const auto pixel = [&](int x, int y) { return colourAt(picture, x, y); };
    const auto count = [&](int x, int y) {
        if (!box.contains(x, y)) seen.add(pixel(x, y));
    };
    for (int x = ring.left(); x <= ring.right(); ++x) {
        count(x, ring.top());
        count(x, ring.bottom());
    }
    for (int y = ring.top() + 1; y < ring.bottom(); ++y) {
        count(ring.left(), y);
        count(ring.right(), y);
    }
    if (seen.empty() || !image.contains(box)) return mask;
    const QRgb ground = seen.mostCommon();
    mask.w = box.width();
    mask.h = box.height();
    mask.on.assign(size_t(mask.w) * size_t(mask.h), 0);
    for (int y = 0; y < mask.h; ++y)
        for (int x = 0; x < mask.w; ++x)
            mask.filled += mask.on[size_t(y) * size_t(mask.w) + size_t(x)] =
                colourDistance(pixel(box.left() + x, box.top() + y), ground) > kFilledStep;
    return mask;
}

}  // namespace

ClusterLooks looksOfCluster(const QImage& gray, const QImage& colour, const QRect& box)
{
    ClusterLooks looks;
    const InkMask mask = inkMaskOf(gray, colour, box);
    if (mask.on.empty()) return looks;
    const std::vector<char>& on = mask.on;
    const int w = mask.w;
    const int h = mask.h;
    const int filled = mask.filled;
    looks.fill = double(filled) / (double(w) * h);
    // Ink inside a filled shape (a badge's count) is part of its filling
    // where it is small against it; the counter of an "O" is not.
    std::vector<char> through = on;
    {
        const std::vector<char> outside = reachedFromBounds(on, w, h);
        const auto inside = std::count(outside.begin(), outside.end(), 0) - filled;
        if (inside > 0 && inside * 5 <= qsizetype(w) * h) {
            int top = h;
            int bottom = -1;
            for (size_t i = 0; i < through.size(); ++i) {
                through[i] = !outside[i];
                if (outside[i] || on[i]) continue;
                top = std::min(top, int(i / size_t(w)));
                bottom = std::max(bottom, int(i / size_t(w)));
            }
            looks.insideHeight = bottom - top + 1;
        }
    }
    looks.thick = double(largestSquareIn(on, w, h)) / std::min(w, h);
    looks.thickThrough = through == on ? looks.thick : double(largestSquareIn(through, w, h)) / std::min(w, h);
    looks.rectangle = rectangleOf(on, w, h);
    return looks;
}

namespace {

// Drops the shades that are no ground behind the text but ink of its own
// (a coloured word, a bold headline's strokes) or another ground beside it
// (a window lying over the line's end): only a ground has ink of another
// colour, far from it and from the background, standing on it, the shade on
// both sides of its strokes. Returns whether any was dropped.
bool keepGrounds(const QImage& picture, const QRect& area, QRgb background, Shades& shades)
{
    constexpr int kClearInk = 96;
    constexpr int kOnShade = 12;
    const auto at = [&](int x, int y) { return colourAt(picture, x, y); };
    const QRect inside = area.intersected(picture.rect());
    bool dropped = false;
    for (QRgb& shade : shades) {
        if (shade == 0) continue;
        int standing = 0;
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x) {
                const QRgb c = at(x, y);
                if (offTheWay(c, background, shade) <= kClearInk) continue;
                // On the shade: it lies on both sides of the pixel, across or down.
                const auto shadeAt = [&](int dx, int dy) {
                    for (int i = 1; i <= 2; ++i)
                        if (inside.contains(x + dx * i, y + dy * i) &&
                            colourDistance(at(x + dx * i, y + dy * i), shade) <= kOnShade)
                            return true;
                    return false;
                };
                standing += (shadeAt(-1, 0) && shadeAt(1, 0)) || (shadeAt(0, -1) && shadeAt(0, 1));
            }
        if (standing < std::max(3, inside.height() / 8)) {
            shade = 0;
            dropped = true;
        }
    }
    if (shades[0] == 0) std::swap(shades[0], shades[1]);
    return dropped;
}

// `withShades`: other grounds behind the line's words are found too, and
// count as ground.
void looksOf(const QImage& gray, const QImage& colour, LayoutLine& line, bool withScript, bool withShades)
{
    const QRect area = line.rect.adjusted(-2, -2, 2, 2).intersected(gray.rect());
    const QRect inside = line.rect.translated(-area.topLeft());
    if (colour.isNull()) {
        coloursOf(gray, line.rect, line.background, line.ink);
        const QRgb ground = qRgb(line.background, line.background, line.background);
        if (withShades) {
            line.shades = shadesOf(gray, area, ground, line.rect.height());
            keepGrounds(gray, area, ground, line.shades);
        }
        if (withScript) line.script = scriptOf(gray, line.rect, line.background);
        return;
    }
    line.backgroundColour = backgroundColourOf(colour, line.rect);
    if (withShades) {
        line.shades = shadesOf(colour, area, line.backgroundColour, line.rect.height());
        keepGrounds(colour, area, line.backgroundColour, line.shades);
    }
    const QImage ink = inkPicture(colour, area, line.backgroundColour, line.shades);
    coloursOf(ink, inside, line.background, line.ink);
    if (withScript) line.script = scriptOf(ink, inside, line.background);
}

}  // namespace

void looksOf(const QImage& gray, const QImage& colour, LayoutLine& line) { looksOf(gray, colour, line, true, false); }

void inkAndGroundOf(const QImage& gray, const QImage& colour, LayoutLine& line)
{
    looksOf(gray, colour, line, false, false);
}

void inkAndGroundsOf(const QImage& gray, const QImage& colour, LayoutLine& line)
{
    looksOf(gray, colour, line, false, true);
}

void looksOfLines(const QImage& gray, const QImage& colour, std::vector<LayoutLine>& lines)
{
    inParallel(lines.size(), 8, [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) looksOf(gray, colour, lines[i], true, true);
    });
}


QRect badgeTextIn(const QImage& gray, const QImage& colour, const QRect& box)
{
    const QRect image = gray.rect();
    if (!image.contains(box.adjusted(-1, -1, 1, 1)) || box.width() < 6 || box.height() < 6) return {};
    const QImage& picture = colour.isNull() ? gray : colour;
    const auto pixel = [&](int x, int y) { return colourAt(picture, x, y); };
    std::vector<int> cells(4096, 0);
    const auto mostCommon = [&cells](const std::vector<QRgb>& pixels) {
        std::fill(cells.begin(), cells.end(), 0);
        QRgb most = 0;
        int best = 0;
        for (QRgb c : pixels)
            if (const int n = ++cells[size_t(colourCell(c))]; n > best) most = c, best = n;
        return most;
    };
    // The colour around the shape: the most common one on the ring just outside it.
    std::vector<QRgb> pixels;
    const QRect ring = box.adjusted(-1, -1, 1, 1);
    for (int x = ring.left(); x <= ring.right(); ++x) {
        pixels.push_back(pixel(x, ring.top()));
        pixels.push_back(pixel(x, ring.bottom()));
    }
    for (int y = ring.top() + 1; y < ring.bottom(); ++y) {
        pixels.push_back(pixel(ring.left(), y));
        pixels.push_back(pixel(ring.right(), y));
    }
    const QRgb around = mostCommon(pixels);
    // The shape's own colour: the most common one inside that is not the one around it.
    pixels.clear();
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (const QRgb c = pixel(x, y); colourDistance(c, around) > kFilledStep) pixels.push_back(c);
    if (pixels.empty()) return {};
    const QRgb ground = mostCommon(pixels);
    // The shape: the pixels of its colour (up to the smoothing of its edge), and their bounds.
    constexpr int kSame = 24;
    QRect shape;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (colourDistance(pixel(x, y), ground) <= kSame) shape |= QRect(x, y, 1, 1);
    const int w = shape.width();
    const int h = shape.height();
    if (w < 6 || h < 6) return {};
    std::vector<char> on(size_t(w) * size_t(h), 0);
    int filled = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            filled += on[size_t(y) * size_t(w) + size_t(x)] =
                colourDistance(pixel(shape.left() + x, shape.top() + y), ground) <= kSame;
    // Most of its bounds are of its colour (a disc fills nearly four fifths of
    // them), and it is filled, not drawn in strokes (a document's icon, its
    // frame and bars around gaps of the ground's colour).
    if (filled * 2 < w * h || largestSquareIn(on, w, h) * 6 < std::max(18, h)) return {};
    // What is not of its colour and reached from its bounds lies around it;
    // what is not reached lies on it.
    const std::vector<char> outside = reachedFromBounds(on, w, h);
    const auto outsideCount = std::count(outside.begin(), outside.end(), char(1));
    // A rounded shape leaves only its corners around it; letters leave room between them.
    if (outsideCount * 4 > w * h) return {};
    // The ink on it: far from its colour, of strong contrast against it.
    constexpr int kInk = 96;
    QRect ink;
    std::vector<char> inked(on.size(), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * size_t(w) + size_t(x);
            if (!on[i] && !outside[i] && colourDistance(pixel(shape.left() + x, shape.top() + y), ground) >= kInk) {
                ink |= QRect(x, y, 1, 1);
                inked[i] = 1;
            }
        }
    if (ink.isEmpty()) return {};
    // Well inside the shape, clear of its outline, and as tall as a line of
    // text on it: no speck, and strokes, not one blob (a switch's knob, the
    // opening of a thick ring).
    const int margin = std::max(1, h / 10);
    if (ink.top() < margin || ink.bottom() > h - 1 - margin || ink.left() < margin || ink.right() > w - 1 - margin)
        return {};
    if (ink.height() < std::max(4, h / 4) || largestSquareIn(inked, w, h) * 2 > ink.height()) return {};
    return ink.translated(shape.topLeft());
}

bool isFramedInk(const QImage& gray, const QImage& colour, const QRect& box)
{
    const InkMask mask = inkMaskOf(gray, colour, box);
    if (mask.on.empty()) return false;
    const auto [left, top, right, bottom] = inkBounds(mask.on, mask.w, mask.h);
    const int iw = right - left + 1;
    const int ih = bottom - top + 1;
    if (iw < 6 || ih < 8 || iw > 2 * ih || ih > 3 * iw) return false;
    // Each side inked in its outer two rows or columns along all but a
    // tenth of its length, leaving out a rounded corner at each end.
    const auto sideInked = [&](bool row, int at, int inward) {
        const int from = row ? left : top;
        const int to = row ? right : bottom;
        const int corner = std::max(1, (to - from + 1) / 6);
        int gaps = 0;
        for (int k = from + corner; k <= to - corner; ++k)
            if (row ? !(mask.at(k, at) || mask.at(k, at + inward)) : !(mask.at(at, k) || mask.at(at + inward, k)))
                ++gaps;
        return gaps * 10 <= to - from + 1 - 2 * corner;
    };
    return sideInked(true, top, 1) && sideInked(true, bottom, -1) && sideInked(false, left, 1) &&
           sideInked(false, right, -1);
}

bool showsNoInk(const QImage& gray, const QImage& colour, const QRect& box)
{
    const InkMask mask = inkMaskOf(gray, colour, box);
    return !mask.on.empty() && mask.filled == 0;
}

int framedGlyphs(const QImage& gray, const QImage& colour, const QRect& box)
{
    const InkMask mask = inkMaskOf(gray, colour, box);
    if (mask.on.empty()) return 0;
    // The glyphs: runs of inked columns, a blank column or more apart.
    std::vector<std::pair<int, int>> runs;
    int from = -1;
    for (int x = 0; x <= mask.w; ++x) {
        bool inked = false;
        for (int y = 0; x < mask.w && y < mask.h && !inked; ++y) inked = mask.at(x, y);
        if (inked && from < 0) from = x;
        if (!inked && from >= 0) {
            runs.emplace_back(from, x - 1);
            from = -1;
        }
    }
    if (runs.size() < 2) return 0;
    int narrowest = mask.w;
    int widest = 0;
    for (const auto& [left, right] : runs) {
        const int w = right - left + 1;
        narrowest = std::min(narrowest, w);
        widest = std::max(widest, w);
        if (!isFramedInk(gray, colour, QRect(box.left() + left, box.top(), w, box.height()))) return 0;
    }
    return widest * 4 <= narrowest * 5 ? int(runs.size()) : 0;
}

}  // namespace klipo::platform
