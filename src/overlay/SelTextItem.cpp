#include "overlay/SelTextItem.h"

#include "recognition/ImageRenderer.h"
#include "recognition/TextUnits.h"

#include <algorithm>
#include <cmath>

namespace klipo {

namespace {

constexpr qreal kUnset = -1;

void raiseToLeftNeighbour(std::vector<qreal>& edges)
{
    for (size_t i = 1; i < edges.size(); ++i) edges[i] = std::max(edges[i], edges[i - 1]);
}

// Lays chars [from, to) between two x positions in the font's proportions:
// edges from+1 .. to-1 are filled, edge `to` becomes `right`.
void spread(const std::vector<QString>& chars, int from, int to, qreal left, qreal right, const QFont& font,
            std::vector<qreal>& edges)
{
    QString piece;
    for (int i = from; i < to; ++i) piece += chars[size_t(i)];
    const SelTextItem laid = SelTextItem::make(piece, QRectF(left, 0, std::max<qreal>(right - left, 0), 1), font,
                                               std::nullopt, true, std::nullopt, -1);
    for (int i = from + 1; i <= to; ++i) edges[size_t(i)] = laid.charEdges[size_t(i - from)];
    edges[size_t(to)] = std::max(right, left);
}

}  // namespace

int SelTextItem::charIndex(qreal x) const
{
    const int n = charCount();
    if (n == 0 || charEdges.empty()) return 0;
    if (x <= charEdges.front()) return 0;
    if (x >= charEdges[size_t(n)]) return n;
    // Edges never decrease: the nearest is one of the two around x.
    const auto above = std::lower_bound(charEdges.begin(), charEdges.begin() + n + 1, x);
    const int i = int(above - charEdges.begin());
    return (x - charEdges[size_t(i - 1)] <= charEdges[size_t(i)] - x) ? i - 1 : i;
}

SelTextItem SelTextItem::make(const QString& text, const QRectF& rect, const QFont& font, std::optional<qreal> originX,
                              bool stretchToWidth, std::optional<qreal> clipMaxX, int blockID)
{
    SelTextItem item;
    item.text = text;
    item.chars = graphemes(text);
    item.rect = rect;
    item.clipMaxX = clipMaxX.value_or(rect.right());
    item.blockID = blockID;
    item.bandMinY = rect.top();  // bottom-left space: top() is the lowest edge
    item.bandMaxY = rect.bottom();
    const qreal x0 = originX.value_or(rect.left());
    if (item.chars.empty()) {
        item.charEdges = {x0};
        return item;
    }
    std::vector<qreal> offsets = ImageRenderer::characterOffsets(text, font);
    raiseToLeftNeighbour(offsets);
    qreal scale = 1;
    if (stretchToWidth && offsets.back() > 0.5 && rect.width() > 0) scale = rect.width() / offsets.back();
    item.charEdges.reserve(offsets.size());
    for (qreal offset : offsets) item.charEdges.push_back(x0 + scale * offset);
    return item;
}

SelTextItem SelTextItem::makeAnchored(const QString& text, const QRectF& rect, const std::vector<TextAnchor>& anchors,
                                      const QFont& font, int blockID)
{
    SelTextItem item = make(text, rect, font, std::nullopt, true, std::nullopt, blockID);
    const int n = item.charCount();
    if (n == 0) return item;

    std::vector<qreal> edges(size_t(n) + 1, kUnset);
    for (const TextAnchor& anchor : anchors) {
        const int lo = int(std::max<std::int64_t>(anchor.start, 0));
        const int hi = int(std::min<std::int64_t>(anchor.end, n));
        if (lo >= hi) continue;
        QString word;
        for (int i = lo; i < hi; ++i) word += item.chars[size_t(i)];
        const SelTextItem piece = make(word, anchor.rect, font, std::nullopt, true, std::nullopt, -1);
        for (int i = lo; i <= hi; ++i) edges[size_t(i)] = piece.charEdges[size_t(i - lo)];
    }

    // Characters between the word boxes share the room between them; those
    // before the first box start at the line's left edge, those after the
    // last reach its right edge.
    if (edges.front() < 0) edges.front() = rect.left();
    for (int i = 0; i < n;) {
        int j = i + 1;  // the next boundary a word box placed
        while (j <= n && edges[size_t(j)] < 0) ++j;
        if (j > n)
            spread(item.chars, i, n, edges[size_t(i)], std::max(rect.right(), edges[size_t(i)]), font, edges);
        else if (j > i + 1)
            spread(item.chars, i, j, edges[size_t(i)], edges[size_t(j)], font, edges);
        i = j;
    }
    raiseToLeftNeighbour(edges);
    item.charEdges = std::move(edges);

    qreal minY = rect.top();
    qreal maxY = rect.bottom();
    if (!anchors.empty()) {
        minY = anchors.front().rect.top();
        maxY = anchors.front().rect.bottom();
        for (const TextAnchor& anchor : anchors) {
            minY = std::min(minY, anchor.rect.top());
            maxY = std::max(maxY, anchor.rect.bottom());
        }
    }
    const qreal pad = (maxY - minY) * 0.12;
    item.bandMinY = std::max(minY - pad, rect.top());
    item.bandMaxY = std::min(maxY + pad, rect.bottom());
    if (item.bandMaxY - item.bandMinY < 0.4 * rect.height()) {
        item.bandMinY = rect.top();
        item.bandMaxY = rect.bottom();
    }
    return item;
}

}  // namespace klipo
