#pragma once

#include <QString>

#include <vector>

namespace klipo::platform {

struct LanguageHypothesis {
    QString code;  // "en", "fr", "zh-Hans" ...
    double probability = 0;
};

// What the language recogniser makes of a text: the dominant language (empty
// when it cannot tell) and up to five hypotheses, most likely first.
struct LanguageGuess {
    QString dominant;
    std::vector<LanguageHypothesis> hypotheses;
};

// Recognises the language of a text. Safe to call from any thread.
class LanguageDetector {
public:
    virtual ~LanguageDetector() = default;
    virtual LanguageGuess detect(const QString& text) const = 0;
};

}  // namespace klipo::platform
