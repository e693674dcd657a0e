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

}  // namespace klipo::platform
