#include "platform/text/SignShapes.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <vector>

namespace klipo::platform {

namespace {

// What a middle dot is read as.
bool isDotLookalike(QChar c)
{
    // The Latin models' readings, then the Chinese models' ("+", "“", "・", "，", "。", "：").
    static const QString lookalikes =
        QStringLiteral("-:;.'`,\u2010\u2013\u2014\u2018\u2019\u201C\u201D\u00B7\u2022\u30FB+*\"\uFF0C\u3002\uFF1A");
    return lookalikes.contains(c);
}

// The darkest grey inside `area`.
int darkestIn(const QImage& gray, const QRect& area)
{
    int darkest = 255;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* row = gray.constScanLine(y);
        for (int x = area.left(); x <= area.right(); ++x) darkest = std::min(darkest, int(row[x]));
    }
    return darkest;
}

struct Speck {
    QRect box;
    int pixels = 0;
};

// The specks of ink inside `area`: pixels darker than halfway between the
// darkest one and white, joined to their eight neighbours. `labels`, when
// given, gets per pixel of `area` (row by row) 0 for the ground and k + 1
// for the k-th speck.
std::vector<Speck> specksIn(const QImage& gray, const QRect& area, std::vector<int>* labels = nullptr)
{
    const int darkest = darkestIn(gray, area);
    std::vector<Speck> specks;
    if (darkest > 160) return specks;
    const int threshold = (darkest + 255) / 2;
    const int w = area.width();
    std::vector<char> seen(size_t(w) * size_t(area.height()), 0);
    if (labels) labels->assign(seen.size(), 0);
    const auto ink = [&](int x, int y) { return gray.constScanLine(y)[x] < threshold; };
    std::vector<QPoint> stack;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            if (seen[size_t(y - area.top()) * w + size_t(x - area.left())] || !ink(x, y)) continue;
            Speck speck;
            stack.assign(1, QPoint(x, y));
            seen[size_t(y - area.top()) * w + size_t(x - area.left())] = 1;
            while (!stack.empty()) {
                const QPoint p = stack.back();
                stack.pop_back();
                speck.box |= QRect(p, QSize(1, 1));
                ++speck.pixels;
                if (labels)
                    (*labels)[size_t(p.y() - area.top()) * w + size_t(p.x() - area.left())] = int(specks.size()) + 1;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const QPoint q(p.x() + dx, p.y() + dy);
                        if (!area.contains(q)) continue;
                        char& s = seen[size_t(q.y() - area.top()) * w + size_t(q.x() - area.left())];
                        if (s || !ink(q.x(), q.y())) continue;
                        s = 1;
                        stack.push_back(q);
                    }
            }
            specks.push_back(speck);
        }
    return specks;
}

}  // namespace

bool isDashLike(QChar c)
{
    static const QString dashes = QStringLiteral("-\u2010\u2013\u2014");
    return dashes.contains(c);
}

int inkBaseline(const QImage& gray, const QRect& line)
{
    const QRect area = line & gray.rect();
    if (gray.format() != QImage::Format_Grayscale8 || area.isEmpty()) return -1;
    const int darkest = darkestIn(gray, area);
    if (darkest > 160) return -1;
    const int threshold = (darkest + 255) / 2;
    std::vector<int> counts(size_t(area.height()), 0);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* row = gray.constScanLine(y);
        counts[size_t(y - area.top())] =
            int(std::count_if(row + area.left(), row + area.right() + 1, [&](uchar v) { return v < threshold; }));
    }
    const int fullest = *std::max_element(counts.begin(), counts.end());
    for (int y = area.bottom(); y >= area.top(); --y)
        if (counts[size_t(y - area.top())] * 2 >= fullest) return y + 1;
    return -1;
}

QChar signFromInk(const QImage& gray, const QRect& box, int top, int baseline, QChar read, bool hanLine)
{
    const int height = baseline - top;  // from where the letters reach up to to where they stand
    if (gray.format() != QImage::Format_Grayscale8 || !isDotLookalike(read) || height < 8) return read;
    // A little room around the engine's box, which may clip the sign's soft edge.
    const QRect area = box.adjusted(-1, -1, 1, 1) & gray.rect();
    if (area.isEmpty() || area.width() > height || area.height() > height) return read;
    std::vector<Speck> specks = specksIn(gray, area);
    // Specks of a pixel or two are noise of the smoothing.
    std::erase_if(specks, [](const Speck& s) { return s.pixels <= 2; });
    if (specks.size() != 1) return read;
    // Its extent with its soft edge: a short thick dash (a bold face's hyphen)
    // leaves a speck as square as a dot at half the ink, but not with the edge.
    const QRect core = specks.front().box;
    const int darkest = darkestIn(gray, core);
    const int faint = 255 - (255 - darkest) / 4;
    QRect dot = core;
    const QRect around = core.adjusted(-1, -1, 1, 1) & area;
    for (int y = around.top(); y <= around.bottom(); ++y)
        for (int x = around.left(); x <= around.right(); ++x)
            if (gray.constScanLine(y)[x] < faint) dot |= QRect(x, y, 1, 1);
    const bool round = dot.width() * 2 <= dot.height() * 3 && dot.height() * 2 <= dot.width() * 3;
    // A dot is no wider nor taller than 3/10 of the line's height (a hyphen is
    // wider); a bold face's short dash is as square but thinner than 3/20.
    // Chinese characters stand lower than Latin capitals above the line, a
    // dot beside them a little larger against them (7/20).
    const int most = hanLine ? 7 : 6;
    const bool small =
        dot.height() * 20 <= height * most && dot.width() * 20 <= height * most && dot.height() * 20 >= height * 3;
    // How far up the line the speck's middle stands: a full stop sits on the
    // line, an apostrophe hangs at the letters' top.
    const double up = double(baseline - (dot.top() + dot.bottom() + 1) / 2.0) / height;
    return round && small && up > 0.18 && up < 0.6 ? QChar(0x00B7) : read;
}

SignRoom signRoomFromInk(const QImage& gray, const QRect& line, const QRect& box)
{
    const QRect area = line & gray.rect();
    if (gray.format() != QImage::Format_Grayscale8 || area.isEmpty()) return SignRoom::Unknown;
    const int darkest = darkestIn(gray, area);
    if (darkest > 160) return SignRoom::Unknown;
    const int threshold = (darkest + 255) / 2;
    // Per column of the line: the first and last row of ink in it.
    struct Column {
        int top = -1;
        int bottom = -1;
    };
    std::vector<Column> columns(size_t(area.width()));
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* row = gray.constScanLine(y);
        for (int x = area.left(); x <= area.right(); ++x)
            if (row[x] < threshold) {
                Column& c = columns[size_t(x - area.left())];
                if (c.top < 0) c.top = y;
                c.bottom = y;
            }
    }
    struct Run {
        int left;
        int right;
        int top;
        int bottom;
    };
    std::vector<Run> runs;
    for (int x = area.left(); x <= area.right(); ++x) {
        const Column& c = columns[size_t(x - area.left())];
        if (c.top < 0) continue;
        if (!runs.empty() && runs.back().right == x - 1) {
            Run& run = runs.back();
            run.right = x;
            run.top = std::min(run.top, c.top);
            run.bottom = std::max(run.bottom, c.bottom);
        } else {
            runs.push_back({x, x, c.top, c.bottom});
        }
    }
    // The sign's ink: the run narrow against its neighbours' height that the
    // engine's box covers most. The characters on both sides give the size
    // of the face (not the line, which may hold an icon).
    const QRect near = box.adjusted(-1, 0, 1, 0);
    int sign = -1;
    int best = 0;
    int height = 0;
    for (int k = 1; k + 1 < int(runs.size()); ++k) {
        const Run& run = runs[size_t(k)];
        const int overlap = std::min(run.right, near.right()) - std::max(run.left, near.left()) + 1;
        const int beside = std::max(runs[size_t(k) - 1].bottom - runs[size_t(k) - 1].top,
                                    runs[size_t(k) + 1].bottom - runs[size_t(k) + 1].top) +
                           1;
        if ((run.right - run.left + 1) * 4 > beside || overlap <= best) continue;
        best = overlap;
        sign = k;
        height = beside;
    }
    if (sign < 0 || height < 8) return SignRoom::Unknown;
    // From the ink before the sign to the ink after it; beyond two ems it
    // is no sign between two pieces of one text.
    const int room = runs[size_t(sign) + 1].left - runs[size_t(sign) - 1].right - 1;
    if (room > 2 * height) return SignRoom::Unknown;
    if (room * 20 >= height * 19) return SignRoom::FullWidth;
    return room * 50 >= height * 29 ? SignRoom::AsciiSpaced : SignRoom::AsciiTight;
}

bool isMagnifierInk(const QImage& gray, const QRect& box)
{
    if (gray.format() != QImage::Format_Grayscale8 || box.width() < 6 || box.height() < 6) return false;
    // Room around the engine's box, which may leave out the soft edge or the
    // handle's end.
    const QRect area = box.adjusted(-2, -2, box.height() / 2, box.height() / 2) & gray.rect();
    std::vector<int> labels;
    const std::vector<Speck> specks = specksIn(gray, area, &labels);
    // The sign's ink: the largest speck in the box, with little else in it.
    const auto largest = std::max_element(specks.begin(), specks.end(), [&](const Speck& a, const Speck& b) {
        return (a.box.intersects(box) ? a.pixels : 0) < (b.box.intersects(box) ? b.pixels : 0);
    });
    if (largest == specks.end() || !largest->box.intersects(box)) return false;
    const int sign = int(largest - specks.begin()) + 1;
    int others = 0;
    for (const Speck& s : specks)
        if (&s != &*largest && s.pixels > 2 && s.box.intersects(box)) others += s.pixels;
    if (others * 8 > largest->pixels) return false;
    const int w = area.width();
    const auto labelAt = [&](int x, int y) {
        return area.contains(x, y) ? labels[size_t(y - area.top()) * w + size_t(x - area.left())] : 0;
    };
    const auto inkAt = [&](int x, int y) { return labelAt(x, y) == sign; };

    // The ground inside the frame about the sign's ink, in pieces joined
    // four ways (as the ink joins eight ways): the piece the frame's edge is
    // in goes round the sign, the others are holes in it.
    const QRect frame = largest->box.adjusted(-1, -1, 1, 1);
    std::vector<char> reached(size_t(frame.width()) * size_t(frame.height()), 0);
    const auto index = [&](const QPoint& p) {
        return size_t(p.y() - frame.top()) * size_t(frame.width()) + size_t(p.x() - frame.left());
    };
    std::vector<QPoint> stack;
    const auto fill = [&](const QPoint& from, QRect& piece, bool& filled) {
        int pixels = 0;
        stack.assign(1, from);
        reached[index(from)] = 1;
        while (!stack.empty()) {
            const QPoint p = stack.back();
            stack.pop_back();
            piece |= QRect(p, QSize(1, 1));
            ++pixels;
            filled = filled || labelAt(p.x(), p.y()) != 0;
            for (const QPoint& q : {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)}) {
                if (!frame.contains(q) || reached[index(q)] || inkAt(q.x(), q.y())) continue;
                reached[index(q)] = 1;
                stack.push_back(q);
            }
        }
        return pixels;
    };
    QRect around;
    bool ignored = false;
    fill(frame.topLeft(), around, ignored);
    // One hole of note, with no other ink inside it; a pixel or two left out
    // of the ring's smoothing is none.
    QRect hole;
    int holes = 0;
    for (int y = frame.top(); y <= frame.bottom(); ++y)
        for (int x = frame.left(); x <= frame.right(); ++x) {
            if (reached[index(QPoint(x, y))] || inkAt(x, y)) continue;
            QRect piece;
            bool filled = false;
            if (fill(QPoint(x, y), piece, filled) <= 2) continue;
            if (filled || ++holes > 1) return false;
            hole = piece;
        }
    if (holes != 1 || hole.width() < 3 || hole.height() < 3) return false;
    if (hole.width() * 3 > hole.height() * 4 || hole.height() * 3 > hole.width() * 4) return false;

    // From the hole's middle out in eight ways: how far the ground reaches,
    // and then how far the ink.
    const double cx = hole.left() + (hole.width() - 1) / 2.0;
    const double cy = hole.top() + (hole.height() - 1) / 2.0;
    struct Ray {
        double ground = 0;
        double ink = 0;
    };
    const auto cast = [&](int dx, int dy) {
        const double unit = 0.5 / std::hypot(double(dx), double(dy));  // half a pixel's step
        const auto point = [&](int k) {
            return QPoint(int(std::lround(cx + k * unit * dx)), int(std::lround(cy + k * unit * dy)));
        };
        const auto at = [&](int k) { return inkAt(point(k).x(), point(k).y()); };
        int k = 0;
        while (area.contains(point(k)) && !at(k)) ++k;
        int n = 0;
        while (at(k + n)) ++n;
        return Ray{k * 0.5, n * 0.5};
    };
    const int ways[8][2] = {{1, 0}, {1, -1}, {0, -1}, {-1, -1}, {-1, 0}, {-1, 1}, {0, 1}, {1, 1}};
    std::vector<Ray> rays;
    for (const auto& way : ways) rays.push_back(cast(way[0], way[1]));
    const Ray handle = rays.back();  // to the lower right
    rays.pop_back();
    std::vector<double> strokes;
    double nearest = rays.front().ground;
    double farthest = nearest;
    double reach = 0;
    for (const Ray& r : rays) {
        strokes.push_back(r.ink);
        nearest = std::min(nearest, r.ground);
        farthest = std::max(farthest, r.ground);
        reach += r.ground / double(rays.size());
    }
    std::sort(strokes.begin(), strokes.end());
    const double stroke = strokes[strokes.size() / 2];
    // The ring is round: its hole reaches about as far every way, and as
    // far to the handle, which only touches it (a "Q"'s tail may cut into it).
    if (farthest - nearest > std::max(2.0, 0.3 * farthest) || handle.ground < 0.65 * reach) return false;
    // Its stroke is as thick all round: a tail that hangs from its bottom or
    // its side is no handle either.
    if (strokes.back() > std::max(stroke * 1.6, stroke + 2)) return false;
    // The handle leaves it at the lower right, out by half the hole's width.
    const double diameter = (hole.width() + hole.height()) / 2.0;
    if (handle.ink < 2 * stroke || handle.ink - stroke < diameter / 2) return false;
    // It runs on the slant, out beyond the ring's side as far as beyond its
    // bottom ("9", "g" and "q" go on straight down), and all else of the
    // ink is the ring.
    const int thick = int(std::lround(stroke));
    const QRect ring = hole.adjusted(-thick - 1, -thick - 1, thick + 1, thick + 1);
    QRect beyond;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!inkAt(x, y) || ring.contains(x, y)) continue;
            if (x <= ring.center().x() || y <= ring.center().y()) return false;
            beyond |= QRect(x, y, 1, 1);
        }
    const int right = beyond.right() - ring.right();
    const int down = beyond.bottom() - ring.bottom();
    const int least = std::max(2, int(diameter / 4));
    return right >= least && down >= least && right * 2 >= down && down * 2 >= right;
}

}  // namespace klipo::platform
