#include "platform/text/PageBands.h"

#include <algorithm>
#include <cstdlib>

namespace klipo::platform {

namespace {

constexpr int kEdgeStep = 40;     // grey difference that counts as an edge
constexpr int kInkContrast = 60;  // difference from the background that counts as ink
constexpr double kStructuralShare = 0.6;
constexpr int kTallestBand = 4096;

int medianOf(std::vector<int> values)
{
    if (values.empty()) return 0;
    auto middle = values.begin() + qsizetype(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

struct Histogram {
    int counts[256] = {};

    // Counts the grey values of an area (sampled).
    void add(const QImage& gray, const QRect& area)
    {
        const int step = std::max(1, area.width() / 512);
        for (int y = area.top(); y <= area.bottom(); ++y) {
            const uchar* row = gray.constScanLine(y);
            for (int x = area.left(); x <= area.right(); x += step) ++counts[row[x]];
        }
    }
    int mostCommon() const { return int(std::max_element(std::begin(counts), std::end(counts)) - std::begin(counts)); }
};

// The grey value most pixels of the area have.
int backgroundOf(const QImage& gray, const QRect& area)
{
    Histogram histogram;
    histogram.add(gray, area);
    return histogram.mostCommon();
}

// Only the stretch between the row's first and last edge counts: the desktop
// beside a window would otherwise pass for ink on every line.
BandScript scriptOf(const QImage& gray, int top, int bottom, int left, int right)
{
    const int background = backgroundOf(gray, QRect(left, top, right - left, bottom - top));
    std::vector<long> ink(size_t(bottom - top), 0);
    long total = 0;
    long most = 0;
    for (int y = top; y < bottom; ++y) {
        const uchar* row = gray.constScanLine(y);
        long n = 0;
        for (int x = left; x < right; ++x) n += std::abs(int(row[x]) - background) > kInkContrast;
        ink[size_t(y - top)] = n;
        total += n;
        most = std::max(most, n);
    }
    if (total == 0) return BandScript::Unknown;
    // A few characters say too little about their script; such a row takes
    // the script of its neighbours.
    int inkColumns = 0;
    for (int x = left; x < right; ++x) {
        for (int y = top; y < bottom; ++y) {
            if (std::abs(int(gray.constScanLine(y)[x]) - background) > kInkContrast) {
                ++inkColumns;
                break;
            }
        }
    }
    if (inkColumns < 6 * (bottom - top)) return BandScript::Unknown;
    // The ink's vertical extent, ignoring rows with hardly any ink.
    size_t first = 0;
    size_t last = ink.size();
    while (first < ink.size() && ink[first] * 50 < most) ++first;
    while (last > first && ink[last - 1] * 50 < most) --last;
    const size_t height = last - first;
    if (height < 6) return BandScript::Unknown;
    const size_t topZone = first + std::max<size_t>(1, height * 3 / 10);
    long topInk = 0;
    long inside = 0;
    for (size_t i = first; i < last; ++i) {
        inside += ink[i];
        if (i < topZone) topInk += ink[i];
    }
    // Latin: ascenders only in the top 30 % (well under a fifth of the ink);
    // square scripts: close to a third.
    return topInk * 100 >= inside * 21 ? BandScript::Han : BandScript::Latin;
}

bool isEdge(const uchar* row, int x) { return std::abs(int(row[x]) - int(row[x - 1])) > kEdgeStep; }

// The ink of an area that belongs to something running through it: ink
// connected, inside the area, to ink that goes on for at least two pixel rows
// above or below it. Window frames (rounded corners too), table borders,
// splitters and the desktop beside a window continue past a row of text;
// letters end at the row's bounds.
class Structure {
public:
    Structure(const QImage& gray, const QRect& area, int background) : m_area(area)
    {
        auto ink = [&](int x, int y) { return std::abs(int(gray.constScanLine(y)[x]) - background) > kEdgeStep; };
        std::vector<int> pending;
        auto seed = [&](int x, int y, int step) {
            const int beyond = y + 2 * step;
            if (beyond < 0 || beyond >= gray.height() || !ink(x, y) || !ink(x, y + step) || !ink(x, beyond)) return;
            if (m_bits.empty()) m_bits.assign(size_t(area.width()) * size_t(area.height()), 0);
            const int i = index(x, y);
            if (!m_bits[size_t(i)]) {
                m_bits[size_t(i)] = 1;
                pending.push_back(i);
            }
        };
        for (int x = area.left(); x <= area.right(); ++x) {
            seed(x, area.top(), -1);
            seed(x, area.bottom(), 1);
        }
        while (!pending.empty()) {
            const int i = pending.back();
            pending.pop_back();
            const int x0 = area.left() + i % area.width();
            const int y0 = area.top() + i / area.width();
            for (int y = std::max(area.top(), y0 - 1); y <= std::min(area.bottom(), y0 + 1); ++y) {
                for (int x = std::max(area.left(), x0 - 1); x <= std::min(area.right(), x0 + 1); ++x) {
                    const int j = index(x, y);
                    if (m_bits[size_t(j)] || !ink(x, y)) continue;
                    m_bits[size_t(j)] = 1;
                    pending.push_back(j);
                }
            }
        }
    }

    bool empty() const { return m_bits.empty(); }
    bool contains(int x, int y) const { return !m_bits.empty() && m_area.contains(x, y) && m_bits[size_t(index(x, y))]; }

private:
    int index(int x, int y) const { return (y - m_area.top()) * m_area.width() + (x - m_area.left()); }

    QRect m_area;
    std::vector<char> m_bits;
};

// The stretches of pixel rows in [top, bottom) between quiet ones, looking at
// the edges of columns [from, to) that `skipped` does not mark and that do not
// touch `ignored`.
std::vector<TextRow> rowsBetweenQuietLines(const QImage& gray, int top, int bottom, int from, int to,
                                           const std::vector<char>& skipped, const Structure* ignored = nullptr)
{
    std::vector<TextRow> rows;
    int start = -1;
    int left = to;
    int right = 0;
    for (int y = top; y <= bottom; ++y) {
        int first = to;
        int last = -1;
        if (y < bottom) {
            const uchar* row = gray.constScanLine(y);
            for (int x = from; x < to; ++x) {
                if (skipped[size_t(x)] || !isEdge(row, x)) continue;
                if (ignored && (ignored->contains(x - 1, y) || ignored->contains(x, y))) continue;
                first = std::min(first, x - 1);
                last = x;
            }
        }
        const bool quiet = last < 0;
        if (!quiet) {
            if (start < 0) start = y;
            left = std::min(left, first);
            right = std::max(right, last + 1);
        }
        if (quiet && start >= 0) {
            rows.push_back({start, y, left, right, scriptOf(gray, start, y, left, right)});
            start = -1;
            left = to;
            right = 0;
        }
    }
    return rows;
}

// A small window or a boxed field makes one row of its whole height (its
// frame's sides leave no pixel row inside quiet), and a rounded frame's
// corners join the text rows next to them. Such a row is cut again without
// the frame; a row that is nothing but frame is dropped.
std::vector<TextRow> withoutFrame(const QImage& gray, const TextRow& row, const std::vector<char>& skipped)
{
    const QRect area(row.left, row.top, row.right - row.left, row.bottom - row.top);
    const Structure frame(gray, area, backgroundOf(gray, area));
    if (frame.empty()) return {row};
    return rowsBetweenQuietLines(gray, row.top, row.bottom, std::max(1, row.left), std::min(gray.width(), row.right + 1),
                                 skipped, &frame);
}

}  // namespace

std::vector<TextRow> findTextRows(const QImage& gray)
{
    const int w = gray.width();
    const int h = gray.height();
    if (w < 2 || h < 1) return {};

    // Columns with an edge in most rows are structure, not text.
    std::vector<int> columnEdges(size_t(w), 0);
    for (int y = 0; y < h; ++y) {
        const uchar* row = gray.constScanLine(y);
        for (int x = 1; x < w; ++x) columnEdges[size_t(x)] += isEdge(row, x);
    }
    std::vector<char> structural(size_t(w), 0);
    for (int x = 1; x < w; ++x) structural[size_t(x)] = columnEdges[size_t(x)] > kStructuralShare * h;

    std::vector<TextRow> rows;
    for (const TextRow& row : rowsBetweenQuietLines(gray, 0, h, 1, w, structural)) {
        const std::vector<TextRow> inner = withoutFrame(gray, row, structural);
        rows.insert(rows.end(), inner.begin(), inner.end());
    }
    return rows;
}

std::vector<QRect> rowSegments(const QImage& gray, const TextRow& row)
{
    const int height = row.bottom - row.top;
    const int background = backgroundOf(gray, QRect(row.left, row.top, row.right - row.left, height));
    std::vector<QRect> pieces;
    int start = -1;
    int lastInk = -1;
    for (int x = row.left; x <= row.right; ++x) {
        bool ink = false;
        for (int y = row.top; y < row.bottom && x < row.right && !ink; ++y)
            ink = std::abs(int(gray.constScanLine(y)[x]) - background) > kInkContrast;
        if (ink) {
            if (start >= 0 && x - lastInk > 2 * height) {
                pieces.push_back(QRect(start, row.top, lastInk + 1 - start, height));
                start = -1;
            }
            if (start < 0) start = x;
            lastInk = x;
        }
    }
    if (start >= 0) pieces.push_back(QRect(start, row.top, lastInk + 1 - start, height));
    // Faint rows (edges but no ink of full contrast) stay whole.
    if (pieces.empty()) pieces.push_back(QRect(row.left, row.top, row.right - row.left, height));
    return pieces;
}

QImage bandPicture(const QImage& gray, const TextBand& band)
{
    QImage picture(band.rect.size(), QImage::Format_Grayscale8);
    picture.fill(band.background);
    for (const QRect& row : band.rows) {
        const QRect area = row.intersected(band.rect);
        if (area.isEmpty()) continue;
        // Lines that cross the row (a table border, a splitter, a frame's
        // rounded corner) are left out too.
        const int background = backgroundOf(gray, area);
        const Structure lines(gray, area, background);
        for (int y = area.top(); y <= area.bottom(); ++y) {
            const uchar* from = gray.constScanLine(y);
            uchar* to = picture.scanLine(y - band.rect.top()) - band.rect.left();
            for (int x = area.left(); x <= area.right(); ++x)
                to[x] = lines.contains(x, y) ? uchar(background) : from[x];
        }
    }
    return picture;
}

double upscaleFor(BandScript script, int textHeight)
{
    if (textHeight <= 0) return 1;
    // Measured on rendered Chinese: rows under 15 px read best at twice their
    // size, up to about 21 px at one and a half times, larger ones as they are.
    if (script == BandScript::Han) return textHeight < 15 ? 2 : textHeight < 22 ? 1.5 : 1;
    return textHeight < 8 ? 3 : textHeight < 12 ? 2 : 1;
}

std::vector<TextBand> planBands(const QImage& gray, int maxBandHeight)
{
    const std::vector<TextRow> rows = findTextRows(gray);
    std::vector<TextBand> bands;
    if (rows.empty()) return bands;

    auto scriptOfRows = [](const std::vector<const TextRow*>& group) {
        long latin = 0;
        long han = 0;
        for (const TextRow* r : group) {
            if (r->script == BandScript::Latin) latin += r->bottom - r->top;
            if (r->script == BandScript::Han) han += r->bottom - r->top;
        }
        if (latin == 0 && han == 0) return BandScript::Unknown;
        return han > latin ? BandScript::Han : BandScript::Latin;
    };
    auto compatible = [](BandScript a, BandScript b) {
        return a == BandScript::Unknown || b == BandScript::Unknown || a == b;
    };

    // Each band reaches halfway into the empty rows around it (at most a few
    // pixels), so that the engine sees some margin around the text.
    auto marginAbove = [&](size_t i) {
        const int gap = i == 0 ? rows[0].top : rows[i].top - rows[i - 1].bottom;
        return std::min(i == 0 ? gap : gap / 2, 8);
    };
    auto marginBelow = [&](size_t i) {
        const int gap = i + 1 == rows.size() ? gray.height() - rows[i].bottom : rows[i + 1].top - rows[i].bottom;
        return std::min(i + 1 == rows.size() ? gap : gap - gap / 2, 8);
    };

    std::vector<const TextRow*> group;
    size_t groupStart = 0;
    auto flush = [&](size_t lastIndex) {
        if (group.empty()) return;
        TextBand band;
        const int top = rows[groupStart].top - marginAbove(groupStart);
        const int bottom = rows[lastIndex].bottom + marginBelow(lastIndex);
        band.rect = QRect(0, top, gray.width(), bottom - top);
        band.script = scriptOfRows(group);
        std::vector<int> heights;
        Histogram histogram;
        for (const TextRow* r : group) {
            heights.push_back(r->bottom - r->top);
            histogram.add(gray, QRect(r->left, r->top, r->right - r->left, r->bottom - r->top));
            const std::vector<QRect> pieces = rowSegments(gray, *r);
            band.columns = band.columns || pieces.size() > 1;
            band.rows.insert(band.rows.end(), pieces.begin(), pieces.end());
        }
        band.textHeight = medianOf(heights);
        band.background = histogram.mostCommon();
        band.dark = band.background < 110;
        band.scale = upscaleFor(band.script, band.textHeight);
        // Something tall without a break (a picture, a dense table) is cut
        // into pieces the engine can take; a row across a cut goes to both.
        for (int y = top; y < bottom; y += kTallestBand) {
            TextBand piece = band;
            piece.rect = QRect(0, y, gray.width(), std::min(kTallestBand, bottom - y));
            piece.rows.clear();
            for (const QRect& r : band.rows)
                if (piece.rect.intersects(r)) piece.rows.push_back(r.intersected(piece.rect));
            bands.push_back(piece);
        }
        group.clear();
    };

    BandScript current = BandScript::Unknown;
    for (size_t i = 0; i < rows.size(); ++i) {
        const TextRow& row = rows[i];
        if (!group.empty()) {
            const bool fits = row.bottom - rows[groupStart].top <= maxBandHeight;
            if (!fits || !compatible(current, row.script)) {
                flush(i - 1);
                current = BandScript::Unknown;
            }
        }
        if (group.empty()) groupStart = i;
        group.push_back(&row);
        if (current == BandScript::Unknown) current = row.script;
    }
    flush(rows.size() - 1);
    return bands;
}

}  // namespace klipo::platform
