#include "recognition/OCRService.h"

#include "recognition/TextUnits.h"

#include <QRegularExpression>

#include <algorithm>
#include <numeric>
#include <optional>

namespace klipo::OCRService {

namespace {

// A list item's marker at the start of a line: "1. ", "2) ", "3、", "二、",
// "a) " or a bullet. Each item is its own paragraph, however full the one above.
bool startsListItem(const QString& text)
{
    static const QRegularExpression marker(
        QStringLiteral("^\\s*(?:(?:\\d{1,3}|[a-zA-Z])[.)]\\s|(?:\\d{1,3}|[一二三四五六七八九十]{1,3})、|[•·●▪◦‣*\\-–]\\s)"));
    return marker.match(text).hasMatch();
}

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
        if (asciiUpper || startsListItem(cur.text)) return false;
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

// Whether the paragraph's last line `prev` was full, so that `cur` is the
// text that did not fit on it: `prev` reaches the paragraph's right edge but
// for about the width of `cur`'s first word and a space. (A list's name and
// the preview under it, a short title and its text, are no paragraph.)
bool wrapsInto(const TextLine& prev, qreal paragraphRight, const TextLine& cur)
{
    const std::vector<QString> characters = graphemes(cur.text);
    if (characters.empty()) return true;
    qsizetype word = 1;
    if (!joinsWithoutSpace(characters.front()))
        while (word < qsizetype(characters.size()) && !characters[size_t(word)].front().isSpace()) ++word;
    const qreal firstWord = cur.rect.width() * qreal(word) / qreal(characters.size());
    const qreal right = std::max(paragraphRight, cur.rect.right());
    return prev.rect.right() + firstWord + 1.5 * prev.rect.height() >= right;
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

std::vector<TextBlock> groupIntoParagraphs(const std::vector<TextLine>& lines, const std::vector<LinePlace>& places)
{
    // The reading order: the layout's when it is known, else top first.
    const bool placed = places.size() == lines.size() &&
                        std::any_of(places.begin(), places.end(), [](const LinePlace& p) { return p.region >= 0; });
    std::vector<size_t> order(lines.size());
    std::iota(order.begin(), order.end(), size_t(0));
    if (!placed)
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return lines[a].rect.center().y() > lines[b].rect.center().y(); });
    auto placeOf = [&](size_t i) { return placed ? places[i] : LinePlace{}; };

    std::vector<std::vector<size_t>> groups;
    std::vector<size_t> groupOf(lines.size(), 0);
    std::vector<size_t> seen;
    for (size_t i : order) {
        const TextLine& line = lines[i];
        const LinePlace place = placeOf(i);
        // The line right above: the nearest one already read in the same
        // part that overlaps it horizontally and lies above its middle.
        const TextLine* above = nullptr;
        size_t aboveIndex = 0;
        std::optional<size_t> readBefore;  // the line read last in the part
        for (size_t j : seen) {
            const TextLine& other = lines[j];
            if (placeOf(j).region != place.region) continue;
            readBefore = j;
            const qreal overlap =
                std::min(other.rect.right(), line.rect.right()) - std::max(other.rect.left(), line.rect.left());
            if (overlap <= 0 || other.rect.center().y() <= line.rect.center().y()) continue;
            if (!above || other.rect.top() < above->rect.top()) {
                above = &other;
                aboveIndex = j;
            }
        }
        seen.push_back(i);
        // With the layout's order, a line starting with a capital (an
        // accented one too) continues only the line read right before it in
        // its part, or joining it would move the lines read between them (the
        // time beside a mail's sender, read before the subject under the
        // name) after the paragraph. A line starting in lower case still
        // continues the line above it across a cell read between them (a
        // grid's file name wrapped under the name beside it).
        const bool readRightBefore =
            !placed || readBefore == aboveIndex || line.text.isEmpty() || !line.text.front().isUpper();
        bool joins = above && readRightBefore && !place.monospaced && !placeOf(aboveIndex).monospaced &&
                     groups[groupOf[aboveIndex]].back() == aboveIndex && continues(*above, line);
        if (joins) {
            qreal right = above->rect.right();
            for (size_t k : groups[groupOf[aboveIndex]]) right = std::max(right, lines[k].rect.right());
            joins = wrapsInto(*above, right, line);
        }
        if (joins) {
            groupOf[i] = groupOf[aboveIndex];
            groups[groupOf[i]].push_back(i);
        } else {
            groupOf[i] = groups.size();
            groups.push_back({i});
        }
    }

    std::vector<TextBlock> blocks;
    blocks.reserve(groups.size());
    for (const std::vector<size_t>& g : groups) {
        TextBlock block;
        std::vector<QString> texts;
        for (size_t i : g) {
            const TextLine& l = lines[i];
            block.rect = block.rect.isNull() ? l.rect : block.rect.united(l.rect);
            texts.push_back(l.text);
            block.lines.push_back(l);
        }
        block.text = joinLineTexts(texts);
        blocks.push_back(std::move(block));
    }
    return blocks;
}

}  // namespace klipo::OCRService
