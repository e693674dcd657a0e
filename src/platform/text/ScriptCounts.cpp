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
