// Columns that a row gap does not part: the empty column between browser
// columns followed down through the row gaps, and the lines above a column
// (a headline, a menu bar over a sidebar's edge) read before it.
#include "platform/text/RegionCutter.h"

#include <algorithm>

namespace klipo::platform {

// Where the lines end that run on across a rule down below them, which
// starts lower than the region (a menu bar over a sidebar's edge, a pop-up
// hanging from the bar hiding the rule's top): they read first, whole,
// before the columns the rule parts (-1 if none do). A line runs across
// where its words on either side of the rule stand no further apart than
// the words of a bar.
int RegionCutter::linesOverRule(const QRect& r, const std::vector<int>& rows, const std::vector<Gap>& down,
                                int th) const
{
    if (down.empty()) return -1;
    const Gap column =
        *std::max_element(down.begin(), down.end(), [](const Gap& a, const Gap& b) { return a.score < b.score; });
    // Or an empty column with text on either side in turn, not side by side
    // (the list of sections beside a pop-up and the page under it).
    const bool weak = column.ruled == 0 && column.score <= 0.5;
    if (!weak && (column.ruled == 0 || column.ruleFrom < r.top() + th)) return -1;
    const int limit = weak ? r.bottom() : column.ruleFrom;
    const auto isText = [](std::uint8_t v) { return v == PageMarks::text; };
    int below = -1;
    for (const auto& [top, bottom] : bandsOf(r, rows)) {
        if (bottom >= limit || bottom - top + 1 > 2 * th) break;
        int leftEnd = -1;
        int rightStart = r.right() + 1;
        for (int y = top; y <= bottom; ++y) {
            const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)];
            const auto* left = std::find_if(std::make_reverse_iterator(row + column.start),
                                            std::make_reverse_iterator(row + r.left()), isText)
                                   .base();
            if (left != row + r.left()) leftEnd = std::max(leftEnd, int(left - row) - 1);
            const auto* right = std::find_if(row + column.end, row + r.right() + 1, isText);
            rightStart = std::min(rightStart, int(right - row));
        }
        if (leftEnd < 0 || rightStart > r.right() || rightStart - leftEnd > 3 * th) break;
        below = bottom + 1;
    }
    return below;
}

// Where the lines end that run across the top of an empty column, which
// starts lower than the region and parts columns of prose below them (a
// headline over browser columns, with little room under it): they read
// first, before the columns (-1 if there is no such column). Every line
// above the column runs across it, and is one line.
int RegionCutter::linesOverColumns(const QRect& r, const std::vector<int>& rows, int th) const
{
    const std::vector<std::pair<int, int>> bands = bandsOf(r, rows);
    // A terminal's or an editor's rows keep their columns of text within them.
    if (bands.size() < 2 || spacingOf(r, bands, th).monospacedText()) return -1;
    const int least = std::max(3, th * 6 / 5);
    std::vector<std::vector<int>> profiles;
    for (const auto& [top, bottom] : bands)
        profiles.push_back(columnProfile(QRect(r.left(), top, r.width(), bottom - top + 1)));
    std::vector<int> below(size_t(r.width()), 0);
    std::vector<std::vector<int>> suffix(bands.size());
    for (size_t k = bands.size(); k-- > 0;) {
        for (size_t x = 0; x < below.size(); ++x) below[x] += profiles[k][x];
        suffix[k] = below;
    }
    const auto ink = [](int n) { return n != 0; };
    // A line, not things side by side (a sidebar's heading beside a headline):
    // no room in it wider than between the words of a bar.
    const auto oneLine = [&](const std::vector<int>& p) {
        int last = -1;
        for (int x = 0; x < int(p.size()); ++x) {
            if (!p[size_t(x)]) continue;
            if (last >= 0 && x - last - 1 > 3 * th) return false;
            last = x;
        }
        return true;
    };
    for (size_t k = 1; k < bands.size(); ++k) {
        if (!oneLine(profiles[k - 1])) break;
        const std::vector<int>& sum = suffix[k];
        for (int x = 0; x < r.width();) {
            if (sum[size_t(x)]) {
                ++x;
                continue;
            }
            int end = x;
            while (end < r.width() && !sum[size_t(end)]) ++end;
            const bool flanked =
                std::any_of(sum.begin(), sum.begin() + x, ink) && std::any_of(sum.begin() + end, sum.end(), ink);
            // Every line above runs across it: nothing above stands in a
            // column of its own that a cut here would part.
            const bool crossedAbove =
                std::all_of(profiles.begin(), profiles.begin() + qsizetype(k),
                            [&](const auto& p) { return std::any_of(p.begin() + x, p.begin() + end, ink); });
            if (flanked && crossedAbove && end - x >= least) {
                Gap gap;
                gap.start = r.left() + x;
                gap.end = r.left() + end;
                // Columns of prose, not a terminal's listing.
                const QRect under(r.left(), bands[k].first, r.width(), r.bottom() + 1 - bands[k].first);
                const std::vector<std::pair<int, int>> lines(bands.begin() + qsizetype(k), bands.end());
                if (proseColumns(under, gap, th) && !withinLines(under, lines, gap, th)) return bands[k].first;
            }
            x = end;
        }
    }
    return -1;
}

// Whether an empty column runs down through a row gap, with prose on both
// sides of it above and below, however the row gaps between lines and
// paragraphs of the columns fall: the gaps of browser columns that do not
// line up, a gap between lines that happens to run across both columns.
// The empty column is followed part by part (the parts between row gaps) up
// and down for as long as text stands on both sides of it; a picture or a
// headline across the columns ends it.
bool RegionCutter::columnRunsThrough(const QRect& r, const std::vector<Gap>& across, size_t i,
                                     const std::function<std::vector<int>(size_t, size_t)>& partsProfile, int th) const
{
    // A gap wider than two and a half lines is a separation of its own (under
    // a site's header), not the room between paragraphs of a column.
    if (across[i].score >= 2.5) return false;
    const int least = std::max(3, th * 3 / 2);
    // The widest empty stretch of `sum` inside [from, to) with ink on both
    // sides of it in each of `parts`.
    const auto emptyColumn = [&](const std::vector<int>& sum, const std::vector<std::vector<int>>& parts, int from,
                                 int to) {
        std::pair<int, int> out(-1, -1);
        for (int x = from; x < to;) {
            if (sum[size_t(x)]) {
                ++x;
                continue;
            }
            int end = x;
            while (end < to && !sum[size_t(end)]) ++end;
            const bool flanked = std::all_of(parts.begin(), parts.end(), [&](const std::vector<int>& p) {
                return std::any_of(p.begin(), p.begin() + x, [](int n) { return n != 0; }) &&
                       std::any_of(p.begin() + end, p.end(), [](int n) { return n != 0; });
            });
            if (flanked && end - x >= least && end - x > out.second - out.first) out = {x, end};
            x = end;
        }
        return out;
    };
    size_t lo = i;
    size_t hi = i + 1;
    std::pair<int, int> column =
        emptyColumn(partsProfile(lo, hi), {partsProfile(lo, lo), partsProfile(hi, hi)}, 0, r.width());
    if (column.first < 0) return false;
    for (bool grew = true; grew;) {
        grew = false;
        if (lo > 0) {
            const auto c =
                emptyColumn(partsProfile(lo - 1, hi), {partsProfile(lo - 1, lo - 1)}, column.first, column.second);
            if (c.first >= 0) column = c, --lo, grew = true;
        }
        if (hi < across.size()) {
            const auto c =
                emptyColumn(partsProfile(lo, hi + 1), {partsProfile(hi + 1, hi + 1)}, column.first, column.second);
            if (c.first >= 0) column = c, ++hi, grew = true;
        }
    }
    const int top = lo == 0 ? r.top() : across[lo - 1].end;
    const int bottom = hi == across.size() ? r.bottom() + 1 : across[hi].start;
    const QRect run(r.left(), top, r.width(), bottom - top);
    Gap gap;
    gap.start = r.left() + column.first;
    gap.end = r.left() + column.second;
    return proseColumns(run, gap, th);
}

}  // namespace klipo::platform
