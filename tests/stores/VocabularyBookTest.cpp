#include "stores/VocabularyBook.h"
#include "stores/VocabularyExtractor.h"

#include <gtest/gtest.h>

using namespace klipo;
using namespace klipo::vocabularybook;
namespace vx = klipo::VocabularyExtractor;

namespace {

const QDateTime t0(QDate(2024, 1, 1), QTime(8, 0), Qt::UTC);

VocabularyIngestResult ingest(Book& book, const QString& text, const QString& recordID, const QDateTime& at = t0)
{
    VocabularyIngestResult result = apply(book, fold(VocabularyExtractor::extract(text)), recordID, at);
    prune(book);
    sortResult(result);
    return result;
}

VocabularyWord word(const QString& key, qint64 count, const QDateTime& lastSeen = t0)
{
    VocabularyWord w;
    w.normalized = w.display = key;
    w.count = count;
    w.firstSeen = t0;
    w.lastSeen = lastSeen;
    return w;
}

QStringList keys(const QString& text, const vx::Options& options = {})
{
    QStringList result;
    for (const vx::Token& token : vx::extract(text, options)) result.append(token.normalized);
    return result;
}

}  // namespace

TEST(VocabularyExtractor, extract_KeepsOnlyRealWords_FromTextFullOfAddressesPathsTagsAndNumbers)
{
    const QList<std::pair<QString, QStringList>> cases = {
        {"", {}},
        {"123 4.5 -- !? (42) 这是一段中文文本，没有英文。", {}},
        {"apple https://example.com/a/b?c=1 www.example.org example.io banana", {"apple", "banana"}},
        {"mail me at someone.else@example.com", {"mail"}},
        {"apple ~/Documents/report.txt banana C:\\Users\\kit\\file.doc cherry", {"apple", "banana", "cherry"}},
        {"apple <span class=\"x\"> Model3X v2.0-beta eBook", {"apple", "book"}},
        {"Don't it's we'll rock'n'roll o’clock", {"rocknroll", "oclock"}},  // don, it, we: too short or stop words
        {"Café naïve İstanbul", {"café", "naïve"}},  // lower-casing İ brings in a combining dot
        {"pfft grrr aaa the lorem JSON ab rhythm bookkeeper", {"rhythm", "bookkeeper"}},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(keys(text), expected) << text.toStdString();

    EXPECT_EQ(vx::extract("Students'"), (QList<vx::Token>{{"Students", "student"}}));
    EXPECT_EQ(vx::cleanDisplay("’Don’t’"), "Don’t");
    EXPECT_EQ(vx::scanTokens("Cafe\u0301 ab×cd Straße"), QStringList({"Caf", "ab", "cd", "Straße"}));
}

TEST(VocabularyExtractor, normalize_HoldsLengthBeforeSingular_AndSingularizeFollowsIrregularKeptAndEndingRules)
{
    const QString letters24 = "abcdefghijklmnopqrstuvwx";
    EXPECT_EQ(vx::normalize(letters24), letters24);
    EXPECT_FALSE(vx::normalize(letters24 + "s"));  // its singular would fit, but the length is tested first
    EXPECT_FALSE(vx::normalize("oxen"));           // "ox" is too short

    const QList<std::pair<QString, QString>> cases = {
        {"children", "child"}, {"series", "series"}, {"status", "status"}, {"buses", "bus"},      {"movies", "movie"},
        {"cities", "city"},    {"watches", "watch"}, {"glasses", "glass"}, {"files", "file"},     {"ties", "tie"},
        {"gas", "gas"},        {"axis", "axis"},     {"class", "class"},   {"address", "address"}};
    for (const auto& [plural, singular] : cases) EXPECT_EQ(vx::singularize(plural), singular) << plural.toStdString();
}

TEST(VocabularyExtractor, extract_SplitsCamelCase_AndFiltersInterfaceWordsOnlyWhenAsked)
{
    EXPECT_EQ(vx::splitCamelCase("HTMLTableRow"), QStringList({"HTMLTable", "Row"}));
    EXPECT_EQ(vx::splitCamelCase("HTMLParser"), QStringList({"HTMLParser"}));
    EXPECT_EQ(keys("getUserName"), QStringList({"get", "user", "name"}));
    vx::Options filtering;
    filtering.filtersInterfaceWords = true;
    EXPECT_EQ(keys("getUserName", filtering), QStringList({"get"}));
    filtering.splitsCamelCase = false;
    EXPECT_EQ(keys("getUserName", filtering), QStringList({"getusername"}));
}

TEST(VocabularyExtractor, extract_FinishesOnLongTextsWithoutSpaces)
{
    // Runs of word characters with no digit, slash or dot must not make the
    // patterns search back and forth over the whole run.
    const QString run = QString(200000, u'字') + "apple" + QString(200000, u'a') + " banana";
    EXPECT_EQ(keys(run), QStringList({"banana"}));
}

TEST(VocabularyBook, ingest_CountsEveryOccurrence_OneSourcePerRecord_AndKeepsTheCapitalisedForm)
{
    Book book;
    const VocabularyIngestResult first = ingest(book, "Apple apple pear", "R1");
    EXPECT_EQ(first.distinctWords, QStringList({"apple", "pear"}));
    EXPECT_EQ(first.newWords, first.distinctWords);
    EXPECT_EQ(first.totalOccurrences, 3);
    book["pear"].definition = "梨";

    const VocabularyIngestResult second = ingest(book, "Apple apple pear plum", "R1", t0.addSecs(60));
    EXPECT_EQ(second.wordsNeedingDefinition, QStringList({"plum", "apple"}));  // new first
    const VocabularyWord apple = book.value("apple");
    EXPECT_EQ(apple.count, 4);
    ASSERT_EQ(apple.sources.size(), 1);
    EXPECT_EQ(apple.sources.first().count, 4);
    EXPECT_EQ(apple.sources.first().date, t0.addSecs(60));
    EXPECT_EQ((std::pair{apple.firstSeen, apple.lastSeen}), (std::pair{t0, t0.addSecs(60)}));

    ingest(book, "apple", "");  // counted without a source
    EXPECT_EQ(book.value("apple").count, 5);
    EXPECT_EQ(book.value("apple").sources.size(), 1);
    // A form differing from the key by case only is shown; another inflection is not.
    ingest(book, "apples", "R2");
    EXPECT_EQ(book.value("apple").display, "Apple");
    ingest(book, "Pears", "R3");
    EXPECT_EQ(book.value("pear").display, "pear");

    Book many;
    for (int i = 0; i < 101; ++i) ingest(many, "apple", QString::number(i));
    EXPECT_EQ(many.value("apple").count, 101);
    EXPECT_EQ(many.value("apple").sources.size(), 100);  // the newest 100
    EXPECT_EQ(many.value("apple").sources.first().recordID, "1");
    EXPECT_FALSE(detach(many, {"0"}, true));  // a source no longer kept takes nothing away
    EXPECT_EQ(many.value("apple").count, 101);
}

TEST(VocabularyBook, detach_RemovesEmptiedWords_UnlessMastered)
{
    Book book;
    ingest(book, "apple apple apple pear", "R1");
    ingest(book, "pear", "R2", t0.addSecs(30));
    book["pear"].lastSeen = t0.addSecs(99);
    EXPECT_TRUE(detach(book, {"R2"}, true));
    EXPECT_EQ(book.value("pear").count, 1);
    EXPECT_EQ(book.value("pear").lastSeen, t0);  // the newest remaining source

    book["apple"].isMastered = true;
    EXPECT_TRUE(detach(book, {"R1"}, false));
    EXPECT_FALSE(book.contains("pear"));
    const VocabularyWord apple = book.value("apple");
    EXPECT_EQ(apple.count, 0);
    EXPECT_TRUE(apple.sources.isEmpty());
    EXPECT_EQ(apple.lastSeen, apple.firstSeen);
}

TEST(VocabularyBook, prune_RemovesOldestSingleUndefinedWords_AndMayStayOverTheLimit)
{
    Book book;
    for (int i = 0; i < kMaximumWordCount + 5; ++i) {
        VocabularyWord w = word(QStringLiteral("w%1").arg(i, 5, 10, QChar(u'0')), 2);
        book.insert(w.normalized, w);
    }
    for (const char* key : {"w00001", "w00002", "w00003", "w00004", "w00005"}) book[key].count = 1;
    book["w00001"].lastSeen = t0.addSecs(10);
    book["w00003"].lastSeen = t0.addSecs(5);
    book["w00004"].isMastered = true;
    book["w00005"].definition = "义";
    prune(book);
    EXPECT_EQ(book.size(), kMaximumWordCount + 2);
    EXPECT_FALSE(book.contains("w00001") || book.contains("w00002") || book.contains("w00003"));
}

// With more candidates than words over the limit, exactly the excess goes.
TEST(VocabularyBook, prune_RemovesNoMoreThanTheWordsOverTheLimit)
{
    Book book;
    for (int i = 0; i < kMaximumWordCount + 2; ++i) {
        VocabularyWord w = word(QStringLiteral("w%1").arg(i, 5, 10, QChar(u'0')), i < 5 ? 1 : 2, t0.addSecs(i));
        book.insert(w.normalized, w);
    }
    prune(book);
    EXPECT_EQ(book.size(), kMaximumWordCount);
    EXPECT_FALSE(book.contains("w00000") || book.contains("w00001"));  // the two seen longest ago
    EXPECT_TRUE(book.contains("w00002") && book.contains("w00004"));
}

TEST(VocabularyBook, ranked_OrdersByCountThenRecencyThenKey_AndStopsAtLimit)
{
    Book book;
    for (int i = 0; i < kPublishedLimit + 1; ++i) {
        VocabularyWord w = word(QStringLiteral("w%1").arg(i, 3, 10, QChar(u'0')), 1);
        book.insert(w.normalized, w);
    }
    book.insert("top", word("top", 9));
    book.insert("recent", word("recent", 1, t0.addSecs(1)));
    book.insert("mastered", word("mastered", 50));
    book["mastered"].isMastered = true;
    book.insert("zero", word("zero", 0, t0.addSecs(2)));
    const QList<VocabularyWord> top = ranked(book, kPublishedLimit);
    ASSERT_EQ(top.size(), kPublishedLimit);
    EXPECT_EQ(top.at(0).normalized, "top");
    EXPECT_EQ(top.at(1).normalized, "recent");
    EXPECT_EQ(top.at(2).normalized, "w000");
    EXPECT_EQ(top.last().normalized, "w497");  // no mastered word, no word never seen
    EXPECT_EQ(summarize(book).masteredCount, 1);
}

TEST(VocabularyBook, setDefinitionsAndMerge_KeepWhatIsThere_AndTheDefinitionsLanguageTravels)
{
    Book book;
    ingest(book, "apple pear", "R1");
    EXPECT_FALSE(setDefinitions(book, {{"apple", "  \n "}, {"missing", "x"}}));
    EXPECT_TRUE(setDefinitions(book, {{"APPLE", " 苹果\n"}}, QStringLiteral("es")));
    EXPECT_EQ(book.value("apple").definition, "苹果");
    EXPECT_FALSE(setDefinitions(book, {{"apple", "苹果"}}, QStringLiteral("es")));
    EXPECT_TRUE(setDefinitions(book, {{"apple", "苹果"}}));  // only the language changed
    EXPECT_EQ(book.value("apple").definitionLanguage, std::nullopt);

    book["apple"].count = 7;
    VocabularyWord incoming = word("apple", 5, t0.addSecs(100));
    incoming.firstSeen = t0.addSecs(-100);
    incoming.definition = "另一个";
    incoming.isMastered = true;
    VocabularyWord pear = word("pear", 3);
    pear.definition = "n. sweet juicy gritty-textured fruit";
    pear.definitionLanguage = "en";
    EXPECT_EQ(merge(book, {incoming, pear, word("plum", 2)}), 1);
    const VocabularyWord apple = book.value("apple");
    EXPECT_EQ(apple.count, 7);
    EXPECT_EQ(apple.definition, "苹果");
    EXPECT_TRUE(apple.isMastered);
    EXPECT_EQ((std::pair{apple.firstSeen, apple.lastSeen}), (std::pair{t0.addSecs(-100), t0.addSecs(100)}));
    EXPECT_EQ(apple.sources.size(), 1);
    EXPECT_EQ(book.value("pear").definitionLanguage, "en");
    EXPECT_EQ(book.value("plum").count, 2);

    // Through the file, and from a file written before definitions had a language.
    EXPECT_EQ(decodeFile(encodeFile(book), t0).value_or(Book{}).value("pear").definitionLanguage, "en");
    EXPECT_FALSE(encodeFile(book).contains("\"definitionLanguage\": null"));
    const auto old = decodeFile(R"({"version":1,"words":[{"normalized":"fig","definition":"无花果"}]})", t0);
    ASSERT_TRUE(old);
    EXPECT_EQ(old->value("fig").definition, "无花果");
    EXPECT_EQ(old->value("fig").definitionLanguage, std::nullopt);
}

TEST(VocabularyBook, decodeFile_TakesDefaults_AndRejectsBrokenDocuments)
{
    const QDateTime now = t0.addDays(3);
    const auto book = decodeFile(R"({"version":1,"words":[
        {"normalized":"apple","count":"many","firstSeen":"yesterday","sources":[
            {"recordID":"R1","count":2,"date":"2024-01-01T08:00:00Z"},{"recordID":"R2","count":1}]},
        {"normalized":""}]})",
                                 now);
    ASSERT_TRUE(book);
    EXPECT_EQ(book->size(), 1);
    const VocabularyWord apple = book->value("apple");
    EXPECT_EQ((std::tuple{apple.display, apple.count, apple.firstSeen}), (std::tuple{QString("apple"), qint64(1), now}));
    EXPECT_TRUE(apple.sources.isEmpty());  // one faulty source empties the list

    for (const char* broken : {"{}", R"({"version":1,"words":[{"display":"x"}]})", R"({"version":1,"words":[1]})"})
        EXPECT_FALSE(decodeFile(broken, now)) << broken;
}

TEST(VocabularyBook, decodeFile_HoldsCountsToTheirLimit_AndReadsOnlyTheNewest100Sources)
{
    // 1100 counts of 2^53 would overflow any 64-bit total.
    QByteArray json = R"({"version":1,"words":[)";
    for (int i = 0; i < 1100; ++i)
        json += QStringLiteral(R"({"normalized":"w%1","count":9007199254740992},)").arg(i).toUtf8();
    json += R"({"normalized":"low","count":-5},{"normalized":"huge","count":1e300,"sources":[)";
    for (int i = 0; i < 150; ++i)
        json += QStringLiteral(R"(%1{"recordID":"R%2","count":9007199254740992,"date":"2024-01-01T08:00:00Z"})")
                    .arg(i ? "," : "")
                    .arg(i)
                    .toUtf8();
    json += "]}]}";
    auto book = decodeFile(json, t0);
    ASSERT_TRUE(book);
    const qint64 limit = VocabularyWord::maximumCount;
    EXPECT_EQ(book->value("w7").count, limit);
    EXPECT_EQ(book->value("low").count, 0);
    EXPECT_EQ(summarize(*book).totalOccurrences, 1101 * limit);
    const VocabularyWord huge = book->value("huge");
    ASSERT_EQ(huge.sources.size(), kMaximumSourcesPerWord);
    EXPECT_EQ(huge.sources.first().recordID, "R50");
    EXPECT_EQ(huge.sources.first().count, limit);

    ingest(*book, "huge", "R149");  // counting on stays within the limit
    EXPECT_EQ(book->value("huge").count, limit);
    EXPECT_EQ(book->value("huge").sources.last().count, limit);
}

namespace {

// `n` words "<prefix>00000" ... seen `count` times, the first one longest ago.
QList<VocabularyWord> words(const QString& prefix, int n, qint64 count)
{
    QList<VocabularyWord> list;
    for (int i = 0; i < n; ++i)
        list.append(word(prefix + QStringLiteral("%1").arg(i, 5, 10, QChar(u'0')), count, t0.addSecs(i)));
    return list;
}

Book bookOf(const QList<VocabularyWord>& list)
{
    Book book;
    for (const VocabularyWord& w : list) book.insert(w.normalized, w);
    return book;
}

}  // namespace

// A backup from another computer brings words past the book's limit: the
// book stays within it, takes the words that matter most (mastered, defined,
// seen most), and lets go of its own words only where its pruning would.
TEST(VocabularyBook, merge_KeepsTheBookWithinItsLimit_TakingWhatMattersMost)
{
    const int full = kMaximumWordCount;
    QList<VocabularyWord> studied = words("studied", 4, 1);
    studied[0].isMastered = studied[1].isMastered = true;
    studied[2].definition = studied[3].definition = "义";
    struct Case {
        const char* what;
        QList<VocabularyWord> local;
        QList<VocabularyWord> incoming;
        MergeReport expected;
        QStringList kept, gone;
    };
    const QList<Case> cases = {
        {"an empty book and a huge backup",
         {},
         words("once", full + 100, 1) + words("twice", 50, 2) + studied,
         {full, 154, 0},
         {"studied00000", "studied00003", "twice00049", "once00154"},
         {"once00153", "once00000"}},
        {"a book of words seen once",
         words("mine", full, 1),
         words("once", 10, 1) + words("twice", 3, 2) + studied,
         {7, 10, 7},
         {"mine00007", "twice00000", "studied00001"},
         {"mine00006", "once00009"}},
        {"a book of words seen twice",
         words("mine", full, 2),
         studied + words("mine", 5, 9),
         {0, 4, 0},
         {"mine00000"},
         {"studied00000"}},
    };
    for (const Case& c : cases) {
        Book book = bookOf(c.local);
        MergeReport report;
        merge(book, c.incoming, &report);
        EXPECT_EQ((std::tuple{report.added, report.leftOut, report.displaced}),
                  (std::tuple{c.expected.added, c.expected.leftOut, c.expected.displaced}))
            << c.what;
        EXPECT_LE(book.size(), full) << c.what;
        for (const QString& key : c.kept) EXPECT_TRUE(book.contains(key)) << c.what << " " << key.toStdString();
        for (const QString& key : c.gone) EXPECT_FALSE(book.contains(key)) << c.what << " " << key.toStdString();
    }
    // Known words take the incoming ones in even when the book is full.
    Book book = bookOf(words("mine", full, 2));
    merge(book, words("mine", 5, 9));
    EXPECT_EQ(book.value("mine00004").count, 9);

    // While reading backups, only what such a merge can take is held.
    QList<VocabularyWord> read = words("once", 100, 1) + studied + words("mine", 3, 1);
    keepMergeable(read, {"mine00000", "mine00002"}, 5);
    QStringList keys;
    for (const VocabularyWord& w : read) keys << w.normalized;
    keys.sort();
    EXPECT_EQ(keys, QStringList({"mine00000", "mine00002", "once00099", "studied00000", "studied00001", "studied00002",
                                 "studied00003"}));
}
