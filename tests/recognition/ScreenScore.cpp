#include "ScreenScore.h"
#include "EditDistance.h"

#include <algorithm>
#include <limits>
#include <map>

namespace klipo::test {

namespace {

std::u32string normalised(const QString& text, bool cjk)
{
    QString t = text.simplified();
    if (cjk) t.remove(QLatin1Char(' '));
    // Quotes and dashes come in several shapes; they count as the same.
    t.replace(QChar(0x2019), QLatin1Char('\'')).replace(QChar(0x2018), QLatin1Char('\''));
    t.replace(QChar(0x201C), QLatin1Char('"')).replace(QChar(0x201D), QLatin1Char('"'));
    t.replace(QChar(0x2014), QLatin1Char('-')).replace(QChar(0x2013), QLatin1Char('-'));
    t.replace(QChar(0x2026), QStringLiteral("..."));
    const QList<uint> ucs = t.toUcs4();
    return std::u32string(ucs.begin(), ucs.end());
}

qint64 area(const QRect& r) { return r.isEmpty() ? 0 : qint64(r.width()) * r.height(); }

// Latin letters with accents, counted by letter.
std::map<char32_t, int> accentsOf(const QString& text)
{
    std::map<char32_t, int> out;
    for (char32_t c : text.toUcs4())
        if (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) ++out[c];
    return out;
}

}  // namespace

std::vector<ReadLine> readLines(const std::vector<TextBlock>& blocks, int imageHeight)
{
    std::vector<ReadLine> out;
    for (const TextBlock& block : blocks)
        for (const TextLine& line : block.lines)
            out.push_back({line.text, flipped(line.rect, imageHeight).toAlignedRect()});
    return out;
}

ScreenScore scoreScreen(const Screen& screen, std::vector<ReadLine> read)
{
    const bool cjk = isCjk(screen.language);
    ScreenScore score;
    const auto& refs = screen.lines;
    std::erase_if(read, [&](const ReadLine& r) {
        return std::any_of(screen.ignored.begin(), screen.ignored.end(),
                           [&](const QRegion& hidden) { return areaIn(r.box, hidden) * 2 >= area(r.box); });
    });

    // Drawn lines of one unit that one read line covers together (menu
    // titles read as one line) are scored as one line.
    std::vector<size_t> group(refs.size());
    for (size_t i = 0; i < refs.size(); ++i) group[i] = i;
    auto root = [&](size_t i) {
        while (group[i] != i) i = group[i];
        return i;
    };
    std::vector<size_t> bestOf(read.size(), refs.size());
    for (size_t r = 0; r < read.size(); ++r) {
        qint64 best = 0;
        std::vector<size_t> covered;
        for (size_t i = 0; i < refs.size(); ++i) {
            const qint64 common = area(read[r].box & refs[i].box);
            if (common * 10 < 4 * std::min(area(read[r].box), area(refs[i].box))) continue;
            covered.push_back(i);
            if (common > best) {
                best = common;
                bestOf[r] = i;
            }
        }
        // Two covered lines on the same row from different units: side by side text read as one line.
        for (size_t a = 0; a < covered.size(); ++a)
            for (size_t b = a + 1; b < covered.size(); ++b) {
                const ReferenceLine& x = refs[covered[a]];
                const ReferenceLine& y = refs[covered[b]];
                const int rowOverlap = std::min(x.box.bottom(), y.box.bottom()) - std::max(x.box.top(), y.box.top());
                if (x.unit == y.unit)
                    group[root(covered[b])] = root(covered[a]);
                else if (rowOverlap * 2 > std::min(x.box.height(), y.box.height()) &&
                         !score.sharedLines.contains(read[r].text))
                    score.sharedLines << read[r].text;
            }
    }

    std::map<size_t, std::vector<size_t>> drawnOf;  // group -> its drawn lines
    std::map<size_t, std::vector<size_t>> readOf;   // group -> read lines given to it
    for (size_t i = 0; i < refs.size(); ++i) drawnOf[root(i)].push_back(i);
    for (size_t r = 0; r < read.size(); ++r)
        if (bestOf[r] < refs.size()) readOf[root(bestOf[r])].push_back(r);
    std::map<int, std::pair<int, int>> windows;  // window -> (characters, correct)
    for (auto& [g, drawn] : drawnOf) {
        std::vector<size_t>& mine = readOf[g];
        auto leftToRight = [](const QRect& a, const QRect& b) {
            return std::abs(a.center().y() - b.center().y()) * 2 < std::min(a.height(), b.height())
                       ? a.left() < b.left()
                       : a.top() < b.top();
        };
        std::sort(mine.begin(), mine.end(), [&](size_t a, size_t b) { return leftToRight(read[a].box, read[b].box); });
        std::sort(drawn.begin(), drawn.end(),
                  [&](size_t a, size_t b) { return leftToRight(refs[a].box, refs[b].box); });
        QStringList readTexts, drawnTexts;
        for (size_t r : mine) readTexts << read[r].text;
        for (size_t i : drawn) drawnTexts << refs[i].text;
        const QString text = readTexts.join(QLatin1Char(' '));
        const QString truthText = drawnTexts.join(QLatin1Char(' '));
        for (size_t a = 0; a < mine.size(); ++a)
            for (size_t b = a + 1; b < mine.size(); ++b) {
                const QRect& x = read[mine[a]].box;
                const QRect& y = read[mine[b]].box;
                if (area(x & y) * 2 > std::min(area(x), area(y))) score.twiceRead << truthText;
            }
        const std::u32string truth = normalised(truthText, cjk);
        const int length = int(truth.size());
        const int errors = std::min(editDistance(truth, normalised(text, cjk)), std::max(length, 1) * 2);
        score.characters += length;
        score.lineErrors += errors;
        auto& w = windows[refs[drawn.front()].window];
        w.first += length;
        w.second += std::max(0, length - errors);
        const auto got = accentsOf(text);
        for (const auto& [c, n] : accentsOf(truthText)) {
            score.accents += n;
            const auto it = got.find(c);
            score.accentsRead += std::min(n, it == got.end() ? 0 : it->second);
        }
    }
    // Text read where nothing was drawn counts against the reader too.
    for (size_t r = 0; r < read.size(); ++r) {
        if (bestOf[r] != refs.size()) continue;
        score.lineErrors += int(normalised(read[r].text, cjk).size());
        score.unmatched << read[r].text;
    }
    for (const auto& [window, counts] : windows)
        if (counts.second * 2 < counts.first) score.missingWindows.push_back(window);

    // Windows and parts ranked by where the reader was halfway through
    // them (one stray line read early does not move a whole window).
    std::map<int, std::vector<size_t>> windowReads;
    std::map<std::pair<int, int>, std::vector<size_t>> partReads;
    QString readText;
    for (size_t r = 0; r < read.size(); ++r) {
        readText += read[r].text + QLatin1Char(' ');
        if (bestOf[r] == refs.size()) continue;
        const ReferenceLine& line = refs[bestOf[r]];
        windowReads[line.window].push_back(r);
        partReads[std::make_pair(line.window, line.part)].push_back(r);
    }
    const auto middles = [](const auto& reads) {
        std::map<typename std::decay_t<decltype(reads)>::key_type, size_t> out;
        for (const auto& [key, at] : reads) out[key] = at[at.size() / 2];
        return out;
    };
    const auto windowRank = middles(windowReads);
    const auto partRank = middles(partReads);
    const auto rankOf = [](const auto& ranks, const auto& key) {
        const auto it = ranks.find(key);
        return it == ranks.end() ? std::numeric_limits<size_t>::max() : it->second;
    };
    std::vector<size_t> order(refs.size());
    for (size_t i = 0; i < refs.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const auto key = [&](size_t i) {
            return std::make_pair(rankOf(windowRank, refs[i].window),
                                  rankOf(partRank, std::make_pair(refs[i].window, refs[i].part)));
        };
        return key(a) < key(b);
    });
    QString drawnText;
    for (size_t i : order) drawnText += refs[i].text + QLatin1Char(' ');
    score.orderErrors = editDistance(normalised(drawnText, cjk), normalised(readText, cjk));
    return score;
}

}  // namespace klipo::test
