#pragma once

#include <QImage>
#include <QRect>

#include <cstdint>
#include <functional>
#include <vector>

namespace klipo::platform {

// Every pixel where a picture changes: letters give many small clusters of
// them, frames and rules long straight runs. Marks start as text and become
// structure once found to be a frame, border or rule.
class PageMarks {
public:
    static constexpr std::uint8_t none = 0;
    static constexpr std::uint8_t text = 1;
    static constexpr std::uint8_t structure = 2;

    explicit PageMarks(const QImage& gray);

    std::uint8_t& at(int x, int y) { return m[size_t(y) * size_t(w) + size_t(x)]; }
    std::uint8_t at(int x, int y) const { return m[size_t(y) * size_t(w) + size_t(x)]; }

    const int w;
    const int h;
    std::vector<std::uint8_t> m;
};

// One cluster of text marks (8-connected).
struct MarkCluster {
    QRect box;
    int count = 0;
};

// Walks the clusters of text marks; those `isStructure` picks become
// structure. Returns the others.
std::vector<MarkCluster> markClusters(PageMarks& marks, const std::function<bool(const MarkCluster&)>& isStructure);

// Straight runs of marks at least this long across or down become structure:
// no stroke of a letter is that long.
void markStraightRuns(PageMarks& marks, int longestAcross, int longestDown);

// The height most letters reach: clusters are whole words in Latin but often
// single strokes and radicals in Chinese, so the median says too little;
// three quarters of them are no taller than the text.
int typicalHeight(std::vector<int> heights, int fallback);

}  // namespace klipo::platform
