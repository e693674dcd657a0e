#include "platform/text/PageLanguage.h"

#include "platform/text/Cld2LanguageDetector.h"
#include "platform/text/ModelFile.h"
#include "platform/text/ScriptCounts.h"

#include <utility>

namespace klipo::platform {

namespace {

// Languages whose own models were measured to read as well as the script
// model on prose (and the script model kept for code and terminals): Spanish,
// French and German read within a tenth of a point, in a little over half
// the time. English's own model reads worse and hardly faster.
constexpr std::pair<const char*, const char*> kModels[] = {{"es", "spa"}, {"fr", "fra"}, {"de", "deu"}};

// A line at least this many times as wide as it is high is a long one.
constexpr double kLongLine = 12;
// Letters of the first readings needed to tell their language.
constexpr int kLettersToTell = 40;
// How much of those letters the language must hold.
constexpr double kShareToTell = 0.8;

}  // namespace

QString PageLanguage::modelOf(const QString& languageCode)
{
    for (const auto& [code, model] : kModels) {
        if (languageCode != QLatin1String(code)) continue;
        const QString name = QString::fromLatin1(model);
        return ModelFile::isInstalled(name) ? name : QString();
    }
    return {};
}

bool PageLanguage::mayRead(const LayoutLine& line)
{
    const QRect& r = line.rect;
    return line.script == LineScript::Latin && !line.monospaced && !line.stacked &&
           r.width() >= kLongLine * std::max(1, r.height());
}

QString PageLanguage::modelFor(const QStringList& texts)
{
    const QString text = texts.join(QLatin1Char('\n'));
    const ScriptCounts counts = ScriptCounts::of(text);
    if (counts.letters < kLettersToTell || counts.han + counts.kana + counts.hangul > 0) return {};
    static const Cld2LanguageDetector detector;
    const LanguageGuess guess = detector.detect(text);
    if (guess.dominant.isEmpty() || guess.hypotheses.empty() || guess.hypotheses.front().code != guess.dominant ||
        guess.hypotheses.front().probability < kShareToTell)
        return {};
    return modelOf(guess.dominant);
}

}  // namespace klipo::platform
