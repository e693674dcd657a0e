#pragma once

#include <QString>

#include <vector>

namespace klipo {

// The pieces of a recognised text that are not language and stay as they are
// in a translation: URLs, paths, file names, e-mail addresses, command-line
// options, identifiers and other code, hashes, numbers and versions, file
// modes, keys with their modifiers; and on a terminal's line the prompt with
// the command after it, or the whole of a listing's row. What is left is the
// text's language.
namespace LiteralPieces {

struct Piece {
    qsizetype start = 0;   // UTF-16 offset in the text
    qsizetype length = 0;  // UTF-16 code units

    qsizetype end() const { return start + length; }
    bool operator==(const Piece&) const = default;
};

// The literal pieces of `text`, in order, never overlapping. `monospaced`:
// the text is a line of a terminal or of code.
std::vector<Piece> find(const QString& text, bool monospaced);

// The text with every piece replaced by a space: what a language can be told
// from and what is worth translating.
QString languageOnly(const QString& text, const std::vector<Piece>& pieces);

}  // namespace LiteralPieces

}  // namespace klipo
