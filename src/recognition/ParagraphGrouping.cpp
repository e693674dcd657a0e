#include "recognition/OCRService.h"

#include "recognition/TextUnits.h"

#include <QRegularExpression>

#include <algorithm>

namespace klipo::OCRService {

namespace {

// Whether `cur` continues the paragraph whose last line is `prev` (rects with
// a bottom-left origin: top() is minY, bottom() is maxY).
bool continues(const TextLine& prev, const TextLine& cur)
{
    const QRectF& p = prev.rect;
    const QRectF& c = cur.rect;
    const qreal avgH = (p.height() + c.height()) * 0.5;
    const qreal gap = p.top() - c.bottom();  // prev's bottom edge minus cur's top edge
    if (!(gap > -0.3 * avgH && gap < 0.7 * avgH)) return false;
    if (!(std::abs(p.height() - c.height()) < 0.6 * avgH)) return false;
    if (!cur.text.isEmpty()) {
        const QString first = graphemes(cur.text).front();
        const bool asciiUpper = std::all_of(first.begin(), first.end(), [](QChar ch) { return ch.unicode() < 128; }) &&
                                first.at(0).isUpper();
        if (asciiUpper) return false;
    }
    const qreal overlap = std::min(p.right(), c.right()) - std::max(p.left(), c.left());
    return overlap > 0.3 * std::min(p.width(), c.width());
}

// Han, Hiragana and Katakana, and the CJK punctuation written among them
// (a Chinese line ending in "，" or "。" continues without a space).
bool joinsWithoutSpace(const QString& character)
{
    static const QRegularExpression kanaOrHan(QStringLiteral("\\p{Han}|\\p{Hiragana}|\\p{Katakana}"));
    if (kanaOrHan.match(character).hasMatch()) return true;
    const char32_t c = firstScalar(character);
    return (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF01 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20) ||
           (c >= 0xFF3B && c <= 0xFF40) || (c >= 0xFF5B && c <= 0xFF65);
}

}  // namespace

QString joinLineTexts(const std::vector<QString>& texts)
{
    QString out;
    for (const QString& t : texts) {
        if (out.isEmpty()) {
            out = t;
            continue;
        }
        const std::vector<int> b = graphemeBoundaries(out);
        const QString last = out.mid(b[b.size() - 2]);
        if (joinsWithoutSpace(last)) {
            out += t;
        } else if (last == QLatin1String("-")) {
            out.chop(1);
            out += t;
        } else {
            out += QLatin1Char(' ') + t;
        }
    }
    return out;
}

std::vector<TextBlock> groupIntoParagraphs(const std::vector<TextLine>& lines)
{
    std::vector<TextLine> sorted = lines;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const TextLine& a, const TextLine& b) { return a.rect.center().y() > b.rect.center().y(); });

    // Every paragraph stays open: a line is compared with the last line of
    // each paragraph, newest first, so that columns side by side each grow
    // their own paragraphs.
    std::vector<std::vector<TextLine>> groups;
    for (TextLine& line : sorted) {
        auto home = std::find_if(groups.rbegin(), groups.rend(),
                                 [&](const std::vector<TextLine>& g) { return continues(g.back(), line); });
        if (home != groups.rend())
            home->push_back(std::move(line));
        else
            groups.push_back({std::move(line)});
    }

    std::vector<TextBlock> blocks;
    blocks.reserve(groups.size());
    for (std::vector<TextLine>& g : groups) {
        TextBlock block;
        std::vector<QString> texts;
        for (const TextLine& l : g) {
            block.rect = block.rect.isNull() ? l.rect : block.rect.united(l.rect);
            texts.push_back(l.text);
        }
        block.text = joinLineTexts(texts);
        block.lines = std::move(g);
        blocks.push_back(std::move(block));
    }
    return blocks;
}

}  // namespace klipo::OCRService
