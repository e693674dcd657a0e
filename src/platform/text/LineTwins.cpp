#include "platform/text/LineTwins.h"

#include <QHash>

#include <cstring>
#include <unordered_map>

namespace klipo::platform {

namespace {

// Whether two lines of equal size are alike in every pixel the engine is given.
bool samePixels(const QImage& page, const PageLayout& layout, const QRect& a, const QRect& b)
{
    const size_t bytes = size_t(a.width()) * size_t(page.depth() / 8);
    const size_t offsetA = size_t(a.left()) * size_t(page.depth() / 8);
    const size_t offsetB = size_t(b.left()) * size_t(page.depth() / 8);
    for (int dy = 0; dy < a.height(); ++dy) {
        if (std::memcmp(page.constScanLine(a.top() + dy) + offsetA, page.constScanLine(b.top() + dy) + offsetB,
                        bytes) != 0)
            return false;
        const char* structureA = &layout.structure[size_t(a.top() + dy) * size_t(layout.width) + size_t(a.left())];
        const char* structureB = &layout.structure[size_t(b.top() + dy) * size_t(layout.width) + size_t(b.left())];
        if (std::memcmp(structureA, structureB, size_t(a.width())) != 0) return false;
    }
    return true;
}

size_t pixelHash(const QImage& page, const PageLayout& layout, const QRect& r)
{
    const size_t bytes = size_t(r.width()) * size_t(page.depth() / 8);
    const size_t offset = size_t(r.left()) * size_t(page.depth() / 8);
    size_t seed = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        seed = qHashBits(page.constScanLine(y) + offset, bytes, seed);
        seed =
            qHashBits(&layout.structure[size_t(y) * size_t(layout.width) + size_t(r.left())], size_t(r.width()), seed);
    }
    return seed;
}

bool sameLooks(const LineJob& a, const LineJob& b)
{
    const LayoutLine& x = *a.layout;
    const LayoutLine& y = *b.layout;
    return a.model == b.model && x.rect.size() == y.rect.size() && x.script == y.script && x.stacked == y.stacked &&
           x.ink == y.ink && x.background == y.background && x.backgroundColour == y.backgroundColour;
}

}  // namespace

std::vector<size_t> lineTwins(const QImage& page, const PageLayout& layout, const std::vector<LineJob>& jobs)
{
    std::vector<size_t> twin(jobs.size());
    const bool known = page.depth() == 8 || page.depth() == 32;
    std::unordered_multimap<size_t, size_t> seen;
    for (size_t i = 0; i < jobs.size(); ++i) {
        twin[i] = i;
        const LayoutLine& line = *jobs[i].layout;
        if (!known || line.rect.isEmpty() || !page.rect().contains(line.rect)) continue;
        const size_t hash =
            qHashMulti(pixelHash(page, layout, line.rect), line.rect.width(), line.rect.height(), jobs[i].model);
        const auto [from, to] = seen.equal_range(hash);
        for (auto it = from; it != to; ++it) {
            const size_t j = it->second;
            if (sameLooks(jobs[i], jobs[j]) && samePixels(page, layout, line.rect, jobs[j].layout->rect)) {
                twin[i] = j;
                break;
            }
        }
        if (twin[i] == i) seen.emplace(hash, i);
    }
    return twin;
}

TesseractEngine::Result movedToTwin(TesseractEngine::Result result, const LayoutLine& from, const LayoutLine& to)
{
    const QPoint shift = to.rect.topLeft() - from.rect.topLeft();
    for (RecognizedLine& line : result.lines) {
        line.box.translate(shift);
        for (RecognizedSymbol& s : line.symbols) s.box.translate(shift);
        line.region = to.region;
        line.monospaced = to.monospaced;
    }
    return result;
}

}  // namespace klipo::platform
