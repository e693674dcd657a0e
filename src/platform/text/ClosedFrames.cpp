#include "platform/text/ClosedFrames.h"

#include <algorithm>
#include <cstdlib>

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

bool isStructure(const PageMarks& marks, int x, int y)
{
    return x >= 0 && y >= 0 && x < marks.w && y < marks.h && marks.at(x, y) == PageMarks::structure;
}

std::vector<Side> sidesDown(const PageMarks& marks, int shortest)
{
    std::vector<Side> sides;
    std::vector<size_t> open;  // sides that reached the previous column
    for (int x = 0; x < marks.w; ++x) {
        std::vector<size_t> reached;
        int start = -1;
        for (int y = 0; y <= marks.h; ++y) {
            const bool on = y < marks.h && marks.at(x, y) == PageMarks::structure;
            if (on && start < 0) start = y;
            if (on || start < 0) continue;
            if (y - start >= shortest) {
                // The same side one column on (a line two pixels wide) or a new one.
                auto same = std::find_if(open.begin(), open.end(), [&](size_t i) {
                    return std::abs(sides[i].top - start) <= kSlack && std::abs(sides[i].bottom - (y - 1)) <= kSlack;
                });
                if (same != open.end()) {
                    sides[*same].right = x;
                    reached.push_back(*same);
                } else {
                    sides.push_back({x, x, start, y - 1});
                    reached.push_back(sides.size() - 1);
                }
            }
            start = -1;
        }
        open = std::move(reached);
    }
    return sides;
}

// Whether a frame or rule runs along row `y` (give or take a pixel or two)
// from `left` to `right`.
bool ruledAcross(const PageMarks& marks, int y, int left, int right)
{
    const int length = right - left + 1;
    for (int row = y - kSlack; row <= y + kSlack; ++row) {
        if (row < 0 || row >= marks.h) continue;
        int n = 0;
        for (int x = left; x <= right; ++x) n += isStructure(marks, x, row);
        if (n * 10 >= length * 9) return true;
    }
    return false;
}

bool holdsText(const PageMarks& marks, const QRect& r)
{
    for (int y = r.top() + 1; y < r.bottom(); ++y)
        for (int x = r.left() + 1; x < r.right(); ++x)
            if (marks.at(x, y) == PageMarks::text) return true;
    return false;
}

}  // namespace

std::vector<QRect> closedFrames(const PageMarks& marks, int shortest)
{
    const std::vector<Side> sides = sidesDown(marks, shortest);
    std::vector<QRect> frames;
    for (const Side& left : sides) {
        for (const Side& right : sides) {
            if (right.left - left.right < shortest) continue;
            if (std::abs(left.top - right.top) > kSlack || std::abs(left.bottom - right.bottom) > kSlack) continue;
            const int top = std::min(left.top, right.top);
            const int bottom = std::max(left.bottom, right.bottom);
            if (!ruledAcross(marks, top, left.left, right.right) || !ruledAcross(marks, bottom, left.left, right.right))
                continue;
            const QRect frame(QPoint(left.left, top), QPoint(right.right, bottom));
            if (holdsText(marks, frame)) frames.push_back(frame);
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

}  // namespace klipo::platform
