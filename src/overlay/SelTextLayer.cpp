#include "overlay/SelTextLayer.h"

#include "recognition/TextUnits.h"

#include <QChar>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace klipo {

namespace {

// Layer space is y up: an item's lowest edge is rect.top(), its highest rect.bottom().
qreal minY(const QRectF& r) { return r.top(); }
qreal maxY(const QRectF& r) { return r.bottom(); }

char32_t lastScalar(const QString& text)
{
    if (text.isEmpty()) return 0;
    const QList<uint> scalars = text.right(2).toUcs4();
    return scalars.isEmpty() ? 0 : char32_t(scalars.back());
}

bool joinsDirectly(char32_t c)
{
    const QChar::Script script = QChar::script(c);
    return script == QChar::Script_Han || script == QChar::Script_Hiragana || script == QChar::Script_Katakana;
}

bool isWordCharacter(const QString& ch)
{
    const char32_t c = firstScalar(ch);
    return QChar::isLetterOrNumber(c) && !QChar::isSpace(c);
}

}  // namespace

std::optional<SelTextPosition> SelTextLayer::position(QPointF p) const
{
    if (m_items.empty()) return std::nullopt;
    const qreal x = p.x();
    const qreal y = p.y();
    std::optional<int> best;
    qreal bestDistance = 0;
    for (int i = 0; i < int(m_items.size()); ++i) {
        const QRectF& r = m_items[size_t(i)].rect;
        if (y < minY(r) || y > maxY(r)) continue;
        const qreal distance = x < r.left() ? r.left() - x : (x > r.right() ? x - r.right() : 0);
        if (!best || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    if (best) return SelTextPosition{*best, m_items[size_t(*best)].charIndex(x)};

    if (y > maxY(m_items.front().rect)) return SelTextPosition{0, 0};
    const int last = int(m_items.size()) - 1;
    if (y < minY(m_items.back().rect)) return SelTextPosition{last, m_items.back().charCount()};
    int nearest = 0;
    qreal nearestDistance = 0;
    for (int i = 0; i < int(m_items.size()); ++i) {
        const QRectF& r = m_items[size_t(i)].rect;
        const qreal distance = std::min(std::abs(y - minY(r)), std::abs(y - maxY(r)));
        if (i == 0 || distance < nearestDistance) {
            nearest = i;
            nearestDistance = distance;
        }
    }
    return SelTextPosition{nearest, m_items[size_t(nearest)].charIndex(x)};
}

void SelTextLayer::selectWord(QPointF p)
{
    const auto at = position(p);
    if (!at || at->line < 0 || at->line >= int(m_items.size())) return;
    const SelTextItem& item = m_items[size_t(at->line)];
    if (item.charCount() == 0) return;
    const int i = std::min(item.charCount() - 1, at->character);
    if (!isWordCharacter(item.chars[size_t(i)])) {
        m_anchor = SelTextPosition{at->line, i};
        m_focus = SelTextPosition{at->line, i + 1};
        return;
    }
    int start = i;
    int end = i + 1;
    while (start > 0 && isWordCharacter(item.chars[size_t(start - 1)])) --start;
    while (end < item.charCount() && isWordCharacter(item.chars[size_t(end)])) ++end;
    m_anchor = SelTextPosition{at->line, start};
    m_focus = SelTextPosition{at->line, end};
}

void SelTextLayer::selectLine(QPointF p)
{
    const auto at = position(p);
    if (!at || at->line < 0 || at->line >= int(m_items.size())) return;
    m_anchor = SelTextPosition{at->line, 0};
    m_focus = SelTextPosition{at->line, m_items[size_t(at->line)].charCount()};
}

void SelTextLayer::selectAll()
{
    if (m_items.empty()) return;
    m_anchor = SelTextPosition{0, 0};
    m_focus = SelTextPosition{int(m_items.size()) - 1, m_items.back().charCount()};
}

QString SelTextLayer::selectedText() const
{
    if (!hasSelection()) return {};
    const SelTextPosition start = std::min(*m_anchor, *m_focus);
    const SelTextPosition end = std::max(*m_anchor, *m_focus);
    std::vector<std::pair<const SelTextItem*, QString>> pieces;
    for (int line = std::max(start.line, 0); line <= end.line && line < int(m_items.size()); ++line) {
        const SelTextItem& item = m_items[size_t(line)];
        const int n = item.charCount();
        const int lo = line == start.line ? start.character : 0;
        const int hi = line == end.line ? end.character : n;
        const int a = std::max(std::min(lo, hi), 0);
        const int b = std::min(std::max(lo, hi), n);
        if (a >= b) continue;
        QString piece;
        for (int i = a; i < b; ++i) piece += item.chars[size_t(i)];
        pieces.emplace_back(&item, piece);
    }
    return joinPieces(pieces);
}

QString SelTextLayer::allText() const
{
    std::vector<std::pair<const SelTextItem*, QString>> pieces;
    for (const SelTextItem& item : m_items) pieces.emplace_back(&item, item.text);
    return joinPieces(pieces);
}

std::vector<QRectF> SelTextLayer::selectionRects() const
{
    std::vector<QRectF> rects;
    if (!hasSelection()) return rects;
    const SelTextPosition start = std::min(*m_anchor, *m_focus);
    const SelTextPosition end = std::max(*m_anchor, *m_focus);
    auto add = [&rects](const SelTextItem& item, int a, int b) {
        const qreal x0 = std::min(item.clipMaxX, item.charEdges[size_t(a)]);
        const qreal x1 = std::min(item.clipMaxX, item.charEdges[size_t(b)]);
        if (x1 - x0 > 0.01) rects.emplace_back(x0, item.bandMinY, x1 - x0, item.bandMaxY - item.bandMinY);
    };
    if (start.line >= 0 && start.line < int(m_items.size())) {
        const SelTextItem& item = m_items[size_t(start.line)];
        const int n = item.charCount();
        const int hi = start.line == end.line ? end.character : n;
        const int a = std::max(std::min(hi, start.character), 0);
        const int b = std::min(std::max(hi, start.character), n);
        if (a < b) add(item, a, b);
        if (start.line == end.line) return rects;
    }
    for (int line = std::max(start.line + 1, 0); line <= end.line && line < int(m_items.size()); ++line) {
        const SelTextItem& item = m_items[size_t(line)];
        const int hi = std::clamp(line == end.line ? end.character : item.charCount(), 0, item.charCount());
        if (hi >= 1) add(item, 0, hi);
    }
    return rects;
}

std::vector<SelTextItem> SelTextLayer::sortedByReadingOrder(std::vector<SelTextItem> items)
{
    // Top first by the middle of each item; equal middles keep their order.
    std::vector<size_t> order(items.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&items](size_t a, size_t b) {
        return items[a].rect.center().y() > items[b].rect.center().y();
    });

    struct Row {
        qreal low, high;
        std::vector<size_t> members;
    };
    std::vector<Row> rows;
    for (size_t i : order) {
        const QRectF& r = items[i].rect;
        if (!rows.empty()) {
            Row& row = rows.back();
            const qreal overlap = std::min(row.high, maxY(r)) - std::max(row.low, minY(r));
            if (overlap > 0.5 * std::min(row.high - row.low, r.height())) {
                row.low = std::min(row.low, minY(r));
                row.high = std::max(row.high, maxY(r));
                row.members.push_back(i);
                continue;
            }
        }
        rows.push_back({minY(r), maxY(r), {i}});
    }

    std::vector<SelTextItem> sorted;
    sorted.reserve(items.size());
    for (Row& row : rows) {
        std::stable_sort(row.members.begin(), row.members.end(),
                         [&items](size_t a, size_t b) { return items[a].rect.left() < items[b].rect.left(); });
        for (size_t i : row.members) sorted.push_back(std::move(items[i]));
    }
    return sorted;
}

QString SelTextLayer::joinPieces(const std::vector<std::pair<const SelTextItem*, QString>>& pieces)
{
    QString result;
    std::optional<int> previousBlock;
    for (const auto& [item, text] : pieces) {
        if (result.isEmpty()) {
            result = text;
        } else if (previousBlock && item->blockID == *previousBlock && item->blockID >= 0) {
            if (joinsDirectly(lastScalar(result))) {
                result += text;
            } else if (result.endsWith(QLatin1Char('-'))) {
                result.chop(1);
                result += text;
            } else {
                result += QLatin1Char(' ') + text;
            }
        } else {
            result += QLatin1Char('\n') + text;
        }
        previousBlock = item->blockID;
    }
    return result;
}

}  // namespace klipo
