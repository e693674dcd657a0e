#include "platform/text/ScriptCounts.h"

#include <QChar>
#include <QList>

namespace klipo::platform {

bool isHanScalar(char32_t c)
{
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0x20000 && c <= 0x3134F);
}

bool isKanaScalar(char32_t c)
{
    return (c >= 0x3040 && c <= 0x309F) || (c >= 0x30A0 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF) ||
           (c >= 0xFF66 && c <= 0xFF9D);
}

bool isHangulScalar(char32_t c)
{
    return (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3130 && c <= 0x318F);
}

bool isUnspacedCjkScalar(char32_t c)
{
    return isHanScalar(c) || isKanaScalar(c) || (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFF0F) ||
           (c >= 0xFF1A && c <= 0xFF20) || (c >= 0xFF3B && c <= 0xFF40) || (c >= 0xFF5B && c <= 0xFF65);
}

char32_t signLookalike(char32_t c)
{
    switch (c) {
    case U'十': return U'+';
    case U'一': return U'-';
    default: return 0;
    }
}

namespace {

bool isAsciiDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

// Han characters the Chinese model reads for Latin letters and signs.
bool looksLatin(char32_t c)
{
    static const std::u32string kLookalikes = U"十一二乙工口人丁了卜儿八";
    return kLookalikes.find(c) != std::u32string::npos;
}

}  // namespace

bool hasMisreadHan(const QString& text)
{
    const QList<uint> s = text.toUcs4();
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n;) {
        if (!isHanScalar(s[i])) {
            ++i;
            continue;
        }
        qsizetype j = i;
        bool lookalikes = true;
        for (; j < n && isHanScalar(s[j]); ++j)
            if (!looksLatin(s[j])) lookalikes = false;
        qsizetype before = i - 1;
        while (before >= 0 && s[before] == U' ') --before;
        qsizetype after = j;
        while (after < n && s[after] == U' ') ++after;
        const bool hasBefore = before >= 0;
        const bool hasAfter = after < n;
        const bool asciiAround =
            (!hasBefore || isAsciiText(s[before])) && (!hasAfter || isAsciiText(s[after])) && (hasBefore || hasAfter);
        // Glued to a Latin letter or sign ("Shi化", "+乙"); a Chinese word
        // may follow a number directly ("3月"), and the engine often ends a
        // Chinese clause with a Latin full stop or comma ("试试.").
        // A slash parts Chinese words as it does Latin ones ("~/ 合计/ 订单编号", "是/否").
        auto glues = [&](qsizetype k) {
            return k >= 0 && k < n && isAsciiText(s[k]) && !isAsciiDigit(s[k]) && s[k] != U'/';
        };
        // A sign that ends the line after Chinese is its full stop misread ("试试-").
        const bool closes = j < n && (QStringView(u".,;:!?)").contains(QChar(char16_t(s[j]))) ||
                                      (j + 1 == n && !QChar::isLetterOrNumber(s[j])));
        const bool glued = glues(i - 1) || (glues(j) && !closes);
        if (j - i <= 2 && asciiAround && (lookalikes || (glued && ((hasBefore && hasAfter) || j - i == 1))))
            return true;
        i = j;
    }
    return false;
}

bool isLatinOnly(const QString& text)
{
    bool letterOrDigit = false;
    for (char32_t c : text.toUcs4()) {
        if (isHanScalar(c) || isKanaScalar(c) || isHangulScalar(c)) return false;
        letterOrDigit = letterOrDigit || QChar::isLetterOrNumber(c);
    }
    return letterOrDigit;
}

ScriptCounts ScriptCounts::of(const QString& text)
{
    ScriptCounts n;
    for (char32_t c : text.toUcs4()) {
        const bool kana = isKanaScalar(c);
        const bool hangul = isHangulScalar(c);
        if (!QChar::isLetter(c) && !kana && !hangul) continue;
        ++n.letters;
        if (isHanScalar(c))
            ++n.han;
        else if (kana)
            ++n.kana;
        else if (hangul)
            ++n.hangul;
        else if (c < 0x250)
            ++n.latin;
        else if (c >= 0x370 && c <= 0x3FF)
            ++n.greek;
        else if (c >= 0x400 && c <= 0x52F)
            ++n.cyrillic;
    }
    return n;
}

}  // namespace klipo::platform
