#include "scroll/CanvasRowIndex.h"

#include <algorithm>
#include <map>

namespace klipo::stitch {

std::optional<uint64_t> rowKey(const uint8_t* row, int width)
{
    if (width < 1) return std::nullopt;
    const auto [lo, hi] = std::minmax_element(row, row + width);
    if (*hi - *lo <= 1) return std::nullopt;
    return bytesKey(row, width);
}

void CanvasRowIndex::add(const GrayFrame& frame, int y)
{
    for (int r = std::max(0, m_end - y); r < frame.height; ++r) {
        const std::optional<uint64_t> key = rowKey(frame.row(r), frame.width);
        if (!key) continue;
        std::vector<int>& places = m_rows[*key];
        // Past the limit it tells nothing: one more place is as good as any.
        if (int(places.size()) <= placesToIgnore) places.push_back(y + r);
    }
    m_end = std::max(m_end, y + frame.height);
}

std::optional<int> CanvasRowIndex::seenAt(const GrayFrame& frame) const
{
    std::unordered_map<uint64_t, int> inFrame;
    std::vector<std::pair<int, uint64_t>> keyed;
    for (int r = 0; r < frame.height; ++r) {
        const std::optional<uint64_t> key = rowKey(frame.row(r), frame.width);
        if (!key) continue;
        ++inFrame[*key];
        keyed.push_back({r, *key});
    }
    int telling = 0;
    std::map<int, int> votes;
    for (const auto& [r, key] : keyed) {
        if (inFrame[key] != 1) continue;
        ++telling;
        const auto found = m_rows.find(key);
        if (found == m_rows.end() || int(found->second.size()) > placesToIgnore) continue;
        for (int place : found->second) ++votes[place - r];
    }
    int best = 0;
    std::optional<int> at;
    for (const auto& [place, count] : votes)
        if (count > best) {
            best = count;
            at = place;
        }
    if (!at || best < leastAgreeing || 2 * best < telling) return std::nullopt;
    return at;
}

}  // namespace klipo::stitch
