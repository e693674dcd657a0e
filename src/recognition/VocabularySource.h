#pragma once

#include <QString>

namespace klipo::platform {
class LanguageDetector;
}

namespace klipo {

// The part of a translation's recognised text that the vocabulary book
// learns from: its English paragraphs. A Latin paragraph is named by its
// stop words; the recogniser may name it another language, but not English
// (on a short line it takes Spanish or French for English). A paragraph
// neither names (a title, a button) goes with the rest of the picture.
// Works on any thread; the detector is the session's unless given.
namespace VocabularySource {

// The English paragraphs of `text` (one per line), in order, joined with
// line breaks; empty when none is recognised as English.
QString englishPart(const QString& text, const platform::LanguageDetector* detector = nullptr);

}  // namespace VocabularySource

}  // namespace klipo
