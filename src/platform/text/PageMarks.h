#pragma once

#include <QImage>
#include <QRect>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

namespace klipo::platform {

// How far two colours are apart: their largest difference in one channel.
inline int colourDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

// Colours counted, each within `near` of one counted before taken as that one.
class ColourTally {
public:
    explicit ColourTally(int near = 8) : m_near(near) {}
    void add(QRgb c)
    {
        auto it = std::find_if(m_seen.begin(), m_seen.end(),
                               [&](const auto& s) { return colourDistance(s.first, c) <= m_near; });
        if (it == m_seen.end())
            m_seen.emplace_back(c, 1);
        else
            ++it->second;
    }
    bool empty() const { return m_seen.empty(); }
    // The most common (the first seen of those as common); only when not empty.
    QRgb mostCommon() const
    {
        return std::max_element(m_seen.begin(), m_seen.end(), [](const auto& a, const auto& b) {
                   return a.second < b.second;
               })->first;
    }

private:
    int m_near;
    std::vector<std::pair<QRgb, int>> m_seen;
};

// A pixel's colour in a picture that is grey (Format_Grayscale8) or RGB32.
inline QRgb colourAt(const QImage& picture, int x, int y)
{
    if (picture.format() == QImage::Format_Grayscale8) return 0xff000000u | 0x010101u * picture.constScanLine(y)[x];
    return reinterpret_cast<const QRgb*>(picture.constScanLine(y))[x] | 0xff000000u;
}

// How far `c` is from the colours between `a` and `b` (where the soft edge
// between two grounds lies), in the largest channel.
inline int offTheWay(QRgb c, QRgb a, QRgb b)
{
    const double d[3] = {double(qRed(b) - qRed(a)), double(qGreen(b) - qGreen(a)), double(qBlue(b) - qBlue(a))};
    const double v[3] = {double(qRed(c) - qRed(a)), double(qGreen(c) - qGreen(a)), double(qBlue(c) - qBlue(a))};
    const double length = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    const double t = length > 0 ? std::clamp((v[0] * d[0] + v[1] * d[1] + v[2] * d[2]) / length, 0.0, 1.0) : 0.0;
    double off = 0;
    for (int i = 0; i < 3; ++i) off = std::max(off, std::abs(v[i] - t * d[i]));
    return int(off);
}

// A colour's cell of 16 levels a channel (0..4095), for counting colours.
inline int colourCell(QRgb c) { return (qRed(c) >> 4) << 8 | (qGreen(c) >> 4) << 4 | qBlue(c) >> 4; }

// Every pixel where a picture changes: letters give many small clusters of
// them, frames and rules long straight runs. Marks start as text and become
// structure once found to be a frame, border or rule.
class PageMarks {
public:
    static constexpr std::uint8_t none = 0;
    static constexpr std::uint8_t text = 1;
    static constexpr std::uint8_t structure = 2;
    // Marks of a window or pop-up already read on its own: what lies
    // around it is read as if it were not there.
    static constexpr std::uint8_t hiddenText = 4;
    static constexpr std::uint8_t hiddenStructure = 5;
    // Marks of large letters, whose strokes are as long as a short frame
    // side, while straight runs are looked for.
    static constexpr std::uint8_t held = 6;
    // Marks of a picture (a photograph, a drawing): never read, no frame or
    // rule, but it stands beside text as text does.
    static constexpr std::uint8_t picture = 7;

    // `colour` (RGB32, may be null): an edge in any of its channels counts,
    // so that text of any colour is seen, however close its grey is to the
    // background's (yellow on white).
    PageMarks(const QImage& gray, const QImage& colour);

    std::uint8_t& at(int x, int y) { return m[size_t(y) * size_t(w) + size_t(x)]; }
    std::uint8_t at(int x, int y) const { return m[size_t(y) * size_t(w) + size_t(x)]; }
    // Marks of kind `from` inside `box` (clipped to the page) become `to`.
    void relabel(const QRect& box, std::uint8_t from, std::uint8_t to)
    {
        const QRect r = box & QRect(0, 0, w, h);
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (at(x, y) == from) at(x, y) = to;
    }

    const int w;
    const int h;
    std::vector<std::uint8_t> m;
};

// One cluster of text marks (8-connected).
struct MarkCluster {
    QRect box;
    int count = 0;
    int rim = 0;  // marks within two pixels of the box's sides (all of a frame's, few of a letter's)
};

// One pixel of the marks.
struct MarkPixel {
    int x;
    int y;
};

// The clusters of text marks in the order markEachCluster() walks them,
// each with its pixels: marks walked twice unchanged are walked once.
struct GatheredClusters {
    std::vector<MarkCluster> clusters;
    std::vector<MarkPixel> pixels;  // those of each cluster in turn
    std::vector<size_t> ends;       // where each cluster's pixels end
};
// Leaves the marks as they were.
GatheredClusters gatherClusters(PageMarks& marks);

// Walks the clusters of text marks; those `isStructure` picks become
// structure. Returns the others.
std::vector<MarkCluster> markClusters(PageMarks& marks, const std::function<bool(const MarkCluster&)>& isStructure);

// Walks the clusters of text marks; each takes the mark `markOf` gives it:
// text, structure, or held (no straight run goes through it; releaseHeld()
// makes it text again). Returns those left text.
std::vector<MarkCluster> markEachCluster(PageMarks& marks,
                                         const std::function<std::uint8_t(const MarkCluster&)>& markOf);
// The same over the clusters gathered on these marks, unchanged since.
std::vector<MarkCluster> markEachCluster(PageMarks& marks, const GatheredClusters& gathered,
                                         const std::function<std::uint8_t(const MarkCluster&)>& markOf);
void releaseHeld(PageMarks& marks);

// Straight runs of marks at least this long across or down become structure:
// no stroke of a letter is that long, but for large letters (hold them).
void markStraightRuns(PageMarks& marks, int longestAcross, int longestDown);

// The height most letters reach: clusters are whole words in Latin but often
// single strokes and radicals in Chinese, so the median says too little;
// three quarters of them are no taller than the text.
int typicalHeight(std::vector<int> heights, int fallback);

// The height of the text among clusters that are also icons and pictures:
// where they are many (a grid of files, each a tall icon over a short name)
// they make a quarter of the clusters, and the typical height would be
// theirs, over two and a half times the median. Those as tall are then left
// out.
int textHeightAmong(std::vector<int> heights, int fallback);

}  // namespace klipo::platform
