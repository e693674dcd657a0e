#include "platform/text/PageLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace klipo::platform {

namespace {

constexpr int kEdgeStep = 20;  // grey difference between neighbours that counts as an edge
constexpr std::uint8_t kNone = 0;
constexpr std::uint8_t kText = 1;
constexpr std::uint8_t kStructure = 2;
constexpr std::uint8_t kVisited = 3;

// The height most letters reach: clusters of marks are whole words in Latin
// but often single strokes and radicals in Chinese, so the median says too
// little; three quarters of them are no taller than the text.
int typicalHeight(std::vector<int> values, int fallback)
{
    if (values.empty()) return fallback;
    auto middle = values.begin() + qsizetype(values.size() * 3 / 4);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Every pixel where the picture changes: letters give many small clusters of
// them, frames and rules long straight runs.
class Marks {
public:
    explicit Marks(const QImage& gray) : w(gray.width()), h(gray.height()), m(size_t(w) * size_t(h), kNone)
    {
        for (int y = 0; y < h; ++y) {
            const uchar* row = gray.constScanLine(y);
            const uchar* above = y > 0 ? gray.constScanLine(y - 1) : row;
            std::uint8_t* out = &m[size_t(y) * size_t(w)];
            for (int x = 1; x < w; ++x) {
                if (std::abs(int(row[x]) - int(row[x - 1])) > kEdgeStep || std::abs(int(row[x]) - int(above[x])) > kEdgeStep)
                    out[x] = kText;
            }
        }
    }

    std::uint8_t& at(int x, int y) { return m[size_t(y) * size_t(w) + size_t(x)]; }
    std::uint8_t at(int x, int y) const { return m[size_t(y) * size_t(w) + size_t(x)]; }

    const int w;
    const int h;
    std::vector<std::uint8_t> m;
};

struct Component {
    QRect box;
    int count = 0;
};

// Walks the clusters of text marks (8-connected). `isStructure` decides for
// each whether it is a frame rather than text; those become structure.
template <typename Decide>
std::vector<Component> components(Marks& marks, Decide isStructure)
{
    std::vector<Component> found;
    std::vector<int> pixels;
    std::vector<int> pending;
    for (int start = 0; start < int(marks.m.size()); ++start) {
        if (marks.m[size_t(start)] != kText) continue;
        pixels.clear();
        pending.assign(1, start);
        marks.m[size_t(start)] = kVisited;
        int left = marks.w, right = -1, top = marks.h, bottom = -1;
        while (!pending.empty()) {
            const int i = pending.back();
            pending.pop_back();
            pixels.push_back(i);
            const int x0 = i % marks.w;
            const int y0 = i / marks.w;
            left = std::min(left, x0);
            right = std::max(right, x0);
            top = std::min(top, y0);
            bottom = std::max(bottom, y0);
            for (int y = std::max(0, y0 - 1); y <= std::min(marks.h - 1, y0 + 1); ++y) {
                for (int x = std::max(0, x0 - 1); x <= std::min(marks.w - 1, x0 + 1); ++x) {
                    std::uint8_t& v = marks.at(x, y);
                    if (v != kText) continue;
                    v = kVisited;
                    pending.push_back(y * marks.w + x);
                }
            }
        }
        const Component c{QRect(QPoint(left, top), QPoint(right, bottom)), int(pixels.size())};
        const bool structure = isStructure(c);
        for (int i : pixels) marks.m[size_t(i)] = structure ? kStructure : kVisited;
        if (!structure) found.push_back(c);
    }
    for (std::uint8_t& v : marks.m)
        if (v == kVisited) v = kText;
    return found;
}

// Straight runs of marks longer than any stroke of a letter are frames,
// borders, rules and splitters.
void markStraightRuns(Marks& marks, int longestAcross, int longestDown)
{
    for (int y = 0; y < marks.h; ++y) {
        int start = -1;
        for (int x = 0; x <= marks.w; ++x) {
            const bool on = x < marks.w && marks.at(x, y) != kNone;
            if (on && start < 0) start = x;
            if (!on && start >= 0) {
                if (x - start >= longestAcross)
                    for (int i = start; i < x; ++i) marks.at(i, y) = kStructure;
                start = -1;
            }
        }
    }
    for (int x = 0; x < marks.w; ++x) {
        int start = -1;
        for (int y = 0; y <= marks.h; ++y) {
            const bool on = y < marks.h && marks.at(x, y) != kNone;
            if (on && start < 0) start = y;
            if (!on && start >= 0) {
                if (y - start >= longestDown)
                    for (int i = start; i < y; ++i) marks.at(x, i) = kStructure;
                start = -1;
            }
        }
    }
}

// Only the stretch between the line's first and last edge counts.
LineScript scriptOf(const QImage& gray, const QRect& r, int background)
{
    std::vector<long> ink(size_t(r.height()), 0);
    long most = 0;
    int inkColumns = 0;
    std::vector<char> column(size_t(r.width()), 0);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const uchar* row = gray.constScanLine(y);
        long n = 0;
        for (int x = r.left(); x <= r.right(); ++x) {
            if (std::abs(int(row[x]) - background) > 60) {
                ++n;
                column[size_t(x - r.left())] = 1;
            }
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

// The grey value most pixels around the text have, and the one its ink has.
void coloursOf(const QImage& gray, const QRect& r, int& background, int& ink)
{
    int counts[256] = {};
    const QRect area = r.adjusted(-2, -2, 2, 2).intersected(gray.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* row = gray.constScanLine(y);
        for (int x = area.left(); x <= area.right(); ++x) ++counts[row[x]];
    }
    background = int(std::max_element(std::begin(counts), std::end(counts)) - std::begin(counts));
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

struct Gap {
    int start = 0;     // first empty row or column
    int end = 0;       // one past the last
    double score = 0;  // its width against the text height, more with a rule in it
    double ruled = 0;  // the share of the region that a rule along it covers
};

class Cutter {
public:
    Cutter(const QImage& gray, const Marks& marks, const std::vector<Component>& words, int textHeight,
           std::vector<LayoutLine>& out)
        : m_gray(gray), m_marks(marks), m_words(words), m_textHeight(textHeight), m_out(out)
    {
    }

    void cut(QRect r, int depth)
    {
        std::vector<int> rows;
        std::vector<int> cols;
        r = trimmed(r, rows, cols);
        if (r.isEmpty()) return;
        const int th = textHeightIn(r);
        if (depth < 48) {
            const std::vector<Gap> across = gaps(r, rows, true, th);
            const std::vector<Gap> down = gaps(r, cols, false, th);
            const Gap bestAcross = best(across);
            const Gap bestDown = best(down);
            if (bestAcross.score > 0 || bestDown.score > 0) {
                // Ruled both ways (a table): rows first, unless the rule
                // down runs further than the one across (a sidebar beside a
                // header line).
                const bool columns = bestAcross.ruled > 0 && bestDown.ruled > 0 ? bestDown.ruled > bestAcross.ruled
                                                                                   : bestDown.score > bestAcross.score;
                const Gap& top = columns ? bestDown : bestAcross;
                int from = columns ? r.left() : r.top();
                for (const Gap& g : columns ? down : across) {
                    // Only the clearest separations at this level; weaker ones
                    // are looked at again inside each part.
                    if (g.score < 0.6 * top.score) continue;
                    cut(columns ? QRect(from, r.top(), g.start - from, r.height())
                                : QRect(r.left(), from, r.width(), g.start - from),
                        depth + 1);
                    from = g.end;
                }
                const int end = columns ? r.right() + 1 : r.bottom() + 1;
                cut(columns ? QRect(from, r.top(), end - from, r.height()) : QRect(r.left(), from, r.width(), end - from),
                    depth + 1);
                return;
            }
        }
        linesOf(r, rows, th);
    }

private:
    static Gap best(const std::vector<Gap>& gaps)
    {
        Gap out;
        for (const Gap& g : gaps) {
            if (g.score > out.score) out.score = g.score;
            out.ruled = std::max(out.ruled, g.ruled);
        }
        return out;
    }

    // The region shrunk to its text, with its row and column profiles.
    QRect trimmed(const QRect& r, std::vector<int>& rows, std::vector<int>& cols) const
    {
        rows.assign(size_t(r.height()), 0);
        cols.assign(size_t(r.width()), 0);
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)];
            for (int x = r.left(); x <= r.right(); ++x) {
                if (row[x] != kText) continue;
                ++rows[size_t(y - r.top())];
                ++cols[size_t(x - r.left())];
            }
        }
        int top = 0, bottom = r.height() - 1, left = 0, right = r.width() - 1;
        while (top <= bottom && rows[size_t(top)] == 0) ++top;
        while (bottom >= top && rows[size_t(bottom)] == 0) --bottom;
        while (left <= right && cols[size_t(left)] == 0) ++left;
        while (right >= left && cols[size_t(right)] == 0) --right;
        if (top > bottom || left > right) return {};
        rows = std::vector<int>(rows.begin() + top, rows.begin() + bottom + 1);
        cols = std::vector<int>(cols.begin() + left, cols.begin() + right + 1);
        return QRect(r.left() + left, r.top() + top, right - left + 1, bottom - top + 1);
    }

    // The typical height of the letters and words inside a region.
    int textHeightIn(const QRect& r) const
    {
        std::vector<int> heights;
        for (const Component& c : m_words)
            if (c.box.height() >= 4 && r.contains(c.box)) heights.push_back(c.box.height());
        return std::max(4, typicalHeight(std::move(heights), m_textHeight));
    }

    // How much of the region a frame or rule along an empty stretch covers
    // (0 when less than most of it).
    double structureAlong(const QRect& r, int start, int end, bool across) const
    {
        const int length = across ? r.width() : r.height();
        int most = 0;
        for (int p = start - 1; p <= end; ++p) {
            int n = 0;
            if (across) {
                if (p < 0 || p >= m_marks.h) continue;
                for (int x = r.left(); x <= r.right(); ++x) n += m_marks.at(x, p) == kStructure;
            } else {
                if (p < 0 || p >= m_marks.w) continue;
                for (int y = r.top(); y <= r.bottom(); ++y) n += m_marks.at(p, y) == kStructure;
            }
            most = std::max(most, n);
        }
        return most * 10 >= length * 6 ? double(most) / length : 0;
    }

    // Whether a frame or rule runs across an empty stretch from one side to the other.
    bool crossed(const QRect& r, int start, int end, bool across) const
    {
        const int size = end - start;
        if (across) {
            for (int x = r.left(); x <= r.right(); ++x) {
                int n = 0;
                for (int y = start; y < end; ++y) n += m_marks.at(x, y) == kStructure;
                if (n * 10 >= size * 9) return true;
            }
        } else {
            for (int y = r.top(); y <= r.bottom(); ++y) {
                const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)];
                const int n = int(std::count(row + start, row + end, kStructure));
                if (n * 10 >= size * 9) return true;
            }
        }
        return false;
    }

    // Whether text stands on both sides of an empty column in a good part of
    // the rows that hold text.
    bool sideBySide(const QRect& r, int start, int end) const
    {
        int rows = 0;
        int both = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)];
            const bool left = std::any_of(row + r.left(), row + start, [](std::uint8_t v) { return v == kText; });
            const bool right = std::any_of(row + end, row + r.right() + 1, [](std::uint8_t v) { return v == kText; });
            rows += left || right;
            both += left && right;
        }
        return both * 10 >= rows * 3;
    }

    // The empty stretches that separate regions: wide against the text
    // height (rows between paragraphs, columns between columns), or holding
    // a frame or a rule.
    std::vector<Gap> gaps(const QRect& r, const std::vector<int>& profile, bool across, int th) const
    {
        std::vector<Gap> out;
        const int origin = across ? r.top() : r.left();
        const double wide = across ? 0.8 * th : 1.2 * th;
        for (size_t i = 0; i < profile.size();) {
            if (profile[i] != 0) {
                ++i;
                continue;
            }
            size_t j = i;
            while (j < profile.size() && profile[j] == 0) ++j;
            const int start = origin + int(i);
            const int end = origin + int(j);
            const int size = end - start;
            const double ruled = structureAlong(r, start, end, across);
            // A gap that a frame or rule crosses runs through a window or a
            // table: no cut there.
            if (ruled == 0 && crossed(r, start, end, across)) {
                i = j;
                continue;
            }
            if (size >= wide || ruled > 0) {
                double score = double(size) / th + (ruled > 0 ? 2 : 0);
                // Text that takes turns on either side (a chat's bubbles)
                // reads row by row, not as two columns.
                if (!across && ruled == 0 && !sideBySide(r, start, end)) score *= 0.3;
                out.push_back({start, end, score, ruled});
            }
            i = j;
        }
        return out;
    }

    // A region without inner gaps: its rows of text, each cut where a wide
    // gap or a frame separates what stands side by side.
    void linesOf(const QRect& r, const std::vector<int>& rows, int th)
    {
        const int region = m_region++;
        for (size_t i = 0; i < rows.size();) {
            if (rows[i] == 0) {
                ++i;
                continue;
            }
            size_t j = i;
            while (j < rows.size() && rows[j] != 0) ++j;
            const QRect band(r.left(), r.top() + int(i), r.width(), int(j - i));
            segmentsOf(band, region, th);
            i = j;
        }
    }

    void segmentsOf(const QRect& band, int region, int th)
    {
        std::vector<int> cols(size_t(band.width()), 0);
        for (int y = band.top(); y <= band.bottom(); ++y)
            for (int x = band.left(); x <= band.right(); ++x) cols[size_t(x - band.left())] += m_marks.at(x, y) == kText;
        const bool stacked = band.height() * 10 > th * 17 && band.height() > th + 8;
        const double wide = 1.2 * (stacked ? th : band.height());
        int start = -1;
        int lastInk = -1;
        auto flush = [&] {
            if (start < 0) return;
            addLine(QRect(band.left() + start, band.top(), lastInk - start + 1, band.height()), region, stacked);
            start = -1;
        };
        for (int x = 0; x < band.width(); ++x) {
            if (cols[size_t(x)] == 0) continue;
            if (start >= 0 && x - lastInk > 1) {
                const int gap = x - lastInk - 1;
                if (gap >= wide || structureAlong(band, band.left() + lastInk + 1, band.left() + x, false) > 0) flush();
            }
            if (start < 0) start = x;
            lastInk = x;
        }
        flush();
    }

    void addLine(QRect r, int region, bool stacked)
    {
        // Tight around the ink of this piece.
        int top = r.bottom() + 1, bottom = r.top() - 1;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (m_marks.at(x, y) == kText) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                    break;
                }
        if (bottom < top) return;
        r.setTop(top);
        r.setBottom(bottom);
        // Marks sit on both sides of an edge: the ink starts one pixel earlier.
        r = r.adjusted(-1, -1, 0, 0).intersected(m_gray.rect());
        if (r.width() < 3 || r.height() < 4) return;
        LayoutLine line;
        line.rect = r;
        line.region = region;
        line.stacked = stacked;
        coloursOf(m_gray, r, line.background, line.ink);
        line.script = scriptOf(m_gray, r, line.background);
        m_out.push_back(line);
    }

    const QImage& m_gray;
    const Marks& m_marks;
    const std::vector<Component>& m_words;
    int m_textHeight;
    std::vector<LayoutLine>& m_out;
    int m_region = 0;
};

PageLayout analyseAtFullSize(const QImage& gray)
{
    PageLayout layout;
    layout.width = gray.width();
    if (gray.width() < 2 || gray.height() < 2) {
        layout.structure.assign(size_t(std::max(0, gray.width() * gray.height())), 0);
        return layout;
    }
    Marks marks(gray);

    // The height of most letters and words sets what counts as long.
    std::vector<int> heights;
    components(marks, [&](const Component& c) {
        // Outlines alone (the inside edge of a thick frame or grid cell) are no text.
        const bool outline = c.count * 5 < 12 * (c.box.width() + c.box.height());
        if (c.box.height() >= 5 && c.box.height() <= std::max(64, gray.height() / 8) && c.box.width() <= 12 * c.box.height() &&
            c.count >= 8 && !outline)
            heights.push_back(c.box.height());
        return false;
    });
    const int th = std::max(6, typicalHeight(heights, 12));
    layout.textHeight = th;
    // Boxes around text (fields, buttons, bubbles, banners) are hollow
    // clusters much taller than the text in them.
    auto hollow = [th](const Component& c) {
        const int w = c.box.width();
        const int h = c.box.height();
        // A thin bar much taller than the text: a separator between toolbar items.
        if (w * 4 <= h && h * 5 >= th * 8) return true;
        return h * 2 > th * 3 && w > 2 * th && double(c.count) < 0.2 * double(w) * double(h);
    };
    // Small boxes first, whole (their rounded corners and short sides are not
    // straight runs); window frames and table grids are left to the runs, so
    // that a letter touching them is not taken away with them.
    components(marks, [&](const Component& c) { return c.box.height() <= 8 * th && hollow(c); });
    // Strokes of neighbouring letters can line up over a few letters; a
    // frame's side is far longer.
    markStraightRuns(marks, std::max(5 * th, 64), std::max(2 * th, 20));

    // What is left of a box once its straight runs are gone.
    const std::vector<Component> words = components(marks, hollow);

    Cutter cutter(gray, marks, words, th, layout.lines);
    cutter.cut(gray.rect(), 0);

    layout.structure.resize(marks.m.size());
    for (size_t i = 0; i < marks.m.size(); ++i) layout.structure[i] = marks.m[i] == kStructure;
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
    layout.structure.assign(size_t(gray.width()) * size_t(gray.height()), 0);
    for (int y = 0; y < gray.height(); ++y) {
        const int hy = std::min(y / 2, int(half.structure.size() / size_t(half.width)) - 1);
        for (int x = 0; x < gray.width(); ++x)
            layout.structure[size_t(y) * size_t(gray.width()) + size_t(x)] =
                half.structure[size_t(hy) * size_t(half.width) + size_t(std::min(x / 2, half.width - 1))];
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
