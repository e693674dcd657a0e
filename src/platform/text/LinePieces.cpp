#include "platform/text/LinePieces.h"

#include "platform/text/ScriptCounts.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <queue>

namespace klipo::platform {

namespace {

constexpr int kMostPieces = 4;
constexpr int kFinestShare = 8;         // pieces down to an eighth of an engine's share of the page
constexpr double kShortestPiece = 8;    // a piece is at least this many line heights wide
constexpr double kPieceCost = 1;        // what one more engine call costs, in line heights of width
constexpr double kWorthCutting = 0.05;  // the share of the page's time cutting must save
constexpr int kBlankFrom = 192;         // lighter columns of the line's picture hold no ink

// When `engines` taking the biggest item left first are all done.
double finishTime(std::vector<double> items, int engines)
{
    std::sort(items.begin(), items.end(), std::greater<>());
    std::priority_queue<double, std::vector<double>, std::greater<>> busyUntil;
    for (int e = 0; e < engines; ++e) busyUntil.push(0);
    double end = 0;
    for (double item : items) {
        const double start = busyUntil.top();
        busyUntil.pop();
        busyUntil.push(start + item);
        end = std::max(end, start + item);
    }
    return end;
}

struct Gap {
    int from;  // first blank column
    int to;    // last blank column
    int width() const { return to - from + 1; }
    double middle() const { return (from + to) / 2.0; }
};

}  // namespace

std::vector<int> piecesPerLine(const std::vector<double>& costs, const std::vector<char>& cuttable, int engines)
{
    std::vector<int> whole(costs.size(), 1);
    if (engines < 2 || costs.empty() || cuttable.size() != costs.size()) return whole;
    double total = 0;
    for (double c : costs) total += std::max(0.0, c);
    const double wholeTime = finishTime(costs, engines);
    double bestTime = wholeTime;
    std::vector<int> best = whole;
    // Pieces no bigger than an engine's even share of the page, or a half,
    // a third ... of it: the one that ends soonest wins.
    for (int share = 1; share <= kFinestShare; ++share) {
        const double cap = total / double(engines * share);
        if (cap <= 0) break;
        std::vector<int> pieces = whole;
        std::vector<double> items;
        for (size_t i = 0; i < costs.size(); ++i) {
            const int most = std::min(kMostPieces, int(costs[i] / kShortestPiece));
            if (cuttable[i] && most >= 2 && costs[i] > cap)
                pieces[i] = std::min(most, int(std::ceil(costs[i] / cap - 1e-9)));
            for (int k = 0; k < pieces[i]; ++k)
                items.push_back(costs[i] / pieces[i] + (pieces[i] > 1 ? kPieceCost : 0));
        }
        const double time = finishTime(std::move(items), engines);
        if (time < bestTime) {
            bestTime = time;
            best = std::move(pieces);
        }
    }
    return bestTime < wholeTime * (1 - kWorthCutting) ? best : whole;
}

namespace {

// Runs of the line's columns without ink as wide as a word space (a quarter
// of the line's height or more), in page coordinates.
std::vector<Gap> wordSpaces(const QImage& page, const PageLayout& layout, const LayoutLine& line)
{
    const QRect r = line.rect;
    const int h = std::max(1, r.height());
    const QImage picture = linePicture(page, layout, line, 0);
    std::vector<Gap> gaps;
    const int widest = std::max(2, (h + 3) / 4);
    int runFrom = -1;
    for (int x = 0; x <= picture.width(); ++x) {
        bool blank = x < picture.width();
        for (int y = 0; blank && y < picture.height(); ++y) blank = picture.constScanLine(y)[x] >= kBlankFrom;
        if (blank && runFrom < 0) runFrom = x;
        if (!blank && runFrom >= 0) {
            if (x - runFrom >= widest && runFrom > 0 && x < picture.width())
                gaps.push_back({r.left() + runFrom, r.left() + x - 1});
            runFrom = -1;
        }
    }
    return gaps;
}

// The line cut in the widest space within `reach` of each of `at` (left to
// right), each piece at least `shortest` wide.
std::vector<QRect> cutNear(const QRect& r, const std::vector<Gap>& gaps, const std::vector<double>& at, double reach,
                           int shortest)
{
    std::vector<Gap> cuts;
    for (const double x : at) {
        const int after = cuts.empty() ? r.left() : cuts.back().to + 1;
        const Gap* chosen = nullptr;
        for (const Gap& g : gaps) {
            if (std::abs(g.middle() - x) > reach || g.from - after < shortest || r.right() - g.to < shortest) continue;
            if (!chosen || g.width() > chosen->width() ||
                (g.width() == chosen->width() && std::abs(g.middle() - x) < std::abs(chosen->middle() - x)))
                chosen = &g;
        }
        if (chosen) cuts.push_back(*chosen);
    }
    std::vector<QRect> rects;
    int left = r.left();
    for (const Gap& g : cuts) {
        rects.emplace_back(QPoint(left, r.top()), QPoint(g.from - 1, r.bottom()));
        left = g.to + 1;
    }
    rects.emplace_back(QPoint(left, r.top()), r.bottomRight());
    return rects;
}

}  // namespace

std::vector<QRect> linePieces(const QImage& page, const PageLayout& layout, const LayoutLine& line, int pieces)
{
    const QRect r = line.rect;
    const int h = std::max(1, r.height());
    const int shortest = int(kShortestPiece * h / 2);  // each side of a cut, however the cuts fall
    pieces = std::min(pieces, kMostPieces);
    if (pieces < 2 || r.width() < 2 * shortest || page.isNull()) return {r};
    // The widest space near each even share of the width.
    std::vector<double> at;
    for (int k = 1; k < pieces; ++k) at.push_back(r.left() + double(r.width()) * k / pieces);
    return cutNear(r, wordSpaces(page, layout, line), at, 0.3 * r.width() / pieces, shortest);
}

std::vector<QRect> lineHead(const QImage& page, const PageLayout& layout, const LayoutLine& line, int width)
{
    const QRect r = line.rect;
    const int h = std::max(1, r.height());
    const int shortest = int(kShortestPiece * h / 2);
    if (width < shortest || r.width() < width + 2 * shortest || page.isNull()) return {r};
    return cutNear(r, wordSpaces(page, layout, line), {double(r.left() + width)}, 0.3 * width, shortest);
}

void appendAfterSpace(RecognizedLine& line, const RecognizedLine& next)
{
    const bool unspaced = !line.text.isEmpty() && !next.text.isEmpty() &&
                          isUnspacedCjkScalar(line.text.right(2).toUcs4().back()) &&
                          isUnspacedCjkScalar(next.text.left(2).toUcs4().front());
    if (!unspaced) line.text += QLatin1Char(' ');
    const int offset = int(line.text.size());
    line.text += next.text;
    for (int space : next.roomlessSpaces) line.roomlessSpaces.push_back(space + offset);
    line.box |= next.box;
    for (RecognizedSymbol s : next.symbols) {
        s.start += offset;
        s.end += offset;
        line.symbols.push_back(s);
    }
}

TesseractEngine::Result joinedPieces(std::vector<TesseractEngine::Result> pieces)
{
    TesseractEngine::Result out;
    RecognizedLine joined;
    bool any = false;
    double sum = 0;
    double weight = 0;
    for (TesseractEngine::Result& piece : pieces) {
        out.ok = out.ok && piece.ok;
        for (RecognizedLine& line : piece.lines) {
            sum += double(line.confidence) * double(line.text.size());
            weight += double(line.text.size());
            if (!any) {
                joined = std::move(line);
                any = true;
                continue;
            }
            appendAfterSpace(joined, line);
            joined.weakestWord = std::min(joined.weakestWord, line.weakestWord);
            joined.widestLetters = std::max(joined.widestLetters, line.widestLetters);
        }
    }
    if (!any) return out;
    if (weight > 0) joined.confidence = float(sum / weight);
    out.meanConfidence = joined.confidence;
    out.lines.push_back(std::move(joined));
    return out;
}

}  // namespace klipo::platform
