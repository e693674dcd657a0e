#include "platform/text/ClosedFrames.h"

#include "platform/text/InParallel.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace klipo::platform {

namespace {

// A side running down: columns left..right, rows top..bottom.
struct Side {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

constexpr int kSlack = 3;  // pixels a corner may be off (anti-aliasing, marks on both sides of an edge)

// Where a frame runs: marks of structure, the edge of a ground (`ground`,
// empty if not looked for), or the ground of a window on top that hides it
// (`covered`, empty while none is known).
struct Ruling {
    const PageMarks& marks;
    const std::vector<char>& covered;
    const std::vector<char>& ground;

    bool hidden(int x, int y) const { return !covered.empty() && covered[size_t(y) * size_t(marks.w) + size_t(x)]; }
    // Whether a frame may run at each pixel of row `y`, into `out` (marks.w of them).
    void onRow(int y, char* out) const
    {
        const size_t w = size_t(marks.w);
        const std::uint8_t* m = &marks.m[size_t(y) * w];
        for (size_t x = 0; x < w; ++x) out[x] = m[x] == PageMarks::structure;
        for (const std::vector<char>* also : {&covered, &ground}) {
            if (also->empty()) continue;
            const char* a = &(*also)[size_t(y) * w];
            for (size_t x = 0; x < w; ++x) out[x] = char(out[x] | (a[x] != 0));
        }
    }
};

// The runs down each column, longer than `shortest`, top to bottom. The
// picture is walked row by row, each column keeping its open run.
// Where a frame may run (Ruling::onRow()) on every row, each row followed by
// room where none runs (a block of eight columns read past the last one).
struct OnMask {
    static constexpr int kPadding = 9;

    explicit OnMask(const Ruling& ruling)
        : w(ruling.marks.w), h(ruling.marks.h), stride(size_t(w) + kPadding), bytes(stride * size_t(h), 0)
    {
        inParallel(size_t(h), 64, [&](size_t from, size_t to) {
            for (size_t y = from; y < to; ++y) ruling.onRow(int(y), &bytes[y * stride]);
        });
    }
    const char* row(int y) const { return &bytes[size_t(y) * stride]; }

    const int w;
    const int h;
    const size_t stride;
    std::vector<char> bytes;
};

std::vector<std::vector<std::pair<int, int>>> runsDown(const OnMask& mask, int shortest)
{
    const int w = mask.w;
    const int h = mask.h;
    std::vector<std::vector<std::pair<int, int>>> runs(static_cast<size_t>(w));
    std::vector<int> start(size_t(w), -1);
    std::vector<int> last(size_t(w), -1);
    // Most columns of a row have no mark and no run open: eight of them are
    // passed over at once. (Both padded to whole eights.)
    constexpr int kBlock = OnMask::kPadding - 1;
    const std::vector<char> none(mask.stride, 0);
    std::vector<char> open(size_t(w) + kBlock, 0);
    const auto nothingIn = [](const char* a, const char* b, const char* c) {
        std::uint64_t x = 0, y = 0, z = 0;
        std::memcpy(&x, a, kBlock);
        std::memcpy(&y, b, kBlock);
        std::memcpy(&z, c, kBlock);
        return (x | y | z) == 0;
    };
    for (int y = 0; y <= h; ++y) {
        const char* onRow = y < h ? mask.row(y) : none.data();
        for (int block = 0; block < w; block += kBlock) {
            if (nothingIn(onRow + block, onRow + block + 1, &open[size_t(block)])) continue;
            for (int x = block; x < std::min(w, block + kBlock); ++x) {
                // A frame line two pixels wide may have its marks on either.
                if (onRow[size_t(x)] || onRow[size_t(x) + 1]) {
                    if (start[size_t(x)] < 0) start[size_t(x)] = y;
                    last[size_t(x)] = y;
                    open[size_t(x)] = 1;
                    continue;
                }
                // A one-pixel hole (a corner of a letter touching the side) is bridged.
                if (start[size_t(x)] < 0 || (y < h && y - last[size_t(x)] <= 2)) continue;
                if (last[size_t(x)] - start[size_t(x)] + 1 >= shortest)
                    runs[size_t(x)].emplace_back(start[size_t(x)], last[size_t(x)]);
                start[size_t(x)] = -1;
                open[size_t(x)] = 0;
            }
        }
    }
    return runs;
}

// The sides running down.
std::vector<Side> sidesDown(const OnMask& mask, int shortest)
{
    const std::vector<std::vector<std::pair<int, int>>> runs = runsDown(mask, shortest);
    std::vector<Side> sides;
    std::vector<size_t> open;  // sides that reached the previous column
    for (int x = 0; x < int(runs.size()); ++x) {
        std::vector<size_t> reached;
        for (const auto& [start, last] : runs[size_t(x)]) {
            // The same side one column on (a line two pixels wide) or a new one.
            auto same = std::find_if(open.begin(), open.end(), [&](size_t i) {
                return std::abs(sides[i].top - start) <= kSlack && std::abs(sides[i].bottom - last) <= kSlack;
            });
            if (same != open.end()) {
                sides[*same].right = x;
                reached.push_back(*same);
            } else {
                sides.push_back({x, x, start, last});
                reached.push_back(sides.size() - 1);
            }
        }
        open = std::move(reached);
    }
    return sides;
}

// Whether a frame or rule runs along row `y` (give or take a pixel or two)
// from `left` to `right`.
bool ruledAcross(const OnMask& mask, int y, int left, int right)
{
    const int length = right - left + 1;
    for (int row = y - kSlack; row <= y + kSlack; ++row) {
        if (row < 0 || row >= mask.h) continue;
        const int n = int(std::count(mask.row(row) + left, mask.row(row) + right + 1, char(1)));
        if (n * 10 >= length * 9) return true;
    }
    return false;
}

// Whether a side rises from the rule along row `y` near column `x` (as far
// off as a rounded corner reaches) into the frame, which lies `inward` (-1:
// above), for `length` at least, and ends there: the corner of a box.
bool cornerAt(const OnMask& mask, int x, int y, int inward, int length, int reach)
{
    const auto on = [&](int cx, int cy) { return cy >= 0 && cy < mask.h && cx >= 0 && cx < mask.w && mask.row(cy)[cx]; };
    for (int cx = x - reach; cx <= x + reach; ++cx) {
        int from = kSlack + 1;
        while (from <= reach && !on(cx, y + inward * from)) ++from;
        if (from > reach) continue;
        int run = 0;
        while (run < length && on(cx, y + inward * (from + run))) ++run;
        if (run < length) continue;
        bool beyond = false;
        for (int k = kSlack + 1; k <= 3 * kSlack && !beyond; ++k) beyond = on(cx, y - inward * k);
        if (!beyond) return true;
    }
    return false;
}

// Whether the rule along row `y` (give or take a pixel or two) from `left`
// to `right`, a frame's top (`inward` 1) or bottom (-1), breaks off at a
// box's corner and runs on again at another's past a hole wider than
// anti-aliasing or a letter's corner leaves: the ground between two boxes
// side by side, which no rule closes. (Where a window on top hides a piece
// of the rule, its side crosses the rule: no corner.)
bool brokenAcross(const OnMask& mask, int y, int left, int right, int inward, int length, int reach)
{
    int lastOn = -1;
    for (int x = left; x <= right; ++x) {
        bool on = false;
        for (int row = std::max(0, y - kSlack); row <= std::min(mask.h - 1, y + kSlack) && !on; ++row)
            on = mask.row(row)[x] != 0;
        if (!on) continue;
        if (lastOn >= 0 && x - lastOn - 1 > 2 * kSlack && cornerAt(mask, lastOn, y, inward, length, reach) &&
            cornerAt(mask, x, y, inward, length, reach))
            return true;
        lastOn = x;
    }
    return false;
}

// Whether text shows inside the frame (not under a window on top).
bool holdsText(const Ruling& ruling, const QRect& r)
{
    for (int y = r.top() + 1; y < r.bottom(); ++y)
        for (int x = r.left() + 1; x < r.right(); ++x)
            if (ruling.marks.at(x, y) == PageMarks::text && !ruling.hidden(x, y)) return true;
    return false;
}

// The share of a frame's outline that shows (not under a window on top).
double outlineShown(const Ruling& ruling, const QRect& f)
{
    if (ruling.covered.empty()) return 1;
    int shown = 0;
    int all = 0;
    for (int x = f.left(); x <= f.right(); ++x)
        for (int y : {f.top(), f.bottom()}) {
            ++all;
            shown += !ruling.hidden(x, y);
        }
    for (int y = f.top(); y <= f.bottom(); ++y)
        for (int x : {f.left(), f.right()}) {
            ++all;
            shown += !ruling.hidden(x, y);
        }
    return double(shown) / all;
}

std::vector<QRect> framesRuled(const Ruling& ruling, int shortest)
{
    const OnMask mask(ruling);
    const std::vector<Side> sides = sidesDown(mask, shortest);
    // A rounded corner: its side starts a little below the rule across.
    const int corner = std::max(kSlack, shortest / 8);
    std::vector<QRect> frames;
    for (const Side& left : sides) {
        for (const Side& right : sides) {
            if (right.left - left.right < shortest) continue;
            // A side may run on past the frame's corner (into the frame or
            // shadow of a window under it): the corners are where one of
            // the two sides ends and a rule runs across to the other.
            const auto reaches = [&](const Side& s, int top, int bottom) {
                return s.top <= top + corner && s.bottom >= bottom - corner;
            };
            const auto ruled = [&](int y) { return ruledAcross(mask, y, left.left, right.right); };
            int top = -1;
            for (int y : {std::max(left.top, right.top), std::min(left.top, right.top)})
                if (top < 0 && reaches(left, y, y) && reaches(right, y, y) && ruled(y)) top = y;
            if (top < 0) continue;
            int bottom = -1;
            for (int y : {std::min(left.bottom, right.bottom), std::max(left.bottom, right.bottom)})
                if (bottom < 0 && y - top >= shortest && reaches(left, top, y) && reaches(right, top, y) && ruled(y))
                    bottom = y;
            if (bottom < 0) continue;
            const QRect frame(QPoint(left.left, top), QPoint(right.right, bottom));
            // Boxes side by side are no frame around both, though the edge
            // of a window on top runs across their tops and their bottoms
            // line up (with a side of each box no shorter than half a frame's).
            const int round = std::max(2 * kSlack, shortest / 3);
            if (brokenAcross(mask, top, left.left, right.right, 1, shortest / 2, round) ||
                brokenAcross(mask, bottom, left.left, right.right, -1, shortest / 2, round))
                continue;
            // A window under others shows at least a third of its outline.
            if (outlineShown(ruling, frame) * 3 >= 1 && holdsText(ruling, frame)) frames.push_back(frame);
        }
    }
    // Of frames with the same top and bottom (the columns of a grid), only
    // the outline.
    auto inside = [&](const QRect& a, const QRect& b) {
        return &a != &b && b.contains(a) && std::abs(a.top() - b.top()) <= kSlack &&
               std::abs(a.bottom() - b.bottom()) <= kSlack;
    };
    std::vector<QRect> kept;
    for (const QRect& f : frames)
        if (std::none_of(frames.begin(), frames.end(), [&](const QRect& g) { return inside(f, g); })) kept.push_back(f);
    return kept;
}

}  // namespace

std::vector<QRect> closedFrames(const PageMarks& marks, int shortest)
{
    const std::vector<char> none;
    return framesRuled({marks, none, none}, shortest);
}

std::vector<QRect> windowFrames(const PageMarks& marks, int shortest, size_t* closed, const std::vector<char>& ground,
                                std::vector<int>* layers)
{
    std::vector<char> covered;
    std::vector<QRect> frames = framesRuled({marks, covered, ground}, shortest);
    if (closed) *closed = frames.size();
    if (layers) layers->assign(frames.size(), 0);
    // A window that others on top cover in part is closed where they hide
    // its frame; then a window under that one, and so on.
    constexpr int kLayers = 3;
    for (int layer = 1; layer < kLayers && !frames.empty(); ++layer) {
        covered.assign(marks.m.size(), 0);
        for (const QRect& f : frames) {
            const QRect area = f.intersected(QRect(0, 0, marks.w, marks.h));
            for (int y = area.top(); y <= area.bottom(); ++y)
                std::fill_n(covered.begin() + qsizetype(y) * marks.w + area.left(), area.width(), char(1));
        }
        const auto known = [&](const QRect& g) {
            return std::any_of(frames.begin(), frames.end(), [&](const QRect& f) {
                return f.adjusted(-kSlack, -kSlack, kSlack, kSlack).contains(g);
            });
        };
        std::vector<QRect> found = framesRuled({marks, covered, ground}, shortest);
        std::erase_if(found, known);
        // A side of a longer frame is no side of a window under it: what
        // seems closed there is another window's outline.
        const auto alongLonger = [&](const QRect& g) {
            const auto along = [&](const QRect& f) {
                if (f == g || f.top() > g.top() + kSlack || f.bottom() < g.bottom() - kSlack ||
                    f.height() <= g.height() + kSlack)
                    return false;
                const auto near = [&](int x) {
                    return std::abs(f.left() - x) <= kSlack || std::abs(f.right() - x) <= kSlack;
                };
                return near(g.left()) || near(g.right());
            };
            return std::any_of(frames.begin(), frames.end(), along) || std::any_of(found.begin(), found.end(), along);
        };
        std::vector<QRect> windows;
        for (const QRect& g : found)
            if (!alongLonger(g)) windows.push_back(g);
        if (windows.empty()) break;
        frames.insert(frames.end(), windows.begin(), windows.end());
        if (layers) layers->resize(frames.size(), layer);
    }
    return frames;
}

}  // namespace klipo::platform
