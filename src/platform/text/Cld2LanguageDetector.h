#pragma once

#include "platform/text/LanguageDetector.h"

namespace klipo::platform {

// Language recognition on CLD2. Writing systems are checked first (kana means
// Japanese, hangul Korean, Han Chinese) because CLD2 answers "en" when it does
// not know; an unreliable "en" is reported as no language.
class Cld2LanguageDetector : public LanguageDetector {
public:
    LanguageGuess detect(const QString& text) const override;
};

}  // namespace klipo::platform
