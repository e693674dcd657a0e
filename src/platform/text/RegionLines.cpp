// The lines of one region that has no inner gaps.
#include "platform/text/InParallel.h"
#include "platform/text/LineLooks.h"
#include "platform/text/RegionCutter.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <optional>

namespace klipo::platform {

namespace {

constexpr int kSameGround = 20;  // grounds this close in colour are one
constexpr int kSameInk = 48;     // inks this close in colour are one, antialiased

}  // namespace

// Its rows of text, each cut where a wide gap or a frame separates what
// stands side by side.
void RegionCutter::linesOf(const QRect& r, const std::vector<int>& rows, int th)
{
    const std::vector<std::pair<int, int>> bands = textBands(r, rows, th);
    linesIn(r, bands, spacingOf(r, bands, th), th);
}

void RegionCutter::linesIn(const QRect& r, const std::vector<std::pair<int, int>>& bands, const Spacing& spacing,
                           int th)
{
    const int region = m_region++;
    m_spacings.push_back(spacing);
    const bool monospaced = spacing.monospacedText();
    // Each band's columns are counted once, for the gutter and for its pieces.
    std::vector<std::vector<int>> profiles;
    profiles.reserve(bands.size());
    for (const auto& [top, bottom] : bands)
        profiles.push_back(columnProfile(QRect(r.left(), top, r.width(), bottom - top + 1)));
    const int gutter = gutterOf(r, bands, profiles, th);
    for (size_t b = 0; b < bands.size(); ++b)
        segmentsOf(QRect(r.left(), bands[b].first, r.width(), bands[b].second - bands[b].first + 1), profiles[b],
                   region, th, monospaced, gutter);
}

// An editor's line numbers: on most rows of the region a short run of ink
// first, the right edges of those runs level (numbers set flush right), a
// little room after them before the code, and on most rows with code drawn
// fainter than it. Returns the last column of that gutter, or -1. A comment
// as faint as the numbers beside it is cut from its number all the same,
// and so is code that starts close to them.
int RegionCutter::gutterOf(const QRect& r, const std::vector<std::pair<int, int>>& bands,
                           const std::vector<std::vector<int>>& profiles, int th) const
{
    if (bands.size() < 3) return -1;
    // Digits of one number stand closer than half a line's height.
    const int room = std::max(3, th / 2);
    struct Row {
        QRect band;
        int from, to;              // the first run of ink
        int next = -1, last = -1;  // the run after it
    };
    std::vector<Row> rows;
    for (size_t b = 0; b < bands.size(); ++b) {
        const QRect band(r.left(), bands[b].first, r.width(), bands[b].second - bands[b].first + 1);
        if (band.height() > 2 * th) continue;
        const std::vector<int>& cols = profiles[b];
        std::vector<std::pair<int, int>> runs;
        for (int x = 0; x < int(cols.size()) && runs.size() < 3; ++x) {
            if (cols[size_t(x)] == 0) continue;
            if (runs.empty() || x - runs.back().second - 1 >= room) runs.emplace_back(x, x);
            runs.back().second = x;
        }
        if (runs.empty() || runs[0].second - runs[0].first + 1 > 4 * th) continue;
        Row row{band, runs[0].first, runs[0].second};
        if (runs.size() > 1) row.next = runs[1].first, row.last = runs[1].second;
        rows.push_back(row);
    }
    if (rows.size() < 3) return -1;
    std::vector<int> rights;
    for (const Row& row : rows) rights.push_back(row.to);
    std::nth_element(rights.begin(), rights.begin() + qsizetype(rights.size() / 2), rights.end());
    const int median = rights[rights.size() / 2];
    const int level = std::max(2, th / 4);
    int end = -1, nextFrom = std::numeric_limits<int>::max(), aligned = 0, withCode = 0, fainter = 0;
    for (const Row& row : rows) {
        if (std::abs(row.to - median) > level) continue;
        ++aligned;
        end = std::max(end, row.to);
        if (row.next < 0) continue;
        nextFrom = std::min(nextFrom, row.next);
        ++withCode;
        fainter += inkContrast(row.band, row.from, row.to) * 4 < inkContrast(row.band, row.next, row.last) * 3;
    }
    if (aligned < 3 || size_t(aligned) * 4 < bands.size() * 3 || nextFrom <= end + 1 || fainter < 2 ||
        fainter * 2 < withCode)
        return -1;
    return r.left() + end;
}

// The rows of a region's lines, an accent's sliver joined to its letters.
std::vector<std::pair<int, int>> RegionCutter::textBands(const QRect& r, const std::vector<int>& rows, int th)
{
    std::vector<std::pair<int, int>> bands = bandsOf(r, rows);
    // Accents above a line of small letters ("años") stand apart from them:
    // a sliver of a band joins the band just below or above it.
    for (size_t i = 0; i < bands.size();) {
        const int height = bands[i].second - bands[i].first + 1;
        const int below = i + 1 < bands.size() ? bands[i + 1].first - bands[i].second - 1 : th;
        const int above = i > 0 ? bands[i].first - bands[i - 1].second - 1 : th;
        if (height * 5 >= th * 2 || std::min(below, above) * 2 > th) {
            ++i;
            continue;
        }
        if (below <= above) {
            bands[i + 1].first = bands[i].first;
        } else {
            bands[i - 1].second = bands[i].second;
        }
        bands.erase(bands.begin() + qsizetype(i));
    }
    return bands;
}

// The first and last pixel row of each row of text.
std::vector<std::pair<int, int>> RegionCutter::bandsOf(const QRect& r, const std::vector<int>& rows)
{
    std::vector<std::pair<int, int>> bands;
    for (size_t i = 0; i < rows.size();) {
        if (rows[i] == 0) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < rows.size() && rows[j] != 0) ++j;
        bands.emplace_back(r.top() + int(i), r.top() + int(j) - 1);
        i = j;
    }
    return bands;
}

// A region with too few Latin words to tell (the Chinese lines of a
// terminal) is as monospaced as the region right above or below it that
// can tell, or that took after one that can. Each line is marked as its
// region is.
void RegionCutter::spreadMonospacing()
{
    const size_t n = m_spacings.size();
    std::vector<int> verdict(n, -1);  // -1: not known yet
    // Regions right above and below each other (an editor's code cut at the
    // room between its lines) make one stack; a region with few spaces
    // weighs those of its whole stack.
    const auto stacked = [&](const QRect& a, const QRect& b) {
        const int overlap = std::min(a.right(), b.right()) - std::max(a.left(), b.left());
        const int distance = std::max(b.top() - a.bottom(), a.top() - b.bottom());
        return overlap * 2 >= std::min(a.width(), b.width()) && distance <= 3 * m_textHeight / 2;
    };
    std::vector<size_t> stack(n);
    std::iota(stack.begin(), stack.end(), size_t(0));
    const auto root = [&](size_t i) {
        while (stack[i] != i) i = stack[i] = stack[stack[i]];
        return i;
    };
    for (size_t i = 0; i < n; ++i)
        for (size_t j = i + 1; j < n; ++j)
            if (stacked(m_spacings[i].box, m_spacings[j].box)) stack[root(j)] = root(i);
    std::vector<Spacing> pooled(n);
    for (size_t i = 0; i < n; ++i) {
        const std::vector<double>& w = m_spacings[i].widths;
        pooled[root(i)].widths.insert(pooled[root(i)].widths.end(), w.begin(), w.end());
    }
    for (size_t i = 0; i < n; ++i) {
        if (!m_spacings[i].telling()) continue;
        const Spacing& own = m_spacings[i].few() && !pooled[root(i)].few() ? pooled[root(i)] : m_spacings[i];
        verdict[i] = own.monospaced();
    }
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

std::vector<int> RegionCutter::columnProfile(const QRect& band) const
{
    std::vector<int> cols(size_t(band.width()), 0);
    for (int y = band.top(); y <= band.bottom(); ++y) {
        const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)];
        for (int x = band.left(); x <= band.right(); ++x) cols[size_t(x - band.left())] += row[x] == PageMarks::text;
    }
    return cols;
}

// How wide the spaces between the Latin words of a region are. Its bands
// are weighed on several cores where they are many and long.
RegionCutter::Spacing RegionCutter::spacingOf(const QRect& r, const std::vector<std::pair<int, int>>& bands,
                                              int th) const
{
    std::vector<std::vector<double>> perBand(bands.size());
    constexpr int kPiece = 100000;  // pixels of bands worth a core of their own
    const size_t least = size_t(kPiece / std::max(1, r.width() * th) + 1);
    inParallel(bands.size(), least, [&](size_t from, size_t to) {
        for (size_t b = from; b < to; ++b) {
            const auto& [top, bottom] = bands[b];
            // Rows of text one line high (not pictures, not lines that touch).
            if (bottom - top + 1 <= 2 * th) perBand[b] = spacesIn(QRect(r.left(), top, r.width(), bottom - top + 1));
        }
    });
    Spacing out;
    out.box = r;
    for (const std::vector<double>& spaces : perBand) out.widths.insert(out.widths.end(), spaces.begin(), spaces.end());
    return out;
}

// The spaces between the Latin words of one band, each against its height.
std::vector<double> RegionCutter::spacesIn(const QRect& band) const
{
    std::vector<double> spaces;
    LayoutLine looks;
    looks.rect = band;
    m_looks.looksOf(looks);
    // Chinese says nothing: its characters are all as wide in any font.
    if (looks.script == LineScript::Han) return spaces;
    // Icons beside text (a file's icon, a browser's arrows, a tab's
    // cross) stand a space or so apart: the gaps beside them are not
    // weighed as spaces between words.
    const std::vector<int> cols = columnProfile(band);
    std::vector<std::pair<int, int>> words;  // first and last ink column
    int lastInk = -1;
    for (int x = 0; x < int(cols.size()); ++x) {
        if (cols[size_t(x)] == 0) continue;
        const int gap = x - lastInk - 1;
        if (lastInk < 0 || (gap * 5 >= band.height() && gap <= 2 * band.height()))
            words.emplace_back(x, x);
        else if (gap * 5 >= band.height()) {
            words.emplace_back(-1, -1);  // wider apart: not one run of words
            words.emplace_back(x, x);
        }
        words.back().second = x;
        lastInk = x;
    }
    std::vector<int> contrast(words.size(), -1);
    const auto contrastOf = [&](size_t i) {
        if (contrast[i] < 0) contrast[i] = inkContrast(band, words[i].first, words[i].second);
        return contrast[i];
    };
    // No wider than a letter or two, and first or last on its row (or
    // on its run of words, further apart from the rest than two line
    // heights: a file's icon in a list beside another) or drawn far
    // fainter than its neighbour.
    const auto small = [&](size_t i) { return (words[i].second - words[i].first + 1) * 5 <= band.height() * 6; };
    const auto icon = [&](size_t i, size_t beside) {
        const bool edge = i == 0 || i + 1 == words.size() || words[i - 1].first < 0 || words[i + 1].first < 0;
        return small(i) && (edge || contrastOf(i) * 4 < contrastOf(beside) * 3);
    };
    const auto gapAfter = [&](size_t i) {
        return i + 1 < words.size() && words[i].first >= 0 && words[i + 1].first >= 0
                   ? words[i + 1].first - words[i].second - 1
                   : -1;
    };
    // Nor the gap between two such where the first starts a run (a tab's
    // coloured icon, as strong as its title, after the last tab's cross)
    // and stands half again as far from the second (the title's short
    // first word) as the title's words stand from each other. In a line of
    // code or a comment a short word after another stands a cell from
    // both, however far its ink reaches into the cell.
    const auto iconGap = [&](size_t i) {
        if (!small(i - 1) || !small(i)) return false;
        const int gap = gapAfter(i - 1);
        const int after = gapAfter(i);
        const int before = i >= 2 ? gapAfter(i - 2) : -1;
        return after >= 0 && gap * 2 >= after * 3 && (before < 0 || before * 2 >= gap * 3);
    };
    for (size_t i = 1; i < words.size(); ++i)
        if (words[i - 1].first >= 0 && words[i].first >= 0 && !iconGap(i) && !icon(i - 1, i) && !icon(i, i - 1))
            spaces.push_back(double(gapAfter(i - 1)) / band.height());
    return spaces;
}

bool RegionCutter::Spacing::monospaced() const
{
    if (widths.empty()) return false;
    std::vector<double> sorted = widths;
    std::nth_element(sorted.begin(), sorted.begin() + qsizetype(sorted.size() / 2), sorted.end());
    const double median = sorted[sorted.size() / 2];
    if (median >= 0.45 && median <= 0.95) return true;
    // Narrow letters in monospaced words (an i, a colon, a slash in a path)
    // leave room beside them as wide as a space in running text: a good
    // share of spaces a letter wide still tells.
    const auto wide = std::count_if(widths.begin(), widths.end(), [](double w) { return w >= 0.5 && w <= 0.95; });
    return wide >= 6 && wide * 10 >= qsizetype(widths.size()) * 3;
}

// A band of large text (a headline) rather than lines that touch: most of
// its letters reach over most of its height. Or one line made tall by what
// reaches above and below its letters (accents over capitals, a tilde, an
// inverted question mark, descenders): its letters all cross one row, but
// for marks well under their height above it (apostrophes, accents) and a
// few below (commas). A letter of full height off that row, or many small
// ones under it (a byline under a headline), stand on a line of their own.
bool RegionCutter::singleLine(const QRect& band) const
{
    std::vector<QRect> boxes;
    std::vector<int> heights;
    for (const MarkCluster& c : m_words)
        if (band.contains(c.box)) {
            boxes.push_back(c.box);
            heights.push_back(c.box.height());
        }
    if (heights.size() < 3) return false;
    const int typical = typicalHeight(std::move(heights), 0);
    if (typical * 10 >= band.height() * 6) return true;
    // Letters, small ones of a line beside a larger one too: dots aside.
    std::erase_if(boxes, [typical](const QRect& b) { return b.height() * 3 < typical; });
    const int letters = int(boxes.size());
    if (letters < 8) return false;
    std::vector<int> crossing(size_t(band.height()) + 1, 0);
    for (const QRect& b : boxes) {
        ++crossing[size_t(b.top() - band.top())];
        --crossing[size_t(b.bottom() + 1 - band.top())];
    }
    int row = 0;
    for (int y = 0, n = 0, most = 0; y < band.height(); ++y)
        if ((n += crossing[size_t(y)]) > most) most = n, row = band.top() + y;
    int below = 0;
    for (const QRect& b : boxes) {
        if (b.top() <= row && b.bottom() >= row) continue;
        if (b.height() * 2 >= typical) return false;
        if (b.top() > row) ++below;
    }
    return below <= std::max(2, letters / 10);
}

bool RegionCutter::largeLetterIn(const QRect& r, int bandHeight) const
{
    return std::any_of(m_words.begin(), m_words.end(), [&](const MarkCluster& c) {
        return r.contains(c.box) && c.box.height() * 10 >= bandHeight * 6;
    });
}

// Columns are counted from the band's left.
int RegionCutter::inkContrast(const QRect& band, int from, int to, QRgb* ground) const
{
    LayoutLine looks;
    looks.rect = QRect(band.left() + from, band.top(), to - from + 1, band.height());
    m_looks.inkAndGroundOf(looks);
    if (ground)
        *ground = m_colour.isNull() ? qRgb(looks.background, looks.background, looks.background)
                                    : looks.backgroundColour;
    return std::abs(looks.ink - looks.background);
}

int RegionCutter::inkContrastOnGrounds(const QRect& band, int from, int to) const
{
    LayoutLine looks;
    looks.rect = QRect(band.left() + from, band.top(), to - from + 1, band.height());
    inkAndGroundsOf(m_gray, m_colour, looks);
    return std::abs(looks.ink - looks.background);
}

void RegionCutter::segmentsOf(const QRect& band, const std::vector<int>& cols, int region, int th, bool monospaced,
                              int gutter)
{
    // Ink on both sides of an editor's gutter is never one piece.
    const int g = gutter - band.left();
    const auto across = [&](int to, int from) { return gutter >= 0 && to <= g && from > g; };
    const bool stacked = band.height() * 10 > th * 17 && band.height() > th + 8 && !singleLine(band);
    const int height = stacked ? th : band.height();
    // Farther apart than the line is high: items of a menu or a tool bar,
    // cells side by side; spaces between words, even stretched, are narrower.
    double wide = 1.0 * height;
    // The columns of a listing are runs of spaces: its rows stay whole.
    if (monospaced) wide = std::max(wide, 4.0 * th);
    // Pieces of ink apart by more than a word's space.
    struct Piece {
        int from;
        int to;
    };
    std::vector<Piece> pieces;
    const int apart = std::max(3, height * 3 / 5);
    for (int x = 0; x < band.width(); ++x) {
        if (cols[size_t(x)] == 0) continue;
        if (pieces.empty() || x - pieces.back().to - 1 >= apart || across(pieces.back().to, x))
            pieces.push_back({x, x});
        else
            pieces.back().to = x;
    }
    // How high the ink of a piece reaches, from its top to its bottom.
    const auto inkHeight = [&](const Piece& p) {
        int top = band.bottom() + 1;
        int bottom = band.top() - 1;
        for (int y = band.top(); y <= band.bottom(); ++y) {
            const std::uint8_t* row = &m_marks.m[size_t(y) * size_t(m_marks.w)];
            if (std::any_of(row + band.left() + p.from, row + band.left() + p.to + 1,
                            [](std::uint8_t v) { return v == PageMarks::text; })) {
                top = std::min(top, y);
                bottom = y;
            }
        }
        return bottom - top + 1;
    };
    // Words a little further apart than spaces, drawn in far fainter or far
    // stronger ink than each other, are two lines of their own: a price and
    // the greyed one it replaces, a name and its faint note. Each is read
    // with its own ink, so the fainter one is not lost beside the other.
    std::vector<char> styleCut;
    if (!monospaced) {
        const int near = std::max(3, height * 2 / 5);
        std::vector<Piece> words;
        for (const Piece& p : pieces) {
            words.push_back({p.from, p.from});
            for (int x = p.from; x <= p.to; ++x) {
                if (cols[size_t(x)] == 0) continue;
                if (x - words.back().to - 1 >= near) words.push_back({x, x});
                words.back().to = x;
            }
        }
        std::vector<int> contrast(words.size(), -1);
        std::vector<QRgb> ground(words.size(), 0);
        const auto contrastOf = [&](size_t i) {
            if (contrast[i] < 0) contrast[i] = inkContrast(band, words[i].from, words[i].to, &ground[i]);
            return contrast[i];
        };
        // The ink of a sign or a letter alone ("·", "€") says little: each
        // side is judged by its nearest word wider than the line is high.
        const auto telling = [&](size_t i) { return (words[i].to - words[i].from + 1) * 5 > height * 6; };
        std::vector<int> before(words.size(), -1);
        std::vector<int> after(words.size(), -1);
        for (size_t i = 0; i < words.size(); ++i) before[i] = telling(i) ? int(i) : i > 0 ? before[i - 1] : -1;
        for (size_t i = words.size(); i-- > 0;)
            after[i] = telling(i) ? int(i) : i + 1 < words.size() ? after[i + 1] : -1;
        styleCut.assign(words.size(), 0);
        bool any = false;
        // A mark no wider than a letter or two first on its row, a word's
        // space or more from the text after it, is judged by its own ink:
        // an item's icon drawn in another ink than its name.
        const auto leading = [&](size_t i) {
            return before[i] < 0 && (words[i].to - words[i].from + 1) * 5 <= height * 6;
        };
        for (size_t i = 0; i + 1 < words.size(); ++i) {
            if (words[i + 1].from - words[i].to - 1 >= wide || (before[i] < 0 && !leading(i)) || after[i + 1] < 0)
                continue;
            const size_t first = before[i] < 0 ? i : size_t(before[i]);
            const size_t second = size_t(after[i + 1]);
            const int a = contrastOf(first);
            const int b = contrastOf(second);
            // A word on a highlight stands out less from its own ground
            // than the words beside it do from theirs, in the same ink; a
            // tag's name, on a ground of its own too, is drawn in another.
            const auto inkOf = [&](size_t k) {
                const QRect word(band.left() + words[k].from, band.top(), words[k].to - words[k].from + 1,
                                 band.height());
                return inkColourOf(m_colour.isNull() ? m_gray : m_colour, word, ground[k]);
            };
            styleCut[i] = std::min(a, b) * 4 < std::max(a, b) * 3 &&
                          (colourDistance(ground[first], ground[second]) <= kSameGround ||
                           colourDistance(inkOf(first), inkOf(second)) > kSameInk);
            any = any || styleCut[i];
        }
        if (any) {
            // Words apart by less than a piece's gap rejoin unless cut.
            std::vector<Piece> joined;
            std::vector<char> cuts;
            for (size_t i = 0; i < words.size(); ++i) {
                if (!joined.empty() && !cuts.back() && words[i].from - joined.back().to - 1 < apart &&
                    !across(joined.back().to, words[i].from))
                    joined.back().to = words[i].to;
                else
                    joined.push_back(words[i]), cuts.push_back(0);
                cuts.back() = styleCut[i];
            }
            pieces = std::move(joined);
            styleCut = std::move(cuts);
        } else {
            styleCut.clear();
        }
    }
    // A band made taller by what stands elsewhere on its row (a heading or
    // a field beside a list's item): pieces are apart by more than a word's
    // space of their own text, not of the band's height, so that the icon
    // before an item's name is not taken for its first letter.
    if (!monospaced && !stacked && band.height() > th) {
        const int least = std::max(3, th * 3 / 5);
        std::vector<Piece> finer;
        std::vector<char> finerCuts;
        for (size_t i = 0; i < pieces.size(); ++i) {
            std::vector<Piece> runs;
            for (int x = pieces[i].from; x <= pieces[i].to; ++x) {
                if (cols[size_t(x)] == 0) continue;
                if (runs.empty() || x - runs.back().to - 1 >= least) runs.push_back({x, x});
                runs.back().to = x;
            }
            // Each run stands beside two gaps: its height is measured once.
            int previous = 0;
            for (size_t k = 0; k < runs.size(); ++k) {
                const int here = inkHeight(runs[k]);
                const bool joined =
                    k > 0 && runs[k].from - finer.back().to - 1 <
                                 std::max(3, std::min(height, std::max({th, previous, here})) * 3 / 5);
                previous = here;
                if (joined) {
                    finer.back().to = runs[k].to;
                    continue;
                }
                finer.push_back(runs[k]);
                finerCuts.push_back(0);
            }
            if (i < styleCut.size()) finerCuts.back() = styleCut[i];
        }
        if (!styleCut.empty()) styleCut = std::move(finerCuts);
        pieces = std::move(finer);
    }
    // A file's icon drawn close before its name (a list whose rows are
    // nearly as tall as the icon's cell): a shape a letter or so wide, its
    // first and last columns of ink (a filled shape's, or a frame's sides) a
    // fifth taller than the text after it and a quarter taller than the page's
    // letters, a gap of no ink between. A line of its own, which reads as
    // nothing; no letter stands that far above the word it starts.
    std::vector<char> iconCut(pieces.size(), 0);
    if (!monospaced) {
        const auto tall = [&](int x) { return cols[size_t(x)] != 0 && inkHeight({x, x}) * 4 >= th * 5; };
        for (size_t i = 0; i < pieces.size(); ++i) {
            const Piece p = pieces[i];
            if (!tall(p.from)) continue;
            int end = p.from;
            for (int x = p.from; x <= std::min(p.to, p.from + band.height() * 6 / 5 - 1); ++x)
                if (tall(x)) end = x;
            int next = end + 1;
            while (next <= p.to && cols[size_t(next)] == 0) ++next;
            if (next > p.to || next - end - 1 < std::max(2, th / 10) || (end - p.from + 1) * 2 < th) continue;
            if (inkHeight({p.from, end}) * 5 < inkHeight({next, p.to}) * 6) continue;
            pieces[i].to = end;
            pieces.insert(pieces.begin() + qsizetype(i) + 1, Piece{next, p.to});
            iconCut.insert(iconCut.begin() + qsizetype(i), 1);
            if (i < styleCut.size()) styleCut.insert(styleCut.begin() + qsizetype(i), 0);
            ++i;
        }
    }
    // A piece no wider than a letter standing that far from the next is an
    // icon or a window button: a line of its own (a toolbar's icons, the
    // buttons of a title bar, an icon before a name), which reads as nothing.
    const auto lone = [&](const Piece& p) { return !monospaced && (p.to - p.from + 1) * 5 <= height * 6; };
    // An editor's line numbers stand a character or two before the code, in a
    // fainter ink: a row of monospaced text starting with a piece drawn far
    // fainter than the code after it is cut after it. The code's ink is the
    // strongest of its first words, a highlight behind them taken for ground:
    // a thin short word ("if") shows little of it.
    const auto fainterThanCode = [&] {
        int code = 0;
        for (size_t i = 1; i < std::min<size_t>(pieces.size(), 4); ++i)
            code = std::max(code, inkContrastOnGrounds(band, pieces[i].from, pieces[i].to));
        return inkContrastOnGrounds(band, pieces[0].from, pieces[0].to) * 4 < code * 3;
    };
    const bool fainterFirst = monospaced && pieces.size() >= 2 && fainterThanCode();
    // A band made taller by an icon or a picture in it (a file's icon at
    // the start of a table's row): the gap between two words is weighed
    // against the words' own height, the text's at least.
    // Each piece stands beside two gaps: measured once.
    std::vector<std::optional<int>> inkHeights(pieces.size());
    const auto inkHeightOf = [&](size_t i) {
        if (!inkHeights[i]) inkHeights[i] = inkHeight(pieces[i]);
        return *inkHeights[i];
    };
    const auto wideAt = [&](size_t i) {
        if (monospaced || stacked || band.height() <= th) return wide;
        const int words = std::max({th, inkHeightOf(i), inkHeightOf(i + 1)});
        return std::min(wide, 1.0 * words);
    };
    // A piece a letter wide between two words, less than a wide gap from
    // each and about as far from one as from the other, is a word of the
    // row: a terminal sets a Chinese character a cell from the words beside
    // it ("Android 和 iOS"), farther apart than spaces of running text. The
    // three reach over half the line's height at least, as letters do
    // (unlike a rule's end or a speck).
    const auto spacedWord = [&](size_t k) {
        if (k == 0 || k + 1 >= pieces.size() || lone(pieces[k - 1]) || lone(pieces[k + 1])) return false;
        const int before = pieces[k].from - pieces[k - 1].to - 1;
        const int after = pieces[k + 1].from - pieces[k].to - 1;
        const auto tall = [&](size_t i) { return inkHeightOf(i) * 2 >= height; };
        return before < wideAt(k - 1) && after < wideAt(k) && std::abs(before - after) * 4 <= height && tall(k - 1) &&
               tall(k) && tall(k + 1);
    };
    const auto alone = [&](size_t k) { return lone(pieces[k]) && !spacedWord(k); };
    int start = -1;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (start < 0) start = pieces[i].from;
        const bool last = i + 1 == pieces.size();
        const int gap = last ? 0 : pieces[i + 1].from - pieces[i].to - 1;
        const bool cut =
            last || gap >= wideAt(i) || alone(i) || alone(i + 1) || (i == 0 && fainterFirst) ||
            across(pieces[i].to, pieces[i + 1].from) || (i < styleCut.size() && styleCut[i]) || iconCut[i] ||
            structureAlong(band, band.left() + pieces[i].to + 1, band.left() + pieces[i + 1].from, false) > 0;
        if (!cut) continue;
        addLine(QRect(band.left() + start, band.top(), pieces[i].to - start + 1, band.height()), region, stacked);
        start = -1;
    }
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
    // Its looks are measured once the page is cut, all lines at once.
    LayoutLine line;
    line.rect = r;
    line.region = region;
    line.stacked = stacked;
    m_out.push_back(line);
}

}  // namespace klipo::platform
