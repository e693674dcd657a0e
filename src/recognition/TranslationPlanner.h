#pragma once

#include "recognition/LiteralPieces.h"
#include "recognition/TextModel.h"

#include <QString>

#include <optional>

namespace klipo::platform {
class LanguageDetector;
class Translator;
}  // namespace klipo::platform

namespace klipo {

// Decides which paragraphs need translating and from which language, so that
// text already in the target language is skipped and short Latin-script text
// is not taken for the wrong European language. Language codes are BCP 47
// strings ("en", "de", "zh-Hans"). Stateless apart from its stop-word table;
// everything may run on any thread.
namespace TranslationPlanner {

struct Plan {
    std::vector<TextBlock> blocksToTranslate;  // in input order
    std::optional<QString> sourceLanguage;     // absent: let the translator recognise it
};

// The blocks that are not in the target language, and the language to
// translate them from. Only a block's language counts: a block of nothing
// but paths, commands, code and numbers is not translated. A block whose
// language cannot be named (a lone word) goes with the blocks of its part of
// the page (its window's column), else with the rest of the picture. The
// engines are the session's (platform::textServices()) unless given.
Plan plan(const std::vector<TextBlock>& blocks, const QString& targetCode,
          const platform::LanguageDetector* detector = nullptr);

// The source to name to the translator: the plan's source as detected, also
// when its pack is not installed (the failure then names that language); it
// is never swapped for English.
std::optional<QString> resolveAvailable(const std::optional<QString>& source, const QString& targetCode,
                                        bool isLatinScript, const platform::Translator* translator = nullptr);

// The pieces of a block that are not language (see LiteralPieces); they are
// kept as they are in its translation.
std::vector<LiteralPieces::Piece> literalPieces(const TextBlock& block);
// A block's text without those pieces.
QString languageText(const TextBlock& block);
// Whether a block holds language worth translating: two letters or two
// ideographs in a row, outside its literal pieces.
bool hasLanguage(const TextBlock& block);

// At least four fifths of the text's letters are Latin.
bool isMostlyLatin(const QString& text);

// The language of a text: the stop-word vote, the recogniser or "en" for
// Latin text; the recogniser's answer (possibly none) otherwise.
std::optional<QString> detectLanguage(const QString& text, const platform::LanguageDetector* detector = nullptr);

bool needsTranslation(const QString& text, const QString& targetCode,
                      const platform::LanguageDetector* detector = nullptr);
// Simplified and Traditional Chinese count as one language; otherwise the
// primary subtags are compared, ignoring case.
bool sameLanguage(const QString& a, const QString& b);
// The language whose stop words the text uses clearly most, if any.
std::optional<QString> stopwordVote(const QString& text);

}  // namespace TranslationPlanner

}  // namespace klipo
