#include "platform/text/RegionCutter.h"

#include "platform/text/ClosedFrames.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace klipo::platform {

namespace {

// Whether a part of the page at `a` reads before one at `b`: side by side,
// the left one; one above the other, the upper one.
bool readsBefore(const QRect& a, const QRect& b)
{
    const bool sameRows = a.top() <= b.bottom() && b.top() <= a.bottom();
    return sameRows ? a.left() < b.left() : a.top() < b.top();
}

// The order in which parts of a page read: parts that overlap (a window and
// the one on top of it) stay together, the lower-lying first.
std::vector<size_t> readingOrder(const std::vector<QRect>& parts)
{
    std::vector<size_t> cluster(parts.size());
    std::iota(cluster.begin(), cluster.end(), size_t(0));
    auto root = [&](size_t i) {
        while (cluster[i] != i) i = cluster[i];
        return i;
    };
    for (size_t a = 0; a < parts.size(); ++a)
        for (size_t b = a + 1; b < parts.size(); ++b)
            if (parts[a].intersects(parts[b])) cluster[root(b)] = root(a);
    std::vector<QRect> bounds(parts.size());
    for (size_t i = 0; i < parts.size(); ++i) bounds[root(i)] |= parts[i];

    // Picks, again and again, a part that nothing left reads before (the
    // top-left one if every part has one).
    auto ordered = [](std::vector<size_t> left, const auto& rectOf) {
        std::vector<size_t> out;
        while (!left.empty()) {
            auto first = std::find_if(left.begin(), left.end(), [&](size_t x) {
                return std::none_of(left.begin(), left.end(),
                                    [&](size_t y) { return y != x && readsBefore(rectOf(y), rectOf(x)); });
            });
            if (first == left.end())
                first = std::min_element(left.begin(), left.end(), [&](size_t x, size_t y) {
                    return std::make_pair(rectOf(x).top(), rectOf(x).left()) <
                           std::make_pair(rectOf(y).top(), rectOf(y).left());
                });
            out.push_back(*first);
            left.erase(first);
        }
        return out;
    };
    std::vector<size_t> roots;
    for (size_t i = 0; i < parts.size(); ++i)
        if (root(i) == i) roots.push_back(i);
    std::vector<size_t> out;
    for (size_t c : ordered(roots, [&](size_t i) { return bounds[i]; })) {
        std::vector<size_t> members;
        for (size_t i = 0; i < parts.size(); ++i)
            if (root(i) == c) members.push_back(i);
        for (size_t i : ordered(members, [&](size_t k) { return parts[k]; })) out.push_back(i);
    }
    return out;
}

}  // namespace

RegionCutter::RegionCutter(const QImage& gray, PageMarks& marks, const std::vector<MarkCluster>& words,
                           int textHeight, std::vector<LayoutLine>& out)
    : m_gray(gray), m_marks(marks), m_words(words), m_textHeight(textHeight), m_out(out)
{
}

void RegionCutter::cutPage()
{
    m_frames = closedFrames(m_marks, std::max(2 * m_textHeight, 20));
    for (const QRect& f : m_frames) {
        QRect text;
        for (int y = f.top() + 1; y < f.bottom(); ++y)
            for (int x = f.left() + 1; x < f.right(); ++x)
                if (m_marks.at(x, y) == PageMarks::text) text |= QRect(x, y, 1, 1);
        m_frameText.push_back(text);
    }
    m_frameRead.assign(m_frames.size(), 0);
    const size_t first = m_out.size();
    cut(m_gray.rect(), 0);
    spreadMonospacing();
    // Frames read apart come out of turn: regions are numbered again in the
    // order they read.
    std::vector<int> number(size_t(m_region), -1);
    int next = 0;
    for (size_t i = first; i < m_out.size(); ++i) {
        int& n = number[size_t(m_out[i].region)];
        if (n < 0) n = next++;
        m_out[i].region = n;
    }
}

// A region with too few Latin words to tell (the Chinese lines of a
// terminal) is as monospaced as the region right above or below it that
// can tell, or that took after one that can.
void RegionCutter::spreadMonospacing()
{
    const size_t n = m_spacings.size();
    std::vector<int> verdict(n, -1);  // -1: not known yet
    for (size_t i = 0; i < n; ++i)
        if (m_spacings[i].telling()) verdict[i] = m_spacings[i].monospaced();
    for (bool spread = true; spread;) {
        spread = false;
        for (size_t i = 0; i < n; ++i) {
            if (verdict[i] >= 0) continue;
            const QRect& a = m_spacings[i].box;
            int nearest = 3 * m_textHeight + 1;
            for (size_t j = 0; j < n; ++j) {
                const QRect& b = m_spacings[j].box;
                const int overlap = std::min(a.right(), b.right()) - std::max(a.left(), b.left());
                const int distance = std::max(b.top() - a.bottom(), a.top() - b.bottom());
                if (verdict[j] < 0 || overlap * 2 < std::min(a.width(), b.width()) || distance >= nearest) continue;
                nearest = distance;
                verdict[i] = verdict[j];
                spread = true;
            }
        }
    }
    for (LayoutLine& line : m_out) line.monospaced = verdict[size_t(line.region)] > 0;
}

void RegionCutter::cut(QRect r, int depth)
{
    std::vector<int> rows;
    std::vector<int> cols;
    r = trimmed(r, rows, cols);
    if (r.isEmpty()) return;
    const int th = textHeightIn(r);
    if (depth < 64) {
        std::vector<Gap> across = gaps(r, rows, true, th);
        std::vector<Gap> down = gaps(r, cols, false, th);
        if (!down.empty()) {
            const std::vector<std::pair<int, int>> bands = bandsOf(r, rows);
            std::erase_if(down, [&](const Gap& g) { return g.ruled == 0 && withinLines(r, bands, g, th); });
        }
        // Clean separations (between windows, above a table) before the
        // rules inside a table, which other rules cross, unless they are far
        // weaker.
        double clean = 0;
        double ruledCrossed = 0;
        for (const std::vector<Gap>* list : {&across, &down})
            for (const Gap& g : *list) (g.crossed ? ruledCrossed : clean) = std::max(g.crossed ? ruledCrossed : clean, g.score);
        if (clean > 0 && clean * 2 >= ruledCrossed) {
            const auto isCrossed = [](const Gap& g) { return g.crossed; };
            std::erase_if(across, isCrossed);
            std::erase_if(down, isCrossed);
        }
        if (!across.empty() || !down.empty()) {
            std::vector<std::pair<int, int>> tableRows;
            const bool columns = columnsFirst(r, across, down, th, tableRows);
            const bool bandsOnly = !tableRows.empty();
            if (bandsOnly) return readRowByRow(r, tableRows, th);
            const Gap top = best(columns ? down : across);
            int from = columns ? r.left() : r.top();
            for (const Gap& g : columns ? down : across) {
                // Only the clearest separations at this level; weaker ones
                // are looked at again inside each part, where the other
                // direction may be clearer.
                if (g.score < 0.85 * top.score) continue;
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
        // No clear cut, yet windows or pop-ups stand in it, on top of others.
        const std::vector<size_t> frames = framesIn(r);
        if (!frames.empty()) return readFramesApart(r, frames, depth);
    }
    linesOf(r, rows, th);
}

// Whether an empty column is only a space inside the lines that cross it:
// between the words of a large headline, or a run of spaces between the
// columns of a terminal's listing.
bool RegionCutter::withinLines(const QRect& r, const std::vector<std::pair<int, int>>& bands, const Gap& g,
                               int th) const
{
    const auto isText = [](std::uint8_t v) { return v == PageMarks::text; };
    std::vector<std::pair<int, int>> crossing;
    for (const auto& [top, bottom] : bands) {
        bool left = false;
        bool right = false;
        for (int y = top; y <= bottom && !(left && right); ++y) {
            const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)];
            left = left || std::any_of(row + r.left(), row + g.start, isText);
            right = right || std::any_of(row + g.end, row + r.right() + 1, isText);
        }
        if (left && right) crossing.emplace_back(top, bottom);
    }
    const int size = g.end - g.start;
    for (const auto& [top, bottom] : crossing) {
        const QRect band(r.left(), top, r.width(), bottom - top + 1);
        if (band.height() * 2 > 3 * th && size * 5 < 6 * band.height() && singleLine(band)) return true;
    }
    return size < 4 * th && spacingOf(r, crossing, th).monospacedText();
}

// Whether the region reads column by column (else row by row). `tableRows`:
// the rows of a table that no row gap separates (two rows of a menu whose
// letters touch; a list's name with its time beside it, above its preview),
// as the cells of its column of lone rows give them.
bool RegionCutter::columnsFirst(const QRect& r, const std::vector<Gap>& across, const std::vector<Gap>& down, int th,
                                std::vector<std::pair<int, int>>& tableRows) const
{
    if (down.empty()) return false;
    const Gap bestAcross = best(across);
    const Gap bestDown = best(down);
    const Gap column = *std::max_element(down.begin(), down.end(),
                                         [](const Gap& a, const Gap& b) { return a.score < b.score; });
    // A rule down that starts below a row gap (a sidebar under a window's
    // title) or ends above one: what lies above or below it reads first or last.
    if (column.ruled > 0 && std::any_of(across.begin(), across.end(), [&](const Gap& g) {
            return g.start < column.ruleFrom || g.end > column.ruleTo;
        }))
        return false;
    // Ruled both ways (a table): rows first, unless the rule down runs
    // further than the one across (a sidebar beside a header line).
    if (bestAcross.ruled > 0 && bestDown.ruled > 0) return bestDown.ruled > bestAcross.ruled;
    // A table or list without rules: short rows whose cells line up read
    // row by row, however wide the space between the cells.
    std::vector<std::pair<int, int>> lone;
    if (column.ruled == 0 && tableLike(r, column, th, lone)) {
        if (across.empty()) tableRows = std::move(lone);
        return false;
    }
    if (across.empty()) return true;
    // Columns of prose whose paragraphs start side by side: the gaps between
    // paragraphs run across both, yet each column reads to its end first.
    if (bestAcross.ruled == 0 && bestDown.score < bestAcross.score && bestAcross.score <= 2 * bestDown.score &&
        proseColumns(r, column, th))
        return true;
    return bestDown.score > bestAcross.score;
}

RegionCutter::Side RegionCutter::side(const QRect& r, int left, int right, int th) const
{
    Side s;
    int blockRows = 0;
    int lastBottom = -1;
    int start = -1;
    int first = right + 1;
    int last = left - 1;
    for (int y = r.top(); y <= r.bottom() + 1; ++y) {
        bool ink = false;
        if (y <= r.bottom()) {
            const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)];
            const auto isText = [](std::uint8_t v) { return v == PageMarks::text; };
            const std::uint8_t* from = std::find_if(row + left, row + right + 1, isText);
            ink = from != row + right + 1;
            if (ink) {
                first = std::min(first, int(from - row));
                const auto to = std::find_if(std::make_reverse_iterator(row + right + 1),
                                             std::make_reverse_iterator(row + left), isText);
                last = std::max(last, int(to.base() - row) - 1);
            }
        }
        if (ink && start < 0) start = y;
        if (ink || start < 0) continue;
        if (lastBottom >= 0 && start - lastBottom - 1 < 0.8 * th)
            ++blockRows;
        else
            blockRows = 1;
        s.tallestBlock = std::max(s.tallestBlock, blockRows);
        s.rows.emplace_back(start, y - 1);
        lastBottom = y - 1;
        start = -1;
    }
    s.width = std::max(0, last - first + 1);
    return s;
}

// Short rows on one side of the column gap that stand alone (one row of
// text each, with row gaps between them) and line up with rows on the other
// side, whose rows are alone or in pairs: cells of a table, items of a
// menu, a form's labels and fields, a list with a time beside each name.
bool RegionCutter::tableLike(const QRect& r, const Gap& column, int th, std::vector<std::pair<int, int>>& lone) const
{
    const Side a = side(r, r.left(), column.start - 1, th);
    const Side b = side(r, column.end, r.right(), th);
    if (a.rows.empty() || b.rows.empty()) return false;
    for (const auto& [single, other] : {std::make_pair(&b, &a), std::make_pair(&a, &b)}) {
        if (single->width > 12 * th || single->tallestBlock != 1 || other->tallestBlock > 2) continue;
        int aligned = 0;
        for (const auto& [top, bottom] : single->rows) {
            const bool partner = std::any_of(other->rows.begin(), other->rows.end(), [&](const auto& o) {
                const int common = std::min(bottom, o.second) - std::max(top, o.first) + 1;
                return common * 2 >= std::min(bottom - top + 1, o.second - o.first + 1);
            });
            aligned += partner;
        }
        if (aligned * 3 >= int(single->rows.size()) * 2) {
            lone = single->rows;
            return true;
        }
    }
    return false;
}

// A table whose rows touch: cut between each two rows of its column of lone
// cells, where the fewest marks are, each row read on its own.
void RegionCutter::readRowByRow(const QRect& r, const std::vector<std::pair<int, int>>& cells, int th)
{
    int top = r.top();
    for (size_t i = 0; i < cells.size(); ++i) {
        int bottom = r.bottom();
        if (i + 1 < cells.size()) {
            bottom = cells[i].second;
            int fewest = std::numeric_limits<int>::max();
            for (int y = cells[i].second + 1; y < cells[i + 1].first; ++y) {
                const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)];
                const int n = int(std::count(row + r.left(), row + r.right() + 1, PageMarks::text));
                if (n < fewest) {
                    fewest = n;
                    bottom = y;
                }
            }
        }
        std::vector<int> rows;
        std::vector<int> cols;
        const QRect strip = trimmed(QRect(r.left(), top, r.width(), bottom - top + 1), rows, cols);
        if (!strip.isEmpty()) linesOf(strip, rows, th);
        top = bottom + 1;
    }
}

// Lines of prose on both sides of the column gap: many rows, each wide.
bool RegionCutter::proseColumns(const QRect& r, const Gap& column, int th) const
{
    const Side a = side(r, r.left(), column.start - 1, th);
    const Side b = side(r, column.end, r.right(), th);
    return a.rows.size() >= 3 && b.rows.size() >= 3 && a.width >= 15 * th && b.width >= 15 * th;
}

// The frames not yet read whose text lies inside the region, the outermost
// of those nested.
std::vector<size_t> RegionCutter::framesIn(const QRect& r) const
{
    std::vector<size_t> in;
    for (size_t i = 0; i < m_frames.size(); ++i)
        if (!m_frameRead[i] && !m_frameText[i].isEmpty() && r.contains(m_frameText[i]) && m_frameText[i] != r)
            in.push_back(i);
    std::vector<size_t> outer;
    for (size_t i : in)
        if (std::none_of(in.begin(), in.end(), [&](size_t j) { return j != i && m_frames[j].contains(m_frames[i]); }))
            outer.push_back(i);
    return outer;
}

// Each frame read on its own, then what lies around them as if they were
// not there; the parts in reading order, a frame on top of another part
// read whole after it.
void RegionCutter::readFramesApart(const QRect& r, const std::vector<size_t>& frames, int depth)
{
    const size_t base = m_out.size();
    std::vector<QRect> parts;
    std::vector<size_t> ends;
    for (size_t f : frames) {
        m_frameRead[f] = 1;
        cut(m_frames[f], depth + 1);
        parts.push_back(m_frames[f]);
        ends.push_back(m_out.size());
    }
    for (size_t f : frames) hide(m_frames[f]);
    const size_t aroundFrom = m_out.size();
    cut(r, depth + 1);
    if (m_out.size() > aroundFrom) {
        QRect around;
        for (size_t i = aroundFrom; i < m_out.size(); ++i) around |= m_out[i].rect;
        parts.push_back(around);
        ends.push_back(m_out.size());
    }
    const std::vector<LayoutLine> lines(m_out.begin() + qsizetype(base), m_out.end());
    m_out.resize(base);
    for (size_t p : readingOrder(parts)) {
        const size_t from = p == 0 ? 0 : ends[p - 1] - base;
        m_out.insert(m_out.end(), lines.begin() + qsizetype(from), lines.begin() + qsizetype(ends[p] - base));
    }
}

void RegionCutter::hide(const QRect& r)
{
    const QRect area = r.intersected(QRect(0, 0, m_marks.w, m_marks.h));
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            std::uint8_t& v = m_marks.at(x, y);
            if (v == PageMarks::text) v = PageMarks::hiddenText;
            else if (v == PageMarks::structure) v = PageMarks::hiddenStructure;
        }
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
double RegionCutter::structureAlong(const QRect& r, int start, int end, bool across, int* from, int* to) const
{
    const int length = across ? r.width() : r.height();
    int most = 0;
    int line = -1;
    for (int p = start - 1; p <= end; ++p) {
        int n = 0;
        if (across) {
            if (p < 0 || p >= m_marks.h) continue;
            for (int x = r.left(); x <= r.right(); ++x) n += m_marks.at(x, p) == PageMarks::structure;
        } else {
            if (p < 0 || p >= m_marks.w) continue;
            for (int y = r.top(); y <= r.bottom(); ++y) n += m_marks.at(p, y) == PageMarks::structure;
        }
        if (n > most) {
            most = n;
            line = p;
        }
    }
    if (from && to && line >= 0) {
        // Where along the region the strongest rule runs.
        const int first = across ? r.left() : r.top();
        const int last = across ? r.right() : r.bottom();
        auto on = [&](int q) { return (across ? m_marks.at(q, line) : m_marks.at(line, q)) == PageMarks::structure; };
        *from = first;
        while (*from < last && !on(*from)) ++*from;
        *to = last;
        while (*to > *from && !on(*to)) --*to;
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
        int ruleFrom = 0;
        int ruleTo = 0;
        const double ruled = structureAlong(r, start, end, across, &ruleFrom, &ruleTo);
        // A gap that a frame or rule crosses runs through a window or a
        // table: no cut there, but between the rules of a table.
        const bool isCrossed = crossed(r, start, end, across);
        if (ruled == 0 && isCrossed) {
            i = j;
            continue;
        }
        if (size >= wide || ruled > 0) {
            double score = double(size) / th + (ruled > 0 ? 2 : 0);
            // Text that takes turns on either side (a chat's bubbles)
            // reads row by row, not as two columns: any row gap (at least
            // 0.8) goes first.
            if (!across && ruled == 0 && !sideBySide(r, start, end)) score = std::min(score * 0.3, 0.5);
            out.push_back({start, end, score, ruled, isCrossed, ruleFrom, ruleTo});
        }
        i = j;
    }
    return out;
}

}  // namespace klipo::platform
