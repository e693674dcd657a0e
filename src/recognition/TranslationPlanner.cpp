#include "recognition/TranslationPlanner.h"

#include "platform/text/LanguageDetector.h"
#include "platform/text/TextServices.h"
#include "recognition/TextUnits.h"

#include <QChar>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <map>

namespace klipo::TranslationPlanner {

namespace {

const platform::LanguageDetector& detectorOr(const platform::LanguageDetector* given)
{
    return given ? *given : *platform::textServices().languages;
}

bool isHan(char32_t c) { return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF); }
bool isAsciiLetter(char32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Letters that are plainly not Chinese: Latin, Greek, Cyrillic, kana, hangul.
bool isForeignLetter(char32_t c)
{
    if (isAsciiLetter(c)) return true;
    const bool alphabetic = QChar::isLetter(c);
    if (alphabetic && c >= 0xC0 && c <= 0x24F) return true;       // accented Latin
    if (alphabetic && c >= 0x370 && c <= 0x3FF) return true;      // Greek
    if (alphabetic && c >= 0x400 && c <= 0x52F) return true;      // Cyrillic
    if ((c >= 0x3041 && c <= 0x309F) || (c >= 0x30A1 && c <= 0x30FA) || (c >= 0x31F0 && c <= 0x31FF) ||
        (c >= 0xFF66 && c <= 0xFF9D))
        return true;                                              // kana
    return (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3131 && c <= 0x318E);  // hangul
}

QStringList wordsOf(const QString& text)
{
    QStringList words;
    QString current;
    for (const QString& ch : graphemes(text)) {
        if (QChar::isLetter(firstScalar(ch))) {
            current += ch;
        } else if (!current.isEmpty()) {
            words << current;
            current.clear();
        }
    }
    if (!current.isEmpty()) words << current;
    return words;
}

using StopwordTable = std::vector<std::pair<QString, QSet<QString>>>;

const StopwordTable& stopwords()
{
    // Built once, thread-safely, on first use; words are kept in NFC so that
    // precomposed and decomposed accents match.
    static const StopwordTable table = [] {
        const std::pair<const char*, const char*> lists[] = {
            {"en", "the and of to in is for you with this that are on it your from by not all can be have or as at "
                   "new more get if we how what when will would there their about which into than them"},
            {"nl", "de het een van en op dat niet je met voor aan er om ook maar naar zijn deze hebben wordt bij uit "
                   "over kan worden heeft wij hun"},
            {"de", "der die das und ist nicht mit für auf ein eine den dem des zu von sich auch werden haben aber "
                   "wird durch oder beim einen einer"},
            {"af", "die en van nie met vir op het om dat hulle word hierdie kan wees"},
            {"fr", "le la les de des un une et est pour dans que vous sur pas avec plus ce qui sont par"},
            {"es", "el la los las de que y en un una para con por no se su más como pero sus"},
            {"it", "il la di che e per un una in non con del sono più come alla dei"},
            {"pt", "o a de que e do da em um uma para com não por mais como seu está"},
        };
        StopwordTable built;
        for (const auto& [code, words] : lists) {
            QSet<QString> set;
            for (const QString& w : QString::fromUtf8(words).split(QLatin1Char(' ')))
                set.insert(w.normalized(QString::NormalizationForm_C));
            built.emplace_back(QString::fromLatin1(code), std::move(set));
        }
        return built;
    }();
    return table;
}

QString primarySubtag(const QString& code)
{
    const QStringList pieces = code.split(QLatin1Char('-'), Qt::SkipEmptyParts);
    return (pieces.isEmpty() ? code : pieces.front()).toLower();
}

}  // namespace

std::vector<LiteralPieces::Piece> literalPieces(const TextBlock& block)
{
    const bool monospaced = !block.lines.empty() && std::all_of(block.lines.begin(), block.lines.end(),
                                                                [](const TextLine& l) { return l.monospaced; });
    return LiteralPieces::find(block.text, monospaced);
}

QString languageText(const TextBlock& block) { return LiteralPieces::languageOnly(block.text, literalPieces(block)); }

namespace {

// Whether a block's language text (its literal pieces blanked) holds words.
bool holdsWords(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("[\\p{Latin}\\p{Greek}\\p{Cyrillic}]{2,}|[\\p{Han}\\p{Hiragana}\\p{Katakana}\\p{Hangul}]{2,}"));
    return pattern.match(text).hasMatch();
}

}  // namespace

bool hasLanguage(const TextBlock& block) { return holdsWords(languageText(block)); }

bool sameLanguage(const QString& a, const QString& b)
{
    if (a.startsWith(QLatin1String("zh")) && b.startsWith(QLatin1String("zh"))) return true;
    return primarySubtag(a) == primarySubtag(b);
}

bool needsTranslation(const QString& text, const QString& targetCode, const platform::LanguageDetector* detector)
{
    if (targetCode.startsWith(QLatin1String("zh"))) {
        if (text.isEmpty()) return false;
        int han = 0;
        int foreign = 0;
        for (char32_t c : text.toUcs4()) {
            if (isHan(c))
                ++han;
            else if (isForeignLetter(c))
                ++foreign;
        }
        return foreign >= 2 && han < foreign;
    }
    const QString dominant = detectorOr(detector).detect(text).dominant;
    return dominant.isEmpty() || !sameLanguage(dominant, targetCode);
}

bool isMostlyLatin(const QString& text)
{
    if (text.isEmpty()) return false;
    int latin = 0;
    int total = 0;
    for (char32_t c : text.toUcs4()) {
        // Letters as a character set: letters and combining marks.
        if (!QChar::isLetter(c) && !QChar::isMark(c)) continue;
        ++total;
        if (isAsciiLetter(c) || (c >= 0xC0 && c <= 0x24F)) ++latin;
    }
    return total > 0 && latin >= (4 * total) / 5;
}

std::optional<QString> stopwordVote(const QString& text)
{
    const QStringList words = wordsOf(text.toLower().normalized(QString::NormalizationForm_C));
    if (words.size() < 3) return std::nullopt;
    std::vector<std::pair<QString, int>> hits;
    for (const auto& [code, set] : stopwords()) {
        const int n = int(std::count_if(words.begin(), words.end(), [&](const QString& w) { return set.contains(w); }));
        if (n > 0) hits.emplace_back(code, n);
    }
    std::stable_sort(hits.begin(), hits.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    if (hits.empty() || hits[0].second < 2) return std::nullopt;
    if (hits.size() > 1 && hits[1].second == hits[0].second) return std::nullopt;
    return hits[0].first;
}

// Whether a Latin text holds no stop word of `code`, a language the table knows.
bool withoutStopwordsOf(const QString& text, const QString& code)
{
    const auto it = std::find_if(stopwords().begin(), stopwords().end(),
                                 [&](const auto& entry) { return sameLanguage(entry.first, code); });
    if (it == stopwords().end() || !isMostlyLatin(text)) return false;
    const QStringList words = wordsOf(text.toLower().normalized(QString::NormalizationForm_C));
    return std::none_of(words.begin(), words.end(), [&](const QString& w) { return it->second.contains(w); });
}

std::optional<QString> detectLanguage(const QString& text, const platform::LanguageDetector* detector)
{
    const platform::LanguageGuess guess = detectorOr(detector).detect(text);
    const auto dominant = std::find_if(guess.hypotheses.begin(), guess.hypotheses.end(),
                                       [&](const platform::LanguageHypothesis& h) { return h.code == guess.dominant; });
    const bool lowConfidence =
        guess.dominant.isEmpty() || dominant == guess.hypotheses.end() || dominant->probability < 0.5;

    if (isMostlyLatin(text)) {
        if (auto vote = stopwordVote(text)) return vote;
        if (wordsOf(text).size() >= 8 && !lowConfidence) return guess.dominant;
        return QStringLiteral("en");
    }
    if (guess.dominant.isEmpty()) return std::nullopt;
    return guess.dominant;
}

Plan plan(const std::vector<TextBlock>& blocks, const QString& targetCode, const platform::LanguageDetector* detector)
{
    // Only language is looked at: paths, commands, code and numbers say
    // nothing of it (a listing's "drwxr-xr-x" is no language at all), and a
    // block of nothing else is not translated. Each block's own language, where
    // the stop words or the recogniser name one (stop words first in Latin
    // text, as for the whole text: on a short line the recogniser takes
    // Spanish for English). A block that neither can name (a lone word: a
    // window title, a button) goes with the blocks of its part of the page, a
    // terminal's line with the terminal's others; without any, with the rest
    // of the picture: a title over text that is already in the target
    // language needs no translation either. With nothing else to go by it is
    // translated. Chinese targets go by the writing system.
    const bool byScript = targetCode.startsWith(QLatin1String("zh"));
    std::vector<QString> texts(blocks.size());
    std::vector<char> language(blocks.size());
    for (size_t i = 0; i < blocks.size(); ++i) {
        texts[i] = languageText(blocks[i]);
        language[i] = holdsWords(texts[i]);
    }
    std::vector<QString> named(blocks.size());
    QStringList namedTexts;
    for (size_t i = 0; !byScript && i < blocks.size(); ++i) {
        if (!language[i]) continue;
        const QString& text = texts[i];
        if (isMostlyLatin(text)) named[i] = stopwordVote(text).value_or(QString());
        if (named[i].isEmpty()) {
            named[i] = detectorOr(detector).detect(text).dominant;
            // Short Latin lines fool the recogniser ("modificado: docs/manual
            // de usuario.md" as English): the target language it names
            // without one of its stop words counts for nothing.
            if (sameLanguage(named[i], targetCode) && withoutStopwordsOf(text, targetCode)) named[i].clear();
        }
        if (!named[i].isEmpty()) namedTexts << text;
    }
    std::optional<QString> rest;
    if (!namedTexts.isEmpty()) rest = detectLanguage(namedTexts.join(QLatin1Char('\n')), detector);

    // The language most letters of the named blocks of a part of the page are in.
    auto languageOfRegion = [&](int region) -> std::optional<QString> {
        if (region < 0) return std::nullopt;
        std::map<QString, qsizetype> letters;
        for (size_t j = 0; j < blocks.size(); ++j) {
            if (named[j].isEmpty() || blocks[j].lines.empty() || blocks[j].lines.front().region != region) continue;
            letters[named[j]] += std::count_if(texts[j].begin(), texts[j].end(), [](QChar c) { return c.isLetter(); });
        }
        const auto most = std::max_element(letters.begin(), letters.end(),
                                           [](const auto& a, const auto& b) { return a.second < b.second; });
        if (most == letters.end()) return std::nullopt;
        return most->first;
    };

    Plan result;
    QStringList kept;
    for (size_t i = 0; i < blocks.size(); ++i) {
        const TextBlock& block = blocks[i];
        if (!language[i]) continue;
        bool needed = false;
        if (byScript) {
            needed = needsTranslation(texts[i], targetCode, detector);
        } else if (!named[i].isEmpty()) {
            needed = !sameLanguage(named[i], targetCode);
        } else {
            const std::optional<QString> around =
                languageOfRegion(block.lines.empty() ? -1 : block.lines.front().region);
            const std::optional<QString>& by = around ? around : rest;
            needed = !by || !sameLanguage(*by, targetCode);
        }
        if (!needed) continue;
        result.blocksToTranslate.push_back(block);
        kept << texts[i];
    }
    if (result.blocksToTranslate.empty()) return result;
    const auto code = detectLanguage(kept.join(QLatin1Char('\n')), detector);
    if (code && !sameLanguage(*code, targetCode)) result.sourceLanguage = code;
    return result;
}

std::optional<QString> resolveAvailable(const std::optional<QString>& source, const QString& /*targetCode*/,
                                        bool /*isLatinScript*/, const platform::Translator* /*translator*/)
{
    // A source whose pack is missing keeps its name. Naming English instead
    // would put French or Japanese words through the English pack and show
    // the result as a translation, or blame a missing English pack.
    return source;
}

}  // namespace klipo::TranslationPlanner
