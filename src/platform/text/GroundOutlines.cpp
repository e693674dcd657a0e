#include "platform/text/GroundOutlines.h"

#include <algorithm>
#include <vector>

namespace klipo::platform {

namespace {

constexpr int kSameColour = 8;   // colours this close are one ground
constexpr int kGroundStep = 20;  // two grounds closer than a mark's step leave no outline

}  // namespace

void keepLettersOffGroundOutline(PageMarks& marks, const QImage& gray, const QImage& colour, const QRect& box,
                                 const MarkPixel* pixels, size_t count, int textHeight)
{
    const QRect page(0, 0, marks.w, marks.h);
    const QImage& picture = colour.isNull() ? gray : colour;
    const auto pixel = [&](int x, int y) { return colourAt(picture, x, y); };
    // The ground around the cluster, on the ring just outside it.
    ColourTally ring(kSameColour);
    const QRect around = box.adjusted(-1, -1, 1, 1);
    for (int x = around.left(); x <= around.right(); ++x)
        for (const int y : {around.top(), around.bottom()})
            if (page.contains(x, y)) ring.add(pixel(x, y));
    for (int y = around.top() + 1; y < around.bottom(); ++y)
        for (const int x : {around.left(), around.right()})
            if (page.contains(x, y)) ring.add(pixel(x, y));
    if (ring.empty()) return;
    const QRgb outer = ring.mostCommon();
    // Its own ground: the colour most common beside its marks, off the outer one.
    ColourTally beside(kSameColour);
    const int steps[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (size_t i = 0; i < count; ++i)
        for (const auto& s : steps) {
            const int x = pixels[i].x + s[0];
            const int y = pixels[i].y + s[1];
            if (!page.contains(x, y) || marks.at(x, y) != PageMarks::none) continue;
            if (const QRgb c = pixel(x, y); colourDistance(c, outer) > kGroundStep) beside.add(c);
        }
    if (beside.empty()) return;
    const QRgb inner = beside.mostCommon();
    const int apart = colourDistance(inner, outer);
    if (apart <= kGroundStep) return;
    // A mark of the outline stands where a pixel between the two grounds
    // meets another as far from it as a mark tells; a letter's marks meet ink.
    const int slack = std::max(12, apart / 4);
    const auto onTheWay = [&](int x, int y) {
        return page.contains(x, y) && offTheWay(pixel(x, y), outer, inner) <= slack;
    };
    std::vector<char> outline(count, 0);
    int onOutline = 0;
    QRect outlineBox;
    for (size_t i = 0; i < count; ++i) {
        const int x = pixels[i].x;
        const int y = pixels[i].y;
        if (!onTheWay(x, y)) continue;
        const QRgb c = pixel(x, y);
        for (const auto& s : steps)
            if (onTheWay(x + s[0], y + s[1]) &&
                colourDistance(c, pixel(x + s[0], y + s[1])) > std::max(kGroundStep, apart / 2)) {
                outline[i] = 1;
                break;
            }
        if (outline[i]) {
            ++onOutline;
            outlineBox |= QRect(x, y, 1, 1);
        }
    }
    // The outline runs around most of the ground it bounds, and that ground
    // fills much of what it bounds; else the cluster is a frame drawn in
    // ink, whole (the edge of a field's border, around a ground like the
    // one outside).
    if (onOutline == 0 || onOutline < outlineBox.width() + outlineBox.height()) return;
    // Nor is a picture's edge: what is not of its ground inside is ink, next
    // to a mark, not patches of other colours.
    const QRect inside = outlineBox.adjusted(2, 2, -2, -2);
    const auto nearMark = [&](int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (page.contains(x + dx, y + dy) && marks.at(x + dx, y + dy) != PageMarks::none) return true;
        return false;
    };
    int filled = 0;
    int patches = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (colourDistance(pixel(x, y), inner) <= slack)
                ++filled;
            else
                patches += !nearMark(x, y);
        }
    const int area = inside.width() * inside.height();
    if (inside.isEmpty() || filled * 3 < area || patches * 10 > area) return;
    // A highlight behind words, hardly taller than their ink, is no rule
    // either: the words on it and beside it are one line. A badge's disc,
    // a tag or a bubble stands well clear of the text on it; a tag's
    // words may be of the ground around it (white on a coloured pill).
    int top = inside.bottom() + 1;
    int bottom = inside.top() - 1;
    int farthest = 0;  // how far the ink on the ground is from the ground around it
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (const std::uint8_t v = marks.at(x, y); v != PageMarks::none && v != PageMarks::structure) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                farthest = std::max(farthest, offTheWay(pixel(x, y), outer, inner));
            }
    const int ink = bottom - top + 1;
    const bool wordGround = ink > 0 && outlineBox.height() * 4 <= ink * 7 && outlineBox.height() <= 2 * textHeight &&
                            farthest > 2 * kGroundStep;
    // A letter's marks lie on the edge of its ink, away from the outline
    // (where a line drawn along the ground's edge runs); the rest of the
    // cluster (the outline's soft corners, such a line) goes with the outline.
    const QRect sides = outlineBox.adjusted(-1, -1, 1, 1);
    const auto letter = [&](int x, int y) {
        if (sides.contains(x, y) && !inside.contains(x, y)) return false;
        if (!onTheWay(x, y)) return true;
        for (const auto& s : steps)
            if (page.contains(x + s[0], y + s[1]) && !onTheWay(x + s[0], y + s[1])) return true;
        return false;
    };
    for (size_t i = 0; i < count; ++i) {
        const int x = pixels[i].x;
        const int y = pixels[i].y;
        if (marks.at(x, y) != PageMarks::structure) continue;  // a badge's text, given back already
        marks.at(x, y) = letter(x, y) && !outline[i] ? PageMarks::text
                         : wordGround                ? PageMarks::none
                                                     : PageMarks::structure;
    }
}

}  // namespace klipo::platform
