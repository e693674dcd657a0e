// Windows and pop-ups on top of others, read whole.
#include "platform/text/RegionCutter.h"

#include <algorithm>
#include <numeric>

namespace klipo::platform {

namespace {

// Whether a part of the page at `a` reads before one at `b`: side by side,
// the left one; one above the other, the upper one.
bool readsBefore(const QRect& a, const QRect& b)
{
    const bool sameRows = a.top() <= b.bottom() && b.top() <= a.bottom();
    // Parts one under the other, their outlines touching (a list cut in two
    // by a window's edge beside it): the upper one.
    if (sameRows && a.left() == b.left()) return a.top() < b.top();
    return sameRows ? a.left() < b.left() : a.top() < b.top();
}

// The order in which parts of a page read: parts that overlap (a window and
// the one on top of it) stay together, the lower-lying first; among those,
// each from where it starts (`starts`: what lies around windows on top,
// from its first line).
std::vector<size_t> readingOrder(const std::vector<QRect>& parts, const std::vector<QRect>& starts)
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
        for (size_t i : ordered(members, [&](size_t k) { return starts[k]; })) out.push_back(i);
    }
    return out;
}

// Where each frame a few lines high that lies on nothing (not `apart`), amid
// the lines read around it from `aroundStart` on (a highlighted row of a
// menu, a field), reads among them: after the last above it in its column,
// else before the first below it. For each of those lines, and one past the
// last, the frames read before it.
std::vector<std::vector<size_t>> amongLines(const std::vector<QRect>& frames, const std::vector<char>& apart,
                                            const std::vector<LayoutLine>& lines, size_t aroundStart, int th)
{
    std::vector<std::vector<size_t>> before(lines.size() + 1);
    if (aroundStart >= lines.size()) return before;
    for (size_t k = 0; k < apart.size(); ++k) {
        const QRect& f = frames[k];
        if (apart[k]) continue;
        const auto column = [&](const QRect& l) { return l.left() <= f.right() && f.left() <= l.right(); };
        constexpr size_t none = size_t(-1);
        size_t at = none;
        for (size_t i = aroundStart; i < lines.size(); ++i)
            if (column(lines[i].rect) && lines[i].rect.bottom() < f.top() + th / 2) at = i + 1;
        for (size_t i = aroundStart; i < lines.size() && at == none; ++i)
            if (column(lines[i].rect) && lines[i].rect.top() > f.top()) at = i;
        if (at != none) before[at].push_back(k);
    }
    return before;
}

}  // namespace

// The frames not yet read whose text lies inside the region, the outermost
// of those nested.
std::vector<size_t> RegionCutter::framesIn(const QRect& r) const
{
    std::vector<size_t> in;
    for (size_t i = 0; i < m_frames.size(); ++i)
        if (!m_frameRead[i] && !m_frameText[i].isEmpty() && r.contains(m_frameText[i]) && m_frameText[i] != r &&
            !besideItsLabel(r, i))
            in.push_back(i);
    const auto within = [&](size_t i, size_t j) { return m_frames[j].contains(m_frames[i]); };
    std::vector<size_t> outer;
    for (size_t i : in)
        if (std::none_of(in.begin(), in.end(), [&](size_t j) { return j != i && within(i, j); })) outer.push_back(i);
    return outer;
}

// Whether a frame is a field of a form: a box about one line of text high
// whose text stands level with a label to its left, not far off. It reads
// in turn with its label, not apart.
bool RegionCutter::besideItsLabel(const QRect& r, size_t i, int labelEnd) const
{
    const QRect& frame = m_frames[i];
    const QRect& text = m_frameText[i];
    const int th = m_textHeight;
    if (m_overlapping[i] || frame.height() > 3 * th || text.height() > 2 * th) return false;
    // The label's text within the text's rows, between the region's edge
    // (or a dozen text heights off) and the frame (or `labelEnd`).
    const int from = std::max(r.left(), frame.left() - 12 * th);
    const int to = labelEnd >= 0 ? labelEnd : frame.left() - 1;
    int first = -1;
    int last = -1;
    for (int y = text.top(); y <= text.bottom(); ++y)
        for (int x = from; x < to; ++x)
            if (m_marks.at(x, y) == PageMarks::text) {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
    // Level with it: the label's ink spans most of the text's rows.
    return first >= 0 && (last - first + 1) * 2 >= text.height();
}

// Whether the text right of an empty column stands mostly in the fields of
// a form whose labels lie left of it: the labels and their fields read row
// by row, not the labels first and the fields after them.
bool RegionCutter::fieldsBesideLabels(const QRect& r, const Gap& g, int th) const
{
    const std::vector<std::pair<int, int>> rows = side(r, g.end, r.right(), th).rows;
    if (rows.size() < 2) return false;
    std::vector<QRect> fields;
    for (size_t i = 0; i < m_frames.size(); ++i)
        if (!m_frameRead[i] && !m_frameText[i].isEmpty() && r.contains(m_frameText[i]) &&
            m_frameText[i].left() >= g.end && besideItsLabel(r, i, g.start))
            fields.push_back(m_frameText[i]);
    const auto inField = std::count_if(rows.begin(), rows.end(), [&](const std::pair<int, int>& row) {
        return std::any_of(fields.begin(), fields.end(),
                           [&](const QRect& f) { return row.first >= f.top() - 2 && row.second <= f.bottom() + 2; });
    });
    return inField >= 2 && inField * 3 >= qsizetype(rows.size()) * 2;
}

bool RegionCutter::throughFrame(const QRect& r, const Gap& g, bool across) const
{
    // Inside a window being read, only what lies inside it counts.
    const auto outside = [&](size_t i) {
        for (size_t j = 0; j < m_frames.size(); ++j)
            if (m_frameRead[j] && m_frames[j].contains(r) && !m_frames[j].contains(m_frames[i])) return true;
        return false;
    };
    for (size_t i = 0; i < m_frames.size(); ++i) {
        const QRect& text = m_frameText[i];
        if (m_frameRead[i] || !m_overlapping[i] || text.isEmpty() || m_frames[i].contains(r) || !text.intersects(r) ||
            outside(i))
            continue;
        const int first = across ? text.top() : text.left();
        const int last = across ? text.bottom() : text.right();
        if (first < g.start && last >= g.end) return true;
    }
    return false;
}

// Each frame read on its own, then what lies around them as if they were
// not there; the parts in reading order, a frame on top of another part
// read whole after it.
void RegionCutter::readFramesApart(const QRect& r, const std::vector<size_t>& frames, int depth)
{
    const size_t base = m_out.size();
    std::vector<QRect> parts;
    std::vector<size_t> ends;
    // Those on top first: a window under another reads only what shows.
    for (size_t f : frames)
        if (!m_frameRead[f]) readFrameOnTopFirst(r, f, depth, parts, ends);
    const size_t framesRead = parts.size();
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
    const size_t aroundStart = aroundFrom - base;
    // Windows and pop-ups read apart; rows and fields that lie on nothing
    // read among the lines around them.
    std::vector<char> apart(framesRead);
    for (size_t k = 0; k < framesRead; ++k) apart[k] = parts[k].height() > 3 * m_textHeight || cutsTextOff(parts[k], r);
    const std::vector<std::vector<size_t>> before = amongLines(parts, apart, lines, aroundStart, m_textHeight);
    std::vector<char> placed(parts.size(), 0);
    for (const std::vector<size_t>& ks : before)
        for (size_t k : ks) placed[k] = 1;
    const auto linesOf = [&](size_t p) {
        const size_t from = p == 0 ? 0 : ends[p - 1] - base;
        return std::make_pair(lines.begin() + qsizetype(from), lines.begin() + qsizetype(ends[p] - base));
    };
    // Against the windows on top of it, what lies around them reads from
    // where it starts: its first line.
    std::vector<QRect> starts = parts;
    if (aroundStart < lines.size()) starts.back() = lines[aroundStart].rect;
    for (size_t p : readingOrder(parts, starts)) {
        if (placed[p]) continue;
        if (p + 1 < parts.size() || aroundStart == lines.size()) {
            m_out.insert(m_out.end(), linesOf(p).first, linesOf(p).second);
            continue;
        }
        for (size_t i = aroundStart; i <= lines.size(); ++i) {
            for (size_t k : before[i]) m_out.insert(m_out.end(), linesOf(k).first, linesOf(k).second);
            if (i < lines.size()) m_out.push_back(lines[i]);
        }
    }
}

void RegionCutter::readFrameOnTopFirst(const QRect& r, size_t f, int depth, std::vector<QRect>& parts,
                                       std::vector<size_t>& ends)
{
    m_frameRead[f] = 1;
    // A window lying on part of this one (its whole outline shows where
    // this one's is hidden), not yet read: inside another window, it was
    // not among those to read apart.
    for (size_t g = 0; g < m_frames.size(); ++g)
        if (!m_frameRead[g] && m_layers[g] < m_layers[f] && !m_frameText[g].isEmpty() && r.contains(m_frameText[g]) &&
            m_frames[g].intersects(m_frames[f]) && !m_frames[f].contains(m_frames[g]) &&
            !m_frames[g].contains(m_frames[f]))
            readFrameOnTopFirst(r, g, depth, parts, ends);
    cut(m_frames[f], depth + 1);
    hide(m_frames[f], m_onTop[f] != 0);
    parts.push_back(m_frames[f]);
    ends.push_back(m_out.size());
}

std::vector<size_t> RegionCutter::cutOnTop(const QRect& r, const std::vector<Gap>& across,
                                           const std::vector<Gap>& down) const
{
    std::vector<size_t> cut;
    for (size_t i : framesIn(r)) {
        const QRect& f = m_frames[i];
        const auto through = [](const std::vector<Gap>& gaps, int first, int last) {
            return std::any_of(gaps.begin(), gaps.end(),
                               [&](const Gap& g) { return g.start <= last && g.end > first; });
        };
        if (m_onTop[i] && cutsTextOff(f, r) &&
            (through(across, f.top(), f.bottom()) || through(down, f.left(), f.right())) && !overRule(f))
            cut.push_back(i);
    }
    return cut;
}

bool RegionCutter::overRule(const QRect& f) const
{
    const int off = 3;  // past the outline and its shadow
    const int th = m_textHeight;
    const auto at = [&](int x, int y, std::uint8_t mark) {
        return x >= 0 && y >= 0 && x < m_marks.w && y < m_marks.h && m_marks.at(x, y) == mark;
    };
    const auto ruled = [&](int x, int y) { return at(x, y, PageMarks::structure); };
    // A rule running away from a side, from right beside it to a text
    // height or more off.
    const auto away = [&](int x, int y, int dx, int dy) {
        return ruled(x + dx * off, y + dy * off) && ruled(x + dx * (off + th / 2), y + dy * (off + th / 2)) &&
               ruled(x + dx * (off + th), y + dy * (off + th));
    };
    // Whether it runs on further than the frame is across, with text on
    // both sides of it out there, not too far off: it parts what lies
    // beside it (a column's rule), not only the boxes the frame lies on (a
    // field's edge).
    const int reach = 10 * th;
    const auto textIn = [&](const QRect& area) {
        const QRect a = area.intersected(QRect(0, 0, m_marks.w, m_marks.h));
        for (int y = a.top(); y <= a.bottom(); ++y)
            for (int x = a.left(); x <= a.right(); ++x)
                if (m_marks.at(x, y) == PageMarks::text) return true;
        return false;
    };
    const auto parts = [&](int x, int y, int dx, int dy) {
        int end = off;
        while (ruled(x + dx * (end + 1), y + dy * (end + 1))) ++end;
        const QRect run = QRect(QPoint(x + dx * off, y + dy * off), QPoint(x + dx * end, y + dy * end)).normalized();
        // Bands beside the run, left and right of a rule running down,
        // above and below one running across.
        const QRect before = dy != 0 ? QRect(QPoint(x - reach, run.top()), QPoint(x - 2, run.bottom()))
                                     : QRect(QPoint(run.left(), y - reach), QPoint(run.right(), y - 2));
        const QRect after = dy != 0 ? QRect(QPoint(x + 2, run.top()), QPoint(x + reach, run.bottom()))
                                    : QRect(QPoint(run.left(), y + 2), QPoint(run.right(), y + reach));
        const int along = dy != 0 ? f.height() : f.width();
        return end - off > along && textIn(before) && textIn(after);
    };
    const int corner = std::max(off, th);
    for (int x = f.left() + corner; x <= f.right() - corner; ++x)
        for (const auto& [y, dy] : {std::pair(f.top(), -1), std::pair(f.bottom(), 1)})
            if (away(x, y, 0, dy) && parts(x, y, 0, dy)) return true;
    for (int y = f.top() + corner; y <= f.bottom() - corner; ++y)
        for (const auto& [x, dx] : {std::pair(f.left(), -1), std::pair(f.right(), 1)})
            if (away(x, y, dx, 0) && parts(x, y, dx, 0)) return true;
    return false;
}

bool RegionCutter::cutsTextOff(const QRect& f, const QRect& within) const
{
    const int th = m_textHeight;
    const int reach = std::max(2, th / 4);  // how close to the outline the cut-off text ends
    const auto isText = [&](int x, int y) { return within.contains(x, y) && m_marks.at(x, y) == PageMarks::text; };
    // Rows beside a side (columns beside the top or bottom) where text comes
    // that close and does not go on inside (text running across the side
    // lies on top of it): a letter's height of them along one side. Text cut
    // off goes on away from the side, within a letter's height; a thin line
    // along it with nothing beyond (the other edge of a faint outline) is
    // none.
    const auto along = [&](int from, int to, int outer, int step, bool down) {
        const auto near = [&](int a, int start, int direction) {
            const auto inkAt = [&](int k) {
                const int b = start + direction * k;
                return down ? isText(b, a) : isText(a, b);
            };
            bool close = false;
            for (int k = 1; k <= reach && !close; ++k) close = inkAt(k);
            if (!close) return false;
            for (int k = reach + 1; k <= reach + th; ++k)
                if (inkAt(k)) return true;
            return false;
        };
        int n = 0;
        for (int a = from; a <= to; ++a) n += near(a, outer, step);
        return n;
    };
    return along(f.top(), f.bottom(), f.left(), -1, true) >= th ||
           along(f.top(), f.bottom(), f.right(), 1, true) >= th ||
           along(f.left(), f.right(), f.top(), -1, false) >= th ||
           along(f.left(), f.right(), f.bottom(), 1, false) >= th;
}

void RegionCutter::hideSlivers(const QRect& area)
{
    // Past the outline and its shadow, the letters a window on top cuts
    // off show only their ends: less than half a text height of them.
    const int reach = 3 + std::max(2, m_textHeight / 2);
    const auto isText = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < m_marks.w && y < m_marks.h && m_marks.at(x, y) == PageMarks::text;
    };
    for (int x = area.left(); x <= area.right(); ++x)
        for (const int step : {1, -1}) {
            const int edge = step > 0 ? area.bottom() : area.top();
            int last = 0;  // how far off the last text in the column's reach is
            for (int k = 1; k <= reach; ++k)
                if (isText(x, edge + step * k)) last = k;
            // The letters go on past the reach: a line under the window, not cut off.
            if (last == 0 || isText(x, edge + step * (reach + 1)) || isText(x, edge + step * (reach + 2))) continue;
            for (int k = 1; k <= last; ++k)
                if (isText(x, edge + step * k)) m_marks.at(x, edge + step * k) = PageMarks::hiddenText;
        }
}

void RegionCutter::hide(const QRect& r, bool shadow)
{
    const QRect area = r.intersected(QRect(0, 0, m_marks.w, m_marks.h));
    m_hidden.push_back(area);
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            std::uint8_t& v = m_marks.at(x, y);
            if (v == PageMarks::text)
                v = PageMarks::hiddenText;
            else if (v == PageMarks::structure)
                v = PageMarks::hiddenStructure;
        }
    if (shadow) hideShadow(area);
    hideSlivers(area);
}

void RegionCutter::hideShadow(const QRect& area)
{
    // A window's shadow falls below it and to its right, as long as the side
    // and no longer; a rule under the window runs on past its ends. Left, it
    // would cross the column gaps that rules under the window part. Where
    // words lie across it (a form's labels right beside a pop-up), it is
    // left: the words' own marks are what part them from the window.
    const int slack = 3;
    const int least = std::max(2, m_textHeight / 2);
    const auto structure = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < m_marks.w && y < m_marks.h && m_marks.at(x, y) == PageMarks::structure;
    };
    const auto hideAlong = [&](bool across, int at, int first, int last) {
        const auto on = [&](int q) { return across ? structure(q, at) : structure(at, q); };
        int n = 0;
        for (int q = first; q <= last; ++q) n += on(q);
        if (n * 10 < (last - first + 1) * 6 || on(first - slack - 1) || on(last + slack + 1)) return;
        const QRect line = across ? QRect(first, at, last - first + 1, 1) : QRect(at, first, 1, last - first + 1);
        for (const MarkCluster& c : m_words)
            if (c.box.width() >= least && c.box.height() >= least && c.box.intersects(line)) return;
        for (int q = first - slack; q <= last + slack; ++q)
            if (on(q)) (across ? m_marks.at(q, at) : m_marks.at(at, q)) = PageMarks::hiddenStructure;
    };
    for (int k = 1; k <= shadowReach(); ++k) {
        hideAlong(true, area.bottom() + k, area.left(), area.right());
        hideAlong(false, area.right() + k, area.top(), area.bottom());
    }
}

}  // namespace klipo::platform
