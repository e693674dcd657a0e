#pragma once

#include <QString>

namespace klipo::platform {

// Letters of a text counted by writing system. Shared by the language
// recogniser and the recognition engine's choice of models.
struct ScriptCounts {
    int letters = 0;  // every letter, the ones below included
    int han = 0;
    int kana = 0;
    int hangul = 0;
    int latin = 0;  // ASCII letters and the Latin letters up to U+024F
    int cyrillic = 0;
    int greek = 0;

    static ScriptCounts of(const QString& text);
};

bool isHanScalar(char32_t c);
bool isKanaScalar(char32_t c);
bool isHangulScalar(char32_t c);
// Han, kana, and the CJK and full-width punctuation written between them:
// text that has no spaces between its words.
bool isUnspacedCjkScalar(char32_t c);

// A printable ASCII character other than the space.
inline bool isAsciiText(char32_t c) { return c > 0x20 && c < 0x7F; }

// The ASCII sign a Han character is often read for in a Latin line
// ("十" for "+", "一" for "-"), or 0.
char32_t signLookalike(char32_t c);

// Whether a line read as Latin letters, digits and signs with a Han
// character or two among them reads those wrongly: one or two Han
// characters between ASCII text on both sides (or at an end), that look
// like a sign or are glued to a Latin letter ("Ctrl 十 F", "Shi化+S").
// Chinese words between Latin ones ("Python 与 Linux", "3 月 3") are not.
bool hasMisreadHan(const QString& text);

// Whether a text has letters or digits and no Han, kana or hangul.
bool isLatinOnly(const QString& text);

}  // namespace klipo::platform
