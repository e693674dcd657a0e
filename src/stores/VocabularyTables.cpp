#include "stores/VocabularyTables.h"

#include <algorithm>

namespace klipo::vocabularytables {

namespace {

QSet<QString> wordSet(const char* words)
{
    QSet<QString> set;
    for (const QString& word : QString::fromLatin1(words).split(u' ', Qt::SkipEmptyParts)) set.insert(word);
    return set;
}

// Marks every word of the list with `flag`.
void mark(QHash<QString, WordFacts>& facts, const char* words, bool WordFacts::*flag)
{
    for (const QString& word : wordSet(words)) facts[word].*flag = true;
}

bool hasAny(const QString& text, QStringView characters)
{
    return std::any_of(text.cbegin(), text.cend(), [characters](QChar c) { return characters.contains(c); });
}

Tables build()
{
    Tables t;
    // Each pattern comes with a test for a character every match must hold,
    // so that text without it skips the search.
    const struct {
        const char* pattern;
        bool (*mayMatch)(const QString&);
    } patterns[] = {
        // web addresses
        {R"((?i)\b(?:https?://|ftp://|www\.)\S+)",
         [](const QString& s) {
             return s.contains(QLatin1String("://")) || s.contains(QLatin1String("www."), Qt::CaseInsensitive);
         }},
        // e-mail addresses
        {R"((?i)[\w.%+-]+@[\w.-]+\.[a-z]{2,})", [](const QString& s) { return s.contains(u'@'); }},
        // bare domain names
        {R"((?i)\b[a-z0-9-]+\.(?:com|cn|net|org|io|dev|co|edu|gov|app|me|jp|uk|de|fr|ru|info|xyz|top|vip)\b)",
         [](const QString& s) { return s.contains(u'.'); }},
        // file paths, optionally starting with "~", "." or a drive letter:
        //   (?:[~.]|[A-Za-z]:\\)?[\w.-]*[/\\][\w./\\-]+
        // A match starts only at "~", "/", "\", a drive letter or the first
        // character of a run of [\w.-] (whatever matches from inside such a run
        // already matches from its first character). The guard in front says so and keeps
        // the search linear on long runs such as Chinese text without spaces;
        // the matches are the same.
        {R"((?:(?=[~/\\]|[A-Za-z]:\\)|(?<![\w.-])(?=[\w.-]))(?:[~.]|[A-Za-z]:\\)?[\w.-]*+[/\\][\w./\\-]+)",
         [](const QString& s) { return hasAny(s, u"/\\"); }},
        // markup tags
        {R"(<[^>\n]{1,60}>)", [](const QString& s) { return s.contains(u'<'); }},
        // every run of non-space characters that holds a digit: \S*\d\S*. Such a
        // match always starts where no non-space character precedes it; the
        // guard says so (same matches, and linear on long runs).
        {R"((?<!\S)\S*\d\S*)",
         [](const QString& s) {
             return std::any_of(s.cbegin(), s.cend(), [](QChar c) { return c.isDigit() || c.isSurrogate(); });
         }},
    };
    for (const auto& [pattern, mayMatch] : patterns) {
        QRegularExpression re(QString::fromLatin1(pattern), QRegularExpression::UseUnicodePropertiesOption);
        if (!re.isValid()) continue;
        re.optimize();
        t.noisePatterns.append({re, mayMatch});
    }

    t.contractionSuffixes = wordSet("s t re ve ll d m");

    const char* const irregular[][2] = {
        {"children", "child"},  {"men", "man"},         {"women", "woman"}, {"feet", "foot"},    {"teeth", "tooth"},
        {"mice", "mouse"},      {"geese", "goose"},     {"oxen", "ox"},     {"knives", "knife"}, {"lives", "life"},
        {"wives", "wife"},      {"leaves", "leaf"},     {"wolves", "wolf"}, {"halves", "half"},  {"shelves", "shelf"},
        {"selves", "self"},     {"thieves", "thief"},   {"loaves", "loaf"}, {"goes", "go"},      {"heroes", "hero"},
        {"potatoes", "potato"}, {"tomatoes", "tomato"}, {"echoes", "echo"},
    };
    for (const auto& [plural, singular] : irregular)
        t.words[QString::fromLatin1(plural)].irregularSingular = QString::fromLatin1(singular);

    // Words that keep their final "s".
    mark(t.words,
         "news series species gas lens canvas atlas bias corps chaos perhaps always towards upwards downwards "
         "backwards forwards besides means physics mathematics economics politics statistics graphics ethics "
         "athletics campus bonus census focus status virus genius circus surplus consensus",
         &WordFacts::keepAsIs);

    // Plurals in "-ies" whose singular ends in "-ie".
    mark(t.words,
         "movies cookies zombies calories rookies selfies newbies genies hippies birdies brownies smoothies yuppies",
         &WordFacts::ieNoun);

    // Stop words.
    mark(t.words,
         "a about above after again against all almost also although always am among an and another any anyone "
         "anything are aren around as at be because been before being below beside besides between beyond both but "
         "by can cannot could couldn did didn do does doesn doing don down during each either else enough etc even "
         "ever every everyone everything except few for from further had hadn has hasn have haven having he hence "
         "her here hers herself him himself his how however i if in indeed instead into is isn it its itself just "
         "let ll many may maybe me might mine more moreover most much must my myself near need neither never "
         "nevertheless no nor not nothing now of off often on once only onto or other others otherwise ought our "
         "ours ourselves out over own perhaps quite rather re same shall she should shouldn since so some someone "
         "something sometimes soon still such than that the their theirs them themselves then there therefore these "
         "they this those though through thus to too toward towards under unless until up upon us ve very was wasn "
         "we well were weren what whatever when whenever where whether which while who whom whose why will with "
         "within without won would wouldn yes yet you your yours yourself yourselves",
         &WordFacts::stopWord);

    // Words that are always noise.
    mark(t.words,
         "lorem ipsum untitled jpeg json href div img btn nav utf api url uri usb gps cpu gpu ram rom www http https "
         "ftp com org net exe dmg zip rar iso app obj src tmp var func init nil null undefined boolean int str arg "
         "args param",
         &WordFacts::alwaysNoise);

    // Interface words, noise only when asked for.
    mark(t.words,
         "ok okay cancel close done apply submit confirm back next previous prev skip retry continue menu file edit "
         "view help setting preference option tool window tab home search login logout signin signup register "
         "account profile password username email click tap select choose save open delete remove add new copy "
         "paste cut undo redo print share send reply forward download upload install update upgrade version loading "
         "error warning success failed please wait more less show hide enable disable start stop exit quit refresh "
         "reload sort filter export import admin user name title description detail info status type size date "
         "time total free pro premium trial subscribe subscription terms privacy policy cookie accept reject page "
         "link button icon image photo video audio play pause",
         &WordFacts::interfaceNoise);
    return t;
}

}  // namespace

const Tables& tables()
{
    static const Tables instance = build();
    return instance;
}

}  // namespace klipo::vocabularytables
