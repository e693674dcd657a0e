#pragma once

#include <QString>

#include <vector>

namespace klipo {

// Small helpers for user-perceived characters (grapheme clusters).

// The UTF-16 offsets where each character starts, plus the text's length at
// the end (so character i spans [b[i], b[i+1])).
std::vector<int> graphemeBoundaries(const QString& text);

// The text's characters as separate strings.
std::vector<QString> graphemes(const QString& text);

// The Unicode "Ideographic" property of a scalar (Han ideographs of every
// block, the ideographic number zero, Tangut, Nüshu ...).
bool isIdeographic(char32_t c);

// The first Unicode scalar of a string (0 for an empty one).
char32_t firstScalar(const QString& text);

}  // namespace klipo
