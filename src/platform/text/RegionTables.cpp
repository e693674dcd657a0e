// Rows or columns first: tables, menus and lists row by row, prose column by column.
#include "platform/text/RegionCutter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <optional>

namespace klipo::platform {

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
        if (y <= r.bottom() && right >= left) {
            const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)];
            const size_t length = size_t(right - left + 1);
            const void* from = std::memchr(row + left, PageMarks::text, length);
            ink = from != nullptr;
            if (ink) {
                first = std::min(first, int(static_cast<const std::uint8_t*>(from) - row));
                const void* to = ::memrchr(row + left, PageMarks::text, length);
                last = std::max(last, int(static_cast<const std::uint8_t*>(to) - row));
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
bool RegionCutter::tableLike(const QRect& r, const Gap& column, int th, std::vector<std::pair<int, int>>& lone,
                             int from, int to) const
{
    const int left = from < 0 ? r.left() : from;
    const int right = to < 0 ? r.right() : to;
    const Side a = side(r, left, column.start - 1, th);
    const Side b = side(r, column.end, right, th);
    if (a.rows.empty() || b.rows.empty()) return false;
    // A rule between two grounds parts two panes (a list of places on its
    // own ground beside the files), however level their rows: a table's
    // cells share one ground.
    if (column.ruled > 0 && groundsApart(r, column)) return false;
    // A large picture on each side, over the lines: cards side by side (a
    // shop's), each read whole, not rows of a table. Weighed only for what
    // would else be a table: it looks over the whole region.
    const auto table = [&](const std::vector<std::pair<int, int>>& rows) {
        if (largePicture(r, left, column.start - 1, th) && largePicture(r, column.end, right, th)) return false;
        lone = rows;
        return true;
    };
    // Cells of one row stand level: their middles within a quarter of the
    // text's height (rows of two lists that only overlap drift apart from
    // one row to the next).
    const auto levelRows = [&](const Side& one, const Side& another) {
        return int(std::count_if(one.rows.begin(), one.rows.end(), [&](const auto& row) {
            const auto [top, bottom] = row;
            return std::any_of(another.rows.begin(), another.rows.end(), [&](const auto& o) {
                const int common = std::min(bottom, o.second) - std::max(top, o.first) + 1;
                return common * 2 >= std::min(bottom - top + 1, o.second - o.first + 1) &&
                       std::abs((o.first + o.second) - (top + bottom)) <= std::max(4, th / 2);
            });
        }));
    };
    // A narrow cell beside each of a few rows of short lines (a menu's keys
    // beside its items, a count beside a name): each reads after its row's
    // first cell, however close the rows.
    if (b.rows.size() >= 2 && b.width <= 6 * th && a.width <= 20 * th && levelRows(b, a) == int(b.rows.size()) &&
        !largePicture(r, left, column.start - 1, th))
        return table(b.rows);
    // Two columns of prose set with room between their lines stand level
    // row by row as well: no table. Looked at once, when it matters.
    std::optional<bool> prose;
    const auto proseBothSides = [&] {
        if (!prose) prose = proseSide(a, left, column.start - 1, th) && proseSide(b, column.end, right, th);
        return *prose;
    };
    for (const auto& [single, other] : {std::make_pair(&b, &a), std::make_pair(&a, &b)}) {
        if (single->width > 25 * th) continue;
        // Beside a rule, cells are lines of text, more than one: not a
        // scroll bar's thumb beside a list.
        if (column.ruled > 0 &&
            (single->rows.size() < 2 || std::any_of(single->rows.begin(), single->rows.end(),
                                                    [&](const auto& row) { return row.second - row.first >= 2 * th; })))
            continue;
        if (single->tallestBlock == 1 && !proseBothSides()) {
            const int aligned = levelRows(*single, *other);
            // Line numbers beside an editor's code: each row of the other
            // side stands beside a cell, however close its rows, while the
            // cells go on past it (some lines are empty).
            const bool besideEach = other->rows.size() >= 2 && levelRows(*other, *single) == int(other->rows.size()) &&
                                    aligned * 2 >= int(single->rows.size());
            if (besideEach || (other->tallestBlock <= 2 && aligned * 3 >= int(single->rows.size()) * 2))
                return table(single->rows);
            if (other->tallestBlock <= 2) continue;
        }
        // Rows packed closer than a row gap (a list of files, one a line)
        // still make a table when they follow each other at an even pitch,
        // nearly every row on either side stands level with one on the
        // other, and the narrower side holds no prose.
        const int fewer = int(std::min(single->rows.size(), other->rows.size()));
        if (fewer >= 5 && std::min(single->width, other->width) < 15 * th && evenPitch(single->rows, th) &&
            levelRows(*single, *other) * 5 >= int(single->rows.size()) * 4 &&
            levelRows(*other, *single) * 5 >= int(other->rows.size()) * 4)
            return table(single->rows);
    }
    return false;
}

// Whether the ground on one side of an empty column is another than on the
// other all the way down: a pane's edge, not the frames of fields beside
// their labels (the ground between two fields is the labels').
bool RegionCutter::groundsApart(const QRect& r, const Gap& column) const
{
    int apart = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const uchar* row = m_gray.constScanLine(y);
        apart += std::abs(int(row[column.start]) - int(row[column.end - 1])) >= 6;
    }
    return apart * 10 >= r.height() * 9;
}

// Whether a table's rows stand closer than the row gaps found: more of
// them than the gaps part.
bool RegionCutter::packedRows(const std::vector<Gap>& across, const std::vector<std::pair<int, int>>& rows)
{
    return rows.size() > across.size() + 1;
}

// Whether rows follow each other at one pitch: most steps from a row's
// middle to the next within a sixth of the text's height of the usual one
// (a list's rows; not a card's lines, its price and its button).
bool RegionCutter::evenPitch(const std::vector<std::pair<int, int>>& rows, int th)
{
    if (rows.size() < 5) return false;
    std::vector<int> steps;
    for (size_t i = 1; i < rows.size(); ++i)
        steps.push_back(rows[i].first + rows[i].second - rows[i - 1].first - rows[i - 1].second);
    std::vector<int> sorted = steps;
    std::nth_element(sorted.begin(), sorted.begin() + qsizetype(sorted.size() / 2), sorted.end());
    const int usual = sorted[sorted.size() / 2];
    const auto even = std::count_if(steps.begin(), steps.end(),
                                    [&](int s) { return std::abs(s - usual) <= 2 * std::max(2, th / 6); });
    return even * 5 >= qsizetype(steps.size()) * 4;
}

// Whether a picture at least four lines high and as wide as a few words
// stands between columns `left` and `right` of a region.
bool RegionCutter::largePicture(const QRect& r, int left, int right, int th) const
{
    int rows = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)];
        const auto isPicture = [](std::uint8_t v) { return v == PageMarks::picture; };
        const std::uint8_t* first = std::find_if(row + left, row + right + 1, isPicture);
        if (first == row + right + 1) continue;
        const auto last =
            std::find_if(std::make_reverse_iterator(row + right + 1), std::make_reverse_iterator(first), isPicture);
        if ((last.base() - first) >= 8 * th && ++rows >= 4 * th) return true;
    }
    return false;
}

// A table's rows one after the other, each cut where the table's columns
// part: wherever no row has ink, even as narrow as a space and a half (a
// number right beside the next column's word stays apart); the cells left
// to right.
void RegionCutter::readCells(const QRect& r, const std::vector<Gap>& rows, int th, int depth)
{
    const std::vector<int> cols = columnProfile(r);
    std::vector<std::pair<int, int>> parts;  // empty columns between the table's columns
    const int narrow = std::max(3, th * 3 / 5);
    for (int x = 0; x < int(cols.size());) {
        if (cols[size_t(x)] != 0) {
            ++x;
            continue;
        }
        int end = x;
        while (end < int(cols.size()) && cols[size_t(end)] == 0) ++end;
        if (x > 0 && end < int(cols.size()) && end - x >= narrow) parts.emplace_back(r.left() + x, r.left() + end);
        x = end;
    }
    int top = r.top();
    for (size_t i = 0; i <= rows.size(); ++i) {
        const int bottom = i < rows.size() ? rows[i].start : r.bottom() + 1;
        int left = r.left();
        for (size_t k = 0; k <= parts.size(); ++k) {
            const int right = k < parts.size() ? parts[k].first : r.right() + 1;
            cut(QRect(left, top, right - left, bottom - top), depth + 1);
            if (k < parts.size()) left = parts[k].second;
        }
        if (i < rows.size()) top = rows[i].end;
    }
}

// Where a table whose rows touch parts between each two rows of its column
// of lone cells: the last pixel row of each row, where the fewest marks are.
std::vector<int> RegionCutter::rowEnds(const QRect& r, const std::vector<std::pair<int, int>>& cells) const
{
    std::vector<int> ends;
    for (size_t i = 0; i + 1 < cells.size(); ++i) {
        int bottom = cells[i].second;
        int fewest = std::numeric_limits<int>::max();
        for (int y = cells[i].second + 1; y < cells[i + 1].first; ++y) {
            const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)];
            const int n = int(std::count(row + r.left(), row + r.right() + 1, PageMarks::text));
            if (n < fewest) {
                fewest = n;
                bottom = y;
            }
        }
        ends.push_back(bottom);
    }
    ends.push_back(r.bottom());
    return ends;
}

// A table whose rows touch, each row read on its own.
void RegionCutter::readRowByRow(const QRect& r, const std::vector<std::pair<int, int>>& cells, int th)
{
    int top = r.top();
    for (const int bottom : rowEnds(r, cells)) {
        std::vector<int> rows;
        std::vector<int> cols;
        const QRect strip = trimmed(QRect(r.left(), top, r.width(), bottom - top + 1), rows, cols);
        if (!strip.isEmpty()) linesOf(strip, rows, th);
        top = bottom + 1;
    }
}

// A table whose rows stand closer than a row gap, cell by cell as a table
// with row gaps reads.
void RegionCutter::readPackedRows(const QRect& r, const std::vector<std::pair<int, int>>& cells, int th, int depth)
{
    std::vector<Gap> rows;
    std::vector<int> ends = rowEnds(r, cells);
    ends.pop_back();
    for (const int bottom : ends) rows.push_back({bottom + 1, bottom + 1});
    readCells(r, rows, th, depth);
}

// Lines of prose on both sides of the column gap: many rows, each wide.
bool RegionCutter::proseColumns(const QRect& r, const Gap& column, int th) const
{
    const Side a = side(r, r.left(), column.start - 1, th);
    const Side b = side(r, column.end, r.right(), th);
    return a.rows.size() >= 3 && b.rows.size() >= 3 && a.width >= 15 * th && b.width >= 15 * th;
}

// Whether one side of an empty column holds prose: three lines or more,
// wide, most of them as wide as the column or nearly (only a paragraph's
// last line falls short), as no table's column of cells is.
bool RegionCutter::proseSide(const Side& s, int left, int right, int th) const
{
    if (s.rows.size() < 3 || s.width < 15 * th) return false;
    return fullRows(s, left, right) * 3 >= int(s.rows.size()) * 2;
}

int RegionCutter::fullRows(const Side& s, int left, int right) const
{
    const auto isText = [](std::uint8_t v) { return v == PageMarks::text; };
    int full = 0;
    for (const auto& [top, bottom] : s.rows) {
        int first = right + 1;
        int last = left - 1;
        for (int y = top; y <= bottom; ++y) {
            const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)];
            const std::uint8_t* end = row + right + 1;
            const std::uint8_t* from = std::find_if(row + left, end, isText);
            if (from == end) continue;
            const auto to = std::find_if(std::make_reverse_iterator(end), std::make_reverse_iterator(from), isText);
            first = std::min(first, int(from - row));
            last = std::max(last, int(to.base() - 1 - row));
        }
        full += (last - first + 1) * 10 >= s.width * 7;
    }
    return full;
}

// A list's row (a name with its time beside it, the subject and a preview
// under the name; a title with its date) reads across, as the row shows
// it: the time after the name, not after the preview the gap also runs
// beside. Only a short side of one line, standing in the height of the
// first line on the other side, which goes on below it; two columns of
// prose read column by column whatever their first lines.
bool RegionCutter::besideFirstLines(const QRect& r, const Gap& column, int th) const
{
    const Side a = side(r, r.left(), column.start - 1, th);
    const Side b = side(r, column.end, r.right(), th);
    const Side& fewer = a.rows.size() <= b.rows.size() ? a : b;
    const Side& more = a.rows.size() <= b.rows.size() ? b : a;
    if (fewer.rows.size() != 1 || more.rows.size() <= fewer.rows.size()) return false;
    if (fewer.width * 2 > more.width || proseColumns(r, column, th)) return false;
    // The first line: specks and the edge of a row's highlight above it
    // are none.
    const auto first = std::find_if(more.rows.begin(), more.rows.end(), [&](const std::pair<int, int>& row) {
        return (row.second - row.first + 1) * 3 >= th;
    });
    if (first == more.rows.end() || first + 1 == more.rows.end()) return false;
    const auto& [top, bottom] = fewer.rows.front();
    const auto& [otherTop, otherBottom] = *first;
    const int overlap = std::min(bottom, otherBottom) - std::max(top, otherTop) + 1;
    return overlap * 4 >= (bottom - top + 1) * 3 && bottom - top <= otherBottom - otherTop + th / 2;
}

}  // namespace klipo::platform
