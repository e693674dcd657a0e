#include "stores/VocabularyExtractor.h"

#include "stores/VocabularyTables.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace klipo::VocabularyExtractor {

namespace {

using vocabularytables::tables;

constexpr char16_t kApostrophe = u'\'';
constexpr char16_t kRightQuote = u'\u2019';

bool isLatinLetter(char16_t c)
{
    return (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A) || (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7) ||
           (c >= 0x100 && c <= 0x24F);
}

bool isTokenCharacter(char16_t c) { return c == kApostrophe || c == kRightQuote || isLatinLetter(c); }

bool endsWith(const QString& word, const char* ending) { return word.endsWith(QLatin1String(ending)); }

bool isRejected(const vocabularytables::WordFacts* facts, const Options& options)
{
    return facts && (facts->stopWord || facts->alwaysNoise || (options.filtersInterfaceWords && facts->interfaceNoise));
}

// The singular of a lower-case word whose table facts (or none) are known.
QString singularOf(const QString& word, const vocabularytables::WordFacts* facts)
{
    if (facts && !facts->irregularSingular.isEmpty()) return facts->irregularSingular;
    if (facts && facts->keepAsIs) return word;
    if (!endsWith(word, "s") || word.size() < 4 || endsWith(word, "ss") || endsWith(word, "us") || endsWith(word, "is"))
        return word;
    if (endsWith(word, "ies") && word.size() >= 5) {
        if (facts && facts->ieNoun) return word.chopped(1);
        return word.chopped(3) + u'y';
    }
    if (endsWith(word, "es")) {
        const QString stem = word.chopped(2);
        if (stem.size() >= 3 && (endsWith(stem, "s") || endsWith(stem, "x") || endsWith(stem, "z") ||
                                 endsWith(stem, "ch") || endsWith(stem, "sh")))
            return stem;
    }
    return word.chopped(1);
}

}  // namespace

QString removeNoise(const QString& text)
{
    QString cleaned = text;
    for (const auto& pattern : tables().noisePatterns) {
        if (pattern.mayMatch(cleaned)) cleaned.replace(pattern.expression, QStringLiteral(" "));
    }
    return cleaned;
}

QStringList scanTokens(const QString& text)
{
    // Tokens are runs of token characters; each is cut out of the text whole.
    QStringList tokens;
    qsizetype tokenStart = -1;
    auto take = [&](qsizetype position, qsizetype length) {
        const bool belongs = length == 1 && isTokenCharacter(text.at(position).unicode());
        if (belongs && tokenStart < 0) tokenStart = position;
        if (!belongs && tokenStart >= 0) {
            tokens.append(text.mid(tokenStart, position - tokenStart));
            tokenStart = -1;
        }
    };
    // A character counts only when it is one code point on its own: a letter
    // carrying a combining mark ends the token like any other character. Below
    // U+0300 every code point is a character of its own (CR LF aside, which
    // never belongs to a token), so such text needs no boundary search.
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x300; })) {
        for (qsizetype i = 0; i < text.size(); ++i) take(i, 1);
    } else {
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
        qsizetype start = 0;
        for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
            take(start, end - start);
            start = end;
        }
    }
    if (tokenStart >= 0) tokens.append(text.mid(tokenStart));
    return tokens;
}

QStringList splitCamelCase(const QString& token)
{
    bool hasUpper = false;
    bool hasLower = false;
    for (QChar c : token) {
        hasUpper = hasUpper || c.isUpper();
        hasLower = hasLower || c.isLower();
    }
    if (!hasUpper || !hasLower) return {token};

    QStringList parts;
    QString current;
    bool previousWasLower = false;
    for (QChar c : token) {
        if (c.isUpper() && previousWasLower && !current.isEmpty()) {
            parts.append(current);
            current.clear();
        }
        current.append(c);
        previousWasLower = c.isLower();
    }
    if (!current.isEmpty()) parts.append(current);
    return parts;
}

bool hasTripleRepeat(const QString& word)
{
    // Compared as whole characters, so go by grapheme clusters.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, word);
    QStringView previous;
    int run = 0;
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        const QStringView character = QStringView(word).mid(start, end - start);
        run = character == previous ? run + 1 : 1;
        if (run >= 3) return true;
        previous = character;
        start = end;
    }
    return false;
}

QString cleanDisplay(const QString& token)
{
    qsizetype begin = 0;
    qsizetype end = token.size();
    auto isQuote = [](QChar c) { return c == kApostrophe || c == kRightQuote; };
    while (begin < end && isQuote(token.at(begin))) ++begin;
    while (end > begin && isQuote(token.at(end - 1))) --end;
    return token.mid(begin, end - begin);
}

QString singularize(const QString& word) { return singularOf(word, tables().facts(word)); }

std::optional<QString> normalize(const QString& token, const Options& options)
{
    QString word = token.toLower();
    word.replace(kRightQuote, kApostrophe);
    if (word.contains(kApostrophe)) {
        const QStringList pieces = word.split(kApostrophe, Qt::KeepEmptyParts);
        if (pieces.size() >= 2 && tables().contractionSuffixes.contains(pieces.at(1)))
            word = pieces.at(0);
        else
            word = pieces.join(QString());
    }
    if (word.isEmpty()) return std::nullopt;

    // Only Latin letters remain, each one code unit and one character, so the
    // length in characters is the string's size.
    bool hasVowel = false;
    bool allAscii = true;
    for (QChar c : std::as_const(word)) {
        const char16_t u = c.unicode();
        if (!isLatinLetter(u)) return std::nullopt;
        allAscii = allAscii && u <= 0x7F;
        hasVowel = hasVowel || u == u'a' || u == u'e' || u == u'i' || u == u'o' || u == u'u' || u == u'y';
    }
    if (word.size() < options.minimumLength || word.size() > options.maximumLength) return std::nullopt;
    if (!hasVowel && allAscii) return std::nullopt;
    for (qsizetype i = 2; i < word.size(); ++i) {
        if (word.at(i) == word.at(i - 1) && word.at(i) == word.at(i - 2)) return std::nullopt;
    }
    const auto& t = tables();
    const vocabularytables::WordFacts* facts = t.facts(word);
    if (isRejected(facts, options)) return std::nullopt;

    QString singular = singularOf(word, facts);
    if (singular.size() < options.minimumLength) return std::nullopt;
    if (singular != word && isRejected(t.facts(singular), options)) return std::nullopt;
    return singular;
}

QList<Token> extract(const QString& text, const Options& options)
{
    QList<Token> tokens;
    if (text.isEmpty()) return tokens;
    auto add = [&](const QString& part) {
        if (std::optional<QString> key = normalize(part, options))
            tokens.append(Token{cleanDisplay(part), std::move(*key)});
    };
    for (const QString& raw : scanTokens(removeNoise(text))) {
        // Most words have no capital after their first letter: no split to make.
        const bool mayBeMixed = std::any_of(raw.cbegin() + 1, raw.cend(), [](QChar c) { return c.isUpper(); });
        if (!options.splitsCamelCase || !mayBeMixed) {
            add(raw);
            continue;
        }
        for (const QString& part : splitCamelCase(raw)) add(part);
    }
    return tokens;
}

}  // namespace klipo::VocabularyExtractor
