#include "platform/text/RegionCutter.h"

#include "platform/text/ClosedFrames.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace klipo::platform {

namespace {

// How many of `rows` stand level with a row of `others`: their middles no
// further apart than `slack`.
qsizetype levelWith(const std::vector<std::pair<int, int>>& rows, const std::vector<std::pair<int, int>>& others,
                    int slack)
{
    return std::count_if(rows.begin(), rows.end(), [&](const std::pair<int, int>& row) {
        return std::any_of(others.begin(), others.end(), [&](const std::pair<int, int>& o) {
            return std::abs((o.first + o.second) - (row.first + row.second)) <= 2 * slack;
        });
    });
}

}  // namespace

RegionCutter::RegionCutter(const QImage& gray, const QImage& colour, PageMarks& marks,
                           const std::vector<MarkCluster>& words, int textHeight, std::vector<LayoutLine>& out)
    : m_gray(gray),
      m_colour(colour),
      m_marks(marks),
      m_words(words),
      m_textHeight(textHeight),
      m_out(out),
      m_looks(gray, colour)
{
}

void RegionCutter::cutPage(const std::vector<char>& ground)
{
    size_t closed = 0;
    const int shortest = std::max(2 * m_textHeight, 20);
    m_frames = windowFrames(m_marks, shortest, &closed, ground, &m_layers);
    std::vector<int> rows;
    std::vector<int> cols;
    for (const QRect& f : m_frames) m_frameText.push_back(trimmed(f.adjusted(1, 1, -1, -1), rows, cols));
    m_frameRead.assign(m_frames.size(), 0);
    // Windows under others, and those on top of them.
    for (size_t i = 0; i < m_frames.size(); ++i) m_overlapping.push_back(i >= closed);
    for (size_t i = 0; i < closed; ++i)
        for (size_t j = closed; j < m_frames.size(); ++j)
            if (m_frames[i].intersects(m_frames[j]) && !m_frames[j].contains(m_frames[i])) m_overlapping[i] = 1;
    // Those on top of others: over a window found beneath, or over text
    // they cut off.
    m_onTop.assign(m_frames.size(), 0);
    for (size_t i = 0; i < closed; ++i) {
        m_onTop[i] = m_overlapping[i] || cutsTextOff(m_frames[i], m_gray.rect());
        m_overlapping[i] = m_onTop[i];
    }
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
        std::erase_if(across, [&](const Gap& g) { return throughFrame(r, g, true); });
        std::erase_if(down, [&](const Gap& g) { return throughFrame(r, g, false); });
        // A window or pop-up on top that a cut would run through (beside its
        // text, under its edge) reads apart first: what lies under it then
        // reads whole, not in slices about it.
        if (const std::vector<size_t> onTop = cutOnTop(r, across, down); !onTop.empty())
            return readFramesApart(r, onTop, depth);
        if (!down.empty()) {
            const std::vector<std::pair<int, int>> bands = bandsOf(r, rows);
            std::erase_if(down, [&](const Gap& g) {
                return g.ruled == 0 &&
                       (withinLines(r, bands, g, th) || fieldsBesideLabels(r, g, th) || besideFirstLines(r, g, th));
            });
        }
        // Clean separations (between windows, above a table) before the
        // rules inside a table, which other rules cross, unless they are far
        // weaker.
        double clean = 0;
        double ruledCrossed = 0;
        for (const std::vector<Gap>* list : {&across, &down})
            for (const Gap& g : *list)
                (g.crossed ? ruledCrossed : clean) = std::max(g.crossed ? ruledCrossed : clean, g.score);
        if (clean > 0 && clean * 2 >= ruledCrossed) {
            const auto isCrossed = [](const Gap& g) { return g.crossed; };
            std::erase_if(across, isCrossed);
            std::erase_if(down, isCrossed);
        }
        // The gaps between the columns of a table (a list of files with
        // their sizes and dates) go after the gap beside it (the list of
        // places beside the files), which then reads apart.
        // A table of several columns, each next to the next a table's: its
        // rows are read across all of them.
        // So do the rules between a table's columns, which its rules
        // across cross and whose cells stand level on both sides, beside a
        // gap that is no table's (between two windows side by side).
        bool allTable = false;
        std::vector<std::pair<int, int>> tableRows;
        if (down.size() >= 2) {
            std::vector<char> inTable(down.size());
            std::vector<char> ruledTable(down.size());
            std::vector<std::pair<int, int>> lone;
            for (size_t k = 0; k < down.size(); ++k) {
                const int from = k > 0 ? down[k - 1].end : -1;
                const int to = k + 1 < down.size() ? down[k + 1].start - 1 : -1;
                if (down[k].ruled > 0) {
                    ruledTable[k] = down[k].crossed && tableLike(r, down[k], th, lone, from, to);
                    continue;
                }
                inTable[k] = tableLike(r, down[k], th, lone, from, to);
                if (inTable[k] && lone.size() > tableRows.size()) tableRows = lone;
            }
            const auto tableGaps = std::count(inTable.begin(), inTable.end(), 1);
            const auto ruledGaps = std::count(ruledTable.begin(), ruledTable.end(), 1);
            allTable = tableGaps == qsizetype(down.size());
            if (ruledGaps > 0 && tableGaps + ruledGaps < qsizetype(down.size())) {
                size_t k = 0;
                std::erase_if(down, [&](const Gap&) {
                    ++k;
                    return inTable[k - 1] != 0 || ruledTable[k - 1] != 0;
                });
            } else if (tableGaps > 0 && !allTable) {
                size_t k = 0;
                std::erase_if(down, [&](const Gap&) { return inTable[k++] != 0; });
            }
        }
        // Rows packed closer than a row gap read one by one; where every
        // row stands apart, cell by cell between the row gaps.
        // A terminal's listing keeps each row whole, one line as it shows
        // it, so its letters' even spacing still tells the lines around it.
        if (allTable && packedRows(across, tableRows)) {
            const std::vector<std::pair<int, int>> bands = textBands(r, rows, th);
            const Spacing spacing = spacingOf(r, bands, th);
            return spacing.monospacedText() ? linesIn(r, bands, spacing, th) : readPackedRows(r, tableRows, th, depth);
        }
        if (allTable && !across.empty()) return readCells(r, across, th, depth);
        // Lines across the top of a column read before it, whole.
        if (const int below = down.empty() ? linesOverColumns(r, rows, th) : linesOverRule(r, rows, down, th);
            below > r.top()) {
            cut(QRect(r.left(), r.top(), r.width(), below - r.top()), depth + 1);
            cut(QRect(r.left(), below, r.width(), r.bottom() + 1 - below), depth + 1);
            return;
        }
        if (!across.empty() || !down.empty()) {
            tableRows.clear();
            bool columns = columnsFirst(r, across, down, th, tableRows);
            const bool bandsOnly = !tableRows.empty();
            if (bandsOnly)
                return across.empty() ? readRowByRow(r, tableRows, th) : readPackedRows(r, tableRows, th, depth);
            // Every row gap runs between paragraphs of columns of prose:
            // the columns read first, each to its end.
            if (!columns && dropGapsInsideColumns(r, across, th) && !down.empty()) {
                std::vector<std::pair<int, int>> lone;
                const Gap column = *std::max_element(down.begin(), down.end(),
                                                     [](const Gap& a, const Gap& b) { return a.score < b.score; });
                columns = !tableLike(r, column, th, lone);
            }
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

// Whether most rows of text on the side with fewer stand level with a row
// on the other side: their middles no further apart than a quarter of the
// text's height (a letter reaching below the line moves a row's middle).
bool RegionCutter::mostlyLevel(const Side& a, const Side& b, int th)
{
    const Side& fewer = a.rows.size() <= b.rows.size() ? a : b;
    const Side& more = a.rows.size() <= b.rows.size() ? b : a;
    if (fewer.rows.size() < 4) return true;
    return levelWith(fewer.rows, more.rows, std::max(2, th / 4)) * 10 >= qsizetype(fewer.rows.size()) * 7;
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
        // A line of large letters (twice the text's height) on both sides:
        // the words of one headline.
        const QRect left(r.left(), top, g.start - r.left(), band.height());
        const QRect right(g.end, top, r.right() + 1 - g.end, band.height());
        if (band.height() >= 2 * th && size * 5 < 6 * band.height() && singleLine(band) &&
            largeLetterIn(left, band.height()) && largeLetterIn(right, band.height()))
            return true;
    }
    // Two columns of prose side by side (wide text on both sides) are no
    // terminal's listing, however their spaces look (Chinese with Latin
    // words in it), unless the gap is only a space of its lines (below).
    const bool prose = proseColumns(r, g, th);
    // A terminal's columns stand in its rows: the lines on either side are
    // level with each other. Lines of another pitch beside them (a file tree
    // beside an editor's code) drift in and out of level: another column.
    if (!mostlyLevel(side(r, r.left(), g.start - 1, th), side(r, g.end, r.right(), th), th) ||
        offLevel(r, g.start, g.end, th))
        return false;
    // A terminal's rows are single lines: rows of two columns of prose
    // that overlap make taller bands, whose gaps say nothing of spacing.
    std::erase_if(crossing, [&](const auto& band) { return (band.second - band.first + 1) * 5 > th * 8; });
    if (size >= 4 * th) return false;
    const Spacing spacing = spacingOf(r, crossing, th);
    return spacing.monospacedText() && (!prose || spaceOfItsLines(r, crossing, spacing, size, th));
}

// Whether an empty column is no wider than a few spaces between the words
// of the lines it runs through, lines of words (several spaces each), not
// most of them Chinese. The gutter between two columns of prose is always
// clearly wider than their word spaces (Chinese prose has none, only the
// room after its commas and stops); a terminal's wide rows (a listing, a
// sentence printed between its rows) stand a cell or three apart wherever
// their spaces happen to line up, and are read whole. (Rows of digits look
// square like Chinese: a listing has many.)
bool RegionCutter::spaceOfItsLines(const QRect& r, const std::vector<std::pair<int, int>>& bands,
                                   const Spacing& spacing, int size, int th) const
{
    if (spacing.spaces() < 4 * qsizetype(bands.size())) return false;
    qsizetype han = 0;
    for (const auto& [top, bottom] : bands) {
        LayoutLine looks;
        looks.rect = QRect(r.left(), top, r.width(), bottom - top + 1);
        m_looks.looksOf(looks);
        han += looks.script == LineScript::Han;
    }
    if (han * 3 > 2 * qsizetype(bands.size())) return false;
    std::vector<double> widths = spacing.widths;
    const auto middle = widths.begin() + qsizetype(widths.size() / 2);
    std::nth_element(widths.begin(), middle, widths.end());
    return double(size) <= 3.3 * *middle * th;
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
    const Gap column =
        *std::max_element(down.begin(), down.end(), [](const Gap& a, const Gap& b) { return a.score < b.score; });
    // A rule down that starts below a row gap (a sidebar under a window's
    // title) or ends above one: what lies above or below it reads first or last.
    // Unless text stands on both sides of the gap between the first row gap
    // and the rule's top (or its end and the last row gap) in more than one
    // row: the column goes on where the rule does not (its top hidden under
    // a pop-up), and what lies above the first row gap (a menu bar) reads
    // first all the same.
    const auto columnGoesOn = [&](int top, int bottom) {
        const QRect part(r.left(), top, r.width(), bottom - top);
        return part.height() > 0 && side(part, r.left(), column.start - 1, th).rows.size() >= 2 &&
               side(part, column.end, r.right(), th).rows.size() >= 2;
    };
    // Between windows side by side, what stands on one side only above the
    // first row gap or below the last (the title of a window standing higher
    // than the other's top) reads with its window, not apart.
    if (column.ruled > 0 && !across.empty()) {
        const bool windows = betweenWindows(r, column);
        const auto oneSide = [&](int top, int bottom) {
            const QRect part(r.left(), top, r.width(), bottom - top);
            return windows && part.height() > 0 &&
                   (side(part, r.left(), column.start - 1, th).rows.empty() ||
                    side(part, column.end, r.right(), th).rows.empty());
        };
        const bool above = across.front().start < column.ruleFrom &&
                           !columnGoesOn(across.front().end, column.ruleFrom) && !oneSide(r.top(), across.front().start);
        const bool below = across.back().end > column.ruleTo &&
                           !columnGoesOn(column.ruleTo + 1, across.back().start) &&
                           !oneSide(across.back().end, r.bottom() + 1);
        if (above || below) return false;
    }
    // Ruled both ways (a table): rows first, unless the rule down runs
    // further than the one across (a sidebar beside a header line).
    // A grid, whose rules each way cross the others (however far the region
    // reaches past the table), reads row by row: most of its rules each way
    // are crossed.
    if (bestAcross.ruled > 0 && bestDown.ruled > 0) {
        const auto crossedMostly = [](const std::vector<Gap>& gaps) {
            const auto ruled = std::count_if(gaps.begin(), gaps.end(), [](const Gap& g) { return g.ruled > 0; });
            const auto crossed =
                std::count_if(gaps.begin(), gaps.end(), [](const Gap& g) { return g.ruled > 0 && g.crossed; });
            return crossed * 2 > ruled;
        };
        if (crossedMostly(across) && crossedMostly(down)) return false;
        return bestDown.ruled > bestAcross.ruled;
    }
    // A table or list without rules: short rows whose cells line up read
    // row by row, however wide the space between the cells.
    std::vector<std::pair<int, int>> lone;
    if (tableLike(r, column, th, lone)) {
        if (across.empty() || packedRows(across, lone)) tableRows = std::move(lone);
        return false;
    }
    if (across.empty()) return true;
    // Columns of prose whose paragraphs start side by side: the gaps between
    // paragraphs run across both, yet each column reads to its end first.
    // Not when the clearest row gap parts a single line from the rest (a row
    // of tabs or a headline over the columns): that line reads first, whole.
    if (bestAcross.ruled == 0 && bestDown.score < bestAcross.score && bestAcross.score <= 2 * bestDown.score &&
        proseColumns(r, column, th) && !lineApart(r, across, th))
        return true;
    // A row of tabs or a tool bar over the columns, spaced as widely where
    // the column gap runs through it as elsewhere: it reads first, whole.
    if (lineApart(r, across, th, &column)) return false;
    return bestDown.score > bestAcross.score;
}

bool RegionCutter::betweenWindows(const QRect& r, const Gap& column) const
{
    const auto level = [&](const QRect& f) { return f.top() <= r.bottom() && f.bottom() >= r.top(); };
    const auto within = [&](int x) { return x >= column.start - 1 && x <= column.end; };
    // A window's side runs along half the region at least (a field's or a
    // button's is no window's).
    const auto tall = [&](const QRect& f) {
        return 2 * (std::min(f.bottom(), r.bottom()) - std::max(f.top(), r.top()) + 1) >= r.height();
    };
    bool leftSide = false;   // of a window on the gap's left
    bool rightSide = false;  // of one on its right
    for (const QRect& f : m_frames) {
        if (!level(f)) continue;
        if (f.left() < column.start && f.right() >= column.end) return false;
        leftSide = leftSide || (tall(f) && within(f.right()));
        rightSide = rightSide || (tall(f) && within(f.left()));
    }
    return leftSide && rightSide;
}

// Whether the clearest row gap has a single line of text on one side of it,
// as far as the region's edge; with `column`, a line whose words stand on
// both sides of the column gap, spaced evenly: its widest other space about
// as wide as the one the gap runs through (tabs, not two windows' titles nor
// a list's row of a name and the cells far beside it).
bool RegionCutter::lineApart(const QRect& r, const std::vector<Gap>& across, int th, const Gap* column) const
{
    const auto clearest =
        std::max_element(across.begin(), across.end(), [](const Gap& a, const Gap& b) { return a.score < b.score; });
    // Beside columns the line stands further off than the lines of a column
    // stand apart (not a card's price under its text).
    return clearest != across.end() && (!column || clearest->score >= 1.5) && lineBeyond(r, *clearest, th, column);
}

bool RegionCutter::lineBeyond(const QRect& r, const Gap& gap, int th, const Gap* column) const
{
    const auto single = [&](int top, int bottom) {
        const QRect part(r.left(), top, r.width(), bottom - top);
        if (bottom <= top || side(part, r.left(), r.right(), th).rows.size() != 1) return false;
        if (!column) return true;
        const std::vector<int> cols = columnProfile(part);
        int through = 0;  // the space the column gap runs through
        int widest = 0;   // the widest other space
        for (int x = 0, last = -1; x < int(cols.size()); ++x) {
            if (!cols[size_t(x)]) continue;
            const int start = r.left() + last + 1;
            const int end = r.left() + x;
            if (last >= 0 && start <= column->start && end >= column->end)
                through = end - start;
            else if (last >= 0)
                widest = std::max(widest, end - start);
            last = x;
        }
        return through > 0 && widest * 5 >= through * 4 && through * 5 >= widest * 4;
    };
    return single(r.top(), gap.start) || single(gap.end, r.bottom() + 1);
}

// Row gaps between paragraphs that stand side by side in columns are no
// separation of their own while another row gap is (the one under a headline
// that runs across the columns): cutting at them first would read the
// columns paragraph by paragraph across. Such gaps are left to the parts,
// where the column gap shows.
bool RegionCutter::dropGapsInsideColumns(const QRect& r, std::vector<Gap>& across, int th) const
{
    if (across.empty()) return false;
    // The part above and below each gap reaches the next wide gap (between
    // paragraphs, under a headline), past the narrow ones between lines.
    const auto wide = [&](const Gap& g) { return g.score >= 1.5; };
    // Part j lies between gap j - 1 and gap j. Rows in a gap hold no text,
    // so the column profile of parts `from` to `to` is the sum of theirs:
    // each part is counted once, not once for every gap near it.
    std::vector<std::vector<int>> before(across.size() + 2, std::vector<int>(size_t(r.width()), 0));
    for (size_t j = 0; j <= across.size(); ++j) {
        const int top = j == 0 ? r.top() : across[j - 1].end;
        const int bottom = j == across.size() ? r.bottom() + 1 : across[j].start;
        const std::vector<int> part = columnProfile(QRect(r.left(), top, r.width(), bottom - top));
        for (size_t x = 0; x < part.size(); ++x) before[j + 1][x] = before[j][x] + part[x];
    }
    const auto partsProfile = [&](size_t from, size_t to) {
        std::vector<int> sum(size_t(r.width()));
        for (size_t x = 0; x < sum.size(); ++x) sum[x] = before[to + 1][x] - before[from][x];
        return sum;
    };
    std::vector<bool> inside(across.size());
    // A single line between the clearest gap, far clearer than the others,
    // and the region's edge (a row of tabs over the columns) is no paragraph
    // of theirs.
    const auto clearest =
        std::max_element(across.begin(), across.end(), [](const Gap& a, const Gap& b) { return a.score < b.score; });
    const bool farClearer = clearest->score >= 1.5 && std::all_of(across.begin(), across.end(), [&](const Gap& g) {
                                return &g == &*clearest || g.score * 3 <= clearest->score * 2;
                            });
    for (size_t i = 0; i < across.size(); ++i) {
        if (across[i].ruled > 0 || (farClearer && &across[i] == &*clearest && lineBeyond(r, across[i], th))) continue;
        size_t first = 0;
        for (size_t k = i; k-- > 0;)
            if (wide(across[k])) {
                first = k + 1;
                break;
            }
        size_t last = across.size();
        for (size_t k = i + 1; k < across.size(); ++k)
            if (wide(across[k])) {
                last = k;
                break;
            }
        const int top = first == 0 ? r.top() : across[first - 1].end;
        const int bottom = last == across.size() ? r.bottom() + 1 : across[last].start;
        const QRect above(r.left(), top, r.width(), across[i].start - top);
        const QRect below(r.left(), across[i].end, r.width(), bottom - across[i].end);
        inside[i] = sharedColumnGap(above, partsProfile(first, i), below, partsProfile(i + 1, last), th) ||
                    columnRunsThrough(r, across, i, partsProfile, th);
    }
    const auto count = std::count(inside.begin(), inside.end(), true);
    if (count == qsizetype(across.size())) return true;
    if (count == 0) return false;
    size_t i = 0;
    std::erase_if(across, [&](const Gap&) { return inside[i++]; });
    return false;
}

// Whether two parts of a region, one above the other (with the text marks
// in each of their columns), both have lines of text on either side of one
// empty column at least 1.5 text heights wide.
bool RegionCutter::sharedColumnGap(const QRect& above, const std::vector<int>& a, const QRect& below,
                                   const std::vector<int>& b, int th) const
{
    const auto ink = [](int n) { return n != 0; };
    const int width = int(a.size());
    const int least = std::max(3, th * 3 / 2);
    bool leftA = false;
    bool leftB = false;
    int x = 0;
    while (x < width) {
        if (a[size_t(x)] || b[size_t(x)]) {
            leftA = leftA || a[size_t(x)];
            leftB = leftB || b[size_t(x)];
            ++x;
            continue;
        }
        int end = x;
        while (end < width && !a[size_t(end)] && !b[size_t(end)]) ++end;
        if (leftA && leftB && end - x >= least) {
            const bool rightA = std::any_of(a.begin() + end, a.end(), ink);
            const bool rightB = std::any_of(b.begin() + end, b.end(), ink);
            // Paragraphs, not the one-row cells of a form or table.
            const auto paragraphs = [&](const QRect& part) {
                return side(part, part.left(), part.left() + x - 1, th).rows.size() >= 2 &&
                       side(part, part.left() + end, part.right(), th).rows.size() >= 2;
            };
            if (rightA && rightB && paragraphs(above) && paragraphs(below)) return true;
        }
        x = end;
    }
    return false;
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

// The region shrunk to its text and pictures, with its row and column profiles.
QRect RegionCutter::trimmed(const QRect& r, std::vector<int>& rows, std::vector<int>& cols) const
{
    rows.assign(size_t(r.height()), 0);
    cols.assign(size_t(r.width()), 0);
    int* const col = cols.data();
    const int left = r.left();
    const int width = r.width();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)] + left;
        // Without branches, many pixels at a time.
        int n = 0;
        for (int x = 0; x < width; ++x) {
            // A picture takes its room as text does.
            const int content = (row[x] == PageMarks::text) | (row[x] == PageMarks::picture);
            col[x] += content;
            n += content;
        }
        rows[size_t(y - r.top())] = n;
    }
    int top = 0, bottom = r.height() - 1, first = 0, last = r.width() - 1;
    while (top <= bottom && rows[size_t(top)] == 0) ++top;
    while (bottom >= top && rows[size_t(bottom)] == 0) --bottom;
    while (first <= last && cols[size_t(first)] == 0) ++first;
    while (last >= first && cols[size_t(last)] == 0) --last;
    if (top > bottom || first > last) return {};
    rows = std::vector<int>(rows.begin() + top, rows.begin() + bottom + 1);
    cols = std::vector<int>(cols.begin() + first, cols.begin() + last + 1);
    return QRect(r.left() + first, r.top() + top, last - first + 1, bottom - top + 1);
}

// The typical height of the letters and words inside a region.
int RegionCutter::textHeightIn(const QRect& r) const
{
    std::vector<int> heights;
    for (const MarkCluster& c : m_words)
        if (c.box.height() >= 4 && r.contains(c.box)) heights.push_back(c.box.height());
    return std::max(4, textHeightAmong(std::move(heights), m_textHeight));
}

// How much of the region a frame or rule along an empty stretch covers
// (0 when less than most of it). The edges of a row of like boxes side by
// side (the buttons of a row of cards), with room for a word between each
// two, are no rule across the region: only the longest of them counts.
double RegionCutter::structureAlong(const QRect& r, int start, int end, bool across, int* from, int* to) const
{
    const int length = across ? r.width() : r.height();
    // The structure along each row or column of the stretch (and the one
    // before it), counted a row at a time.
    const int lowest = std::max(0, start - 1);
    const int highest = std::min(end, (across ? m_marks.h : m_marks.w) - 1);
    std::vector<int> counts(size_t(std::max(0, highest - lowest + 1)), 0);
    if (across) {
        for (int p = lowest; p <= highest; ++p) {
            const std::uint8_t* row = &m_marks.m[size_t(p) * size_t(m_marks.w)];
            counts[size_t(p - lowest)] = int(std::count(row + r.left(), row + r.right() + 1, PageMarks::structure));
        }
    } else if (!counts.empty()) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)] + lowest;
            for (size_t i = 0; i < counts.size(); ++i) counts[i] += row[i] == PageMarks::structure;
        }
    }
    int most = 0;
    int line = -1;
    for (size_t i = 0; i < counts.size(); ++i) {
        if (counts[i] > most) {
            most = counts[i];
            line = lowest + int(i);
        }
    }
    if (line < 0) return 0;
    const int first = across ? r.left() : r.top();
    const int last = across ? r.right() : r.bottom();
    std::vector<char> ruled(size_t(last - first + 1));
    for (int q = first; q <= last; ++q)
        ruled[size_t(q - first)] = (across ? m_marks.at(q, line) : m_marks.at(line, q)) == PageMarks::structure;
    // A rule that runs up to a window read apart runs on under it (a
    // sidebar's rule under a pop-up hanging from the menu bar).
    for (const QRect& h : m_hidden) {
        const int a = std::max(first, across ? h.left() : h.top());
        const int b = std::min(last, across ? h.right() : h.bottom());
        if (a <= b && runsUnder(h, line, !across))
            std::fill(ruled.begin() + (a - first), ruled.begin() + (b - first + 1), char(1));
    }
    const int shown = int(std::count(ruled.begin(), ruled.end(), char(1)));
    most = std::max(most, shown);
    auto on = [&](int q) { return ruled[size_t(q - first)] != 0; };
    if (from && to) {
        // Where along the region the strongest rule runs.
        *from = first;
        while (*from < last && !on(*from)) ++*from;
        *to = last;
        while (*to > *from && !on(*to)) --*to;
    }
    std::vector<int> pieces;
    const int hole = std::max(2, m_textHeight);
    int lastOn = -1;
    for (int q = first; q <= last; ++q) {
        if (!on(q)) continue;
        if (lastOn < 0 || q - lastOn - 1 > hole) pieces.push_back(0);
        ++pieces.back();
        lastOn = q;
    }
    const auto [shortest, longest] = std::minmax_element(pieces.begin(), pieces.end());
    if (pieces.size() >= 2 && *shortest >= 2 * m_textHeight && *longest * 4 <= *shortest * 5) most = *longest;
    return most * 10 >= length * 6 ? double(most) / length : 0;
}

// Whether a frame or rule runs across an empty stretch from one side to the other.
bool RegionCutter::crossed(const QRect& r, int start, int end, bool across, int th) const
{
    const int size = end - start;
    if (across) {
        // Down each column of the stretch, counted a row at a time.
        std::vector<int> counts(size_t(std::max(0, r.width())), 0);
        for (int y = start; y < end; ++y) {
            const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)] + r.left();
            for (size_t i = 0; i < counts.size(); ++i) counts[i] += row[i] == PageMarks::structure;
        }
        return std::any_of(counts.begin(), counts.end(), [size](int n) { return n * 10 >= size * 9; });
    } else {
        // A window's bottom edge that the region's last line runs into (its
        // letters cut off by the edge, a pane's text going on under it)
        // closes the column gap: it runs through none of it. A rule through
        // the gap has lines of the region below it, half a line high at
        // least.
        const int beyond = std::max(2, th / 2);
        for (int y = r.top(); y <= r.bottom() - beyond; ++y) {
            const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)];
            const int n = int(std::count(row + start, row + end, PageMarks::structure));
            if (n * 10 >= size * 9) return true;
        }
    }
    return false;
}

bool RegionCutter::runsUnder(const QRect& h, int line, bool down) const
{
    // Well inside the window: a window's outline lying a pixel or two over
    // another's is no rule under it.
    const int margin = 3;
    if (line < (down ? h.left() : h.top()) + margin || line > (down ? h.right() : h.bottom()) - margin) return false;
    const auto ruleAt = [&](int q) {
        const int x = down ? line : q;
        const int y = down ? q : line;
        return x >= 0 && y >= 0 && x < m_marks.w && y < m_marks.h && m_marks.at(x, y) == PageMarks::structure;
    };
    const int reach = shadowReach() + 3;
    const int length = std::max(4, m_textHeight);
    const int hole = std::max(2, m_textHeight);
    const int under = down ? h.height() : h.width();
    for (const int step : {-1, 1}) {
        // Past the shadow and a few pixels off the outline, a rule running on
        // for a text height (a hole or two in its marks aside)...
        const int edge = step < 0 ? (down ? h.top() : h.left()) : (down ? h.bottom() : h.right());
        int k = 1;
        while (k <= reach && !ruleAt(edge + step * k)) ++k;
        if (k > reach) continue;
        int run = 0;
        for (int j = 0; j < length; ++j) run += ruleAt(edge + step * (k + j));
        if (run * 3 < length * 2) continue;
        // ...and at least as far as the window is long: a rule that shows
        // for less (a row's rule in a list the window lies on) says little
        // of where it ends under the window.
        int end = k;
        for (int gap = 0, j = k; gap <= hole && end - k + 1 < under; ++j) {
            const int q = edge + step * j;
            if ((down ? q < 0 || q >= m_marks.h : q < 0 || q >= m_marks.w)) break;
            if (ruleAt(q)) {
                end = j;
                gap = 0;
            } else {
                ++gap;
            }
        }
        if (end - k + 1 >= under) return true;
    }
    return false;
}

bool RegionCutter::narrowColumnGap(const QRect& r, int start, int end, int th) const
{
    // A side's text is no wider than the side: a narrow side needs no look.
    if (start - r.left() < 12 * th || r.right() + 1 - end < 12 * th) return false;
    const auto manyWideLines = [&](const Side& s) { return s.rows.size() >= 6 && s.width >= 12 * th; };
    return manyWideLines(side(r, r.left(), start - 1, th)) && manyWideLines(side(r, end, r.right(), th)) &&
           sideBySide(r, start, end, th, r.left(), r.right());
}

// Whether the lines on either side of an empty column stand at other
// heights: a stack of short lines (a count between its arrows) beside lines
// that are not level with them. Words of one line are level with each other,
// however wide the space between them; specks and accents say nothing.
bool RegionCutter::offLevel(const QRect& r, int start, int end, int th) const
{
    const auto lines = [&](int left, int right) {
        std::vector<std::pair<int, int>> rows = side(r, left, right, th).rows;
        std::erase_if(rows, [&](const std::pair<int, int>& row) { return (row.second - row.first + 1) * 3 < th; });
        return rows;
    };
    // Fewer than two lines on either side say nothing (the other side is
    // then not looked at).
    const std::vector<std::pair<int, int>> a = lines(r.left(), start - 1);
    if (a.size() < 2) return false;
    const std::vector<std::pair<int, int>> b = lines(end, r.right());
    const auto& fewer = a.size() <= b.size() ? a : b;
    const auto& more = a.size() <= b.size() ? b : a;
    if (fewer.size() < 2) return false;
    return levelWith(fewer, more, std::max(2, th / 4)) * 2 <= qsizetype(fewer.size());
}

// Whether text stands on both sides of an empty column in a good part of
// the rows that hold text.
bool RegionCutter::sideBySide(const QRect& r, int start, int end, int th, int from, int to) const
{
    // A picture stands beside text as text does.
    const auto any = [](const std::uint8_t* from, const std::uint8_t* to, std::uint8_t mark) {
        return to > from && std::memchr(from, mark, size_t(to - from)) != nullptr;
    };
    int rows = 0;
    int both = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)];
        const std::uint8_t* leftFrom = row + r.left();
        const std::uint8_t* leftTo = row + start;
        const std::uint8_t* rightFrom = row + end;
        const std::uint8_t* rightTo = row + r.right() + 1;
        const bool leftText = any(leftFrom, leftTo, PageMarks::text);
        const bool rightText = any(rightFrom, rightTo, PageMarks::text);
        if (!leftText && !rightText) continue;
        ++rows;
        both += (leftText || any(leftFrom, leftTo, PageMarks::picture)) &&
                (rightText || any(rightFrom, rightTo, PageMarks::picture));
    }
    if (both * 10 >= rows * 3) return true;
    // Bubbles never share a line's height with one on the other side; the
    // short lines of a list beside an article each stand beside one of its
    // lines, however few they are against the article's (each side as far
    // as `from` and `to`: the next gaps).
    const Side a = side(r, from, start - 1, th);
    const Side b = side(r, end, to, th);
    const Side& fewer = a.rows.size() <= b.rows.size() ? a : b;
    const Side& more = a.rows.size() <= b.rows.size() ? b : a;
    // Lines level with lines on the other side (their middles within two
    // pixels) are cells of a table's rows (a name with its time), which the
    // row gaps cut.
    if (fewer.rows.size() < 3) return false;
    const auto overlapping = std::count_if(fewer.rows.begin(), fewer.rows.end(), [&](const std::pair<int, int>& row) {
        return std::any_of(more.rows.begin(), more.rows.end(), [&](const std::pair<int, int>& o) {
            return o.first <= row.second && row.first <= o.second;
        });
    });
    return overlapping * 10 >= qsizetype(fewer.rows.size()) * 8 &&
           levelWith(fewer.rows, more.rows, 2) * 2 < qsizetype(fewer.rows.size());
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
        i = j;
        // A narrower empty column still parts two columns of prose when it
        // runs down many lines on both sides (browser columns with a small
        // gap): spaces between words never line up that far.
        const bool narrowColumns =
            !across && size * 5 >= th * 3 && size < wide &&
            (narrowColumnGap(r, start, end, th) || (size * 5 >= th * 4 && offLevel(r, start, end, th)));
        if (size < wide && ruled == 0 && !narrowColumns) continue;
        // A gap that a frame or rule crosses runs through a window or a
        // table: no cut there, but between the rules of a table.
        const bool isCrossed = crossed(r, start, end, across, th);
        if (ruled == 0 && isCrossed) continue;
        const double score = double(size) / th + (ruled > 0 ? 2 : 0);
        out.push_back({start, end, score, ruled, isCrossed, ruleFrom, ruleTo});
    }
    // Text that takes turns on either side (a chat's bubbles) reads row by
    // row, not as two columns: any row gap (at least 0.8) goes first. Each
    // side reaches the next gap.
    for (size_t k = 0; k < out.size() && !across; ++k) {
        if (out[k].ruled > 0) continue;
        const int from = k > 0 ? out[k - 1].end : r.left();
        const int to = k + 1 < out.size() ? out[k + 1].start - 1 : r.right();
        if (!sideBySide(r, out[k].start, out[k].end, th, from, to)) out[k].score = std::min(out[k].score * 0.3, 0.5);
    }
    return out;
}

}  // namespace klipo::platform
