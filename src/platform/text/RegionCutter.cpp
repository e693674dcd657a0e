#include "platform/text/RegionCutter.h"

#include "platform/text/LineLooks.h"

#include <algorithm>

namespace klipo::platform {

RegionCutter::RegionCutter(const QImage& gray, const PageMarks& marks, const std::vector<MarkCluster>& words,
                           int textHeight, std::vector<LayoutLine>& out)
    : m_gray(gray), m_marks(marks), m_words(words), m_textHeight(textHeight), m_out(out)
{
}

void RegionCutter::cut(QRect r, int depth)
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

RegionCutter::Gap RegionCutter::best(const std::vector<Gap>& gaps)
{
    Gap out;
    for (const Gap& g : gaps) {
        if (g.score > out.score) out.score = g.score;
        out.ruled = std::max(out.ruled, g.ruled);
    }
    return out;
}

// The region shrunk to its text, with its row and column profiles.
QRect RegionCutter::trimmed(const QRect& r, std::vector<int>& rows, std::vector<int>& cols) const
{
    rows.assign(size_t(r.height()), 0);
    cols.assign(size_t(r.width()), 0);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)];
        for (int x = r.left(); x <= r.right(); ++x) {
            if (row[x] != PageMarks::text) continue;
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
int RegionCutter::textHeightIn(const QRect& r) const
{
    std::vector<int> heights;
    for (const MarkCluster& c : m_words)
        if (c.box.height() >= 4 && r.contains(c.box)) heights.push_back(c.box.height());
    return std::max(4, typicalHeight(std::move(heights), m_textHeight));
}

// How much of the region a frame or rule along an empty stretch covers
// (0 when less than most of it).
double RegionCutter::structureAlong(const QRect& r, int start, int end, bool across) const
{
    const int length = across ? r.width() : r.height();
    int most = 0;
    for (int p = start - 1; p <= end; ++p) {
        int n = 0;
        if (across) {
            if (p < 0 || p >= m_marks.h) continue;
            for (int x = r.left(); x <= r.right(); ++x) n += m_marks.at(x, p) == PageMarks::structure;
        } else {
            if (p < 0 || p >= m_marks.w) continue;
            for (int y = r.top(); y <= r.bottom(); ++y) n += m_marks.at(p, y) == PageMarks::structure;
        }
        most = std::max(most, n);
    }
    return most * 10 >= length * 6 ? double(most) / length : 0;
}

// Whether a frame or rule runs across an empty stretch from one side to the other.
bool RegionCutter::crossed(const QRect& r, int start, int end, bool across) const
{
    const int size = end - start;
    if (across) {
        for (int x = r.left(); x <= r.right(); ++x) {
            int n = 0;
            for (int y = start; y < end; ++y) n += m_marks.at(x, y) == PageMarks::structure;
            if (n * 10 >= size * 9) return true;
        }
    } else {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)];
            const int n = int(std::count(row + start, row + end, PageMarks::structure));
            if (n * 10 >= size * 9) return true;
        }
    }
    return false;
}

// Whether text stands on both sides of an empty column in a good part of
// the rows that hold text.
bool RegionCutter::sideBySide(const QRect& r, int start, int end) const
{
    const auto isText = [](std::uint8_t v) { return v == PageMarks::text; };
    int rows = 0;
    int both = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)];
        const bool left = std::any_of(row + r.left(), row + start, isText);
        const bool right = std::any_of(row + end, row + r.right() + 1, isText);
        rows += left || right;
        both += left && right;
    }
    return both * 10 >= rows * 3;
}

// The empty stretches that separate regions: wide against the text
// height (rows between paragraphs, columns between columns), or holding
// a frame or a rule.
std::vector<RegionCutter::Gap> RegionCutter::gaps(const QRect& r, const std::vector<int>& profile, bool across,
                                                  int th) const
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
            // reads row by row, not as two columns: any row gap (at least
            // 0.8) goes first.
            if (!across && ruled == 0 && !sideBySide(r, start, end)) score = std::min(score * 0.3, 0.5);
            out.push_back({start, end, score, ruled});
        }
        i = j;
    }
    return out;
}

// A region without inner gaps: its rows of text, each cut where a wide
// gap or a frame separates what stands side by side.
void RegionCutter::linesOf(const QRect& r, const std::vector<int>& rows, int th)
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

void RegionCutter::segmentsOf(const QRect& band, int region, int th)
{
    std::vector<int> cols(size_t(band.width()), 0);
    for (int y = band.top(); y <= band.bottom(); ++y)
        for (int x = band.left(); x <= band.right(); ++x)
            cols[size_t(x - band.left())] += m_marks.at(x, y) == PageMarks::text;
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

void RegionCutter::addLine(QRect r, int region, bool stacked)
{
    // Tight around the ink of this piece.
    int top = r.bottom() + 1, bottom = r.top() - 1;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (m_marks.at(x, y) == PageMarks::text) {
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

}  // namespace klipo::platform
