#include "stores/VocabularyExtractor.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace klipo;
namespace vx = klipo::VocabularyExtractor;

namespace {

QStringList keys(const QString& text, const vx::Options& options = {})
{
    QStringList result;
    for (const vx::Token& token : vx::extract(text, options)) result.append(token.normalized);
    return result;
}

QStringList displays(const QString& text)
{
    QStringList result;
    for (const vx::Token& token : vx::extract(text)) result.append(token.display);
    return result;
}

}  // namespace

TEST(VocabularyExtractor, extract_FindsNothing_InTextWithoutLatinWords)
{
    EXPECT_TRUE(vx::extract("").isEmpty());
    EXPECT_TRUE(vx::extract("123 4.5 -- !? (42)").isEmpty());
    EXPECT_TRUE(vx::extract("这是一段中文文本，没有英文。").isEmpty());
}

TEST(VocabularyExtractor, extract_RemovesAddressesPathsTagsAndNumbers_BetweenWords)
{
    EXPECT_EQ(keys("apple https://example.com/a/b?c=1 banana"), QStringList({"apple", "banana"}));
    EXPECT_EQ(keys("apple www.example.org banana"), QStringList({"apple", "banana"}));
    EXPECT_EQ(keys("apple example.io banana"), QStringList({"apple", "banana"}));
    EXPECT_EQ(keys("mail me at someone.else@example.com"), QStringList({"mail"}));
    EXPECT_EQ(keys("apple ~/Documents/report.txt banana C:\\Users\\kit\\file.doc cherry"),
              QStringList({"apple", "banana", "cherry"}));
    EXPECT_EQ(keys("apple <span class=\"x\"> banana"), QStringList({"apple", "banana"}));
    EXPECT_EQ(keys("Model3X apple v2.0-beta"), QStringList({"apple"}));
    EXPECT_EQ(keys("eBook"), QStringList({"book"}));
}

TEST(VocabularyExtractor, extract_DropsContractionsAndOuterApostrophes)
{
    EXPECT_TRUE(vx::extract("Don't it's we'll").isEmpty());  // don, it, we: stop words or too short
    EXPECT_EQ(keys("rock'n'roll o’clock"), QStringList({"rocknroll", "oclock"}));
    const QList<vx::Token> students = vx::extract("Students'");
    ASSERT_EQ(students.size(), 1);
    EXPECT_EQ(students.first(), (vx::Token{"Students", "student"}));
    EXPECT_EQ(vx::cleanDisplay("’Don’t’"), "Don’t");
}

TEST(VocabularyExtractor, extract_TakesLatinLettersOnlyAsSingleCharacters)
{
    EXPECT_EQ(vx::extract("Café"), (QList<vx::Token>{{"Café", "café"}}));
    EXPECT_EQ(keys("naïve"), QStringList({"naïve"}));
    EXPECT_EQ(vx::scanTokens("Cafe\u0301 ok"), QStringList({"Caf", "ok"}));
    EXPECT_EQ(vx::scanTokens("ab×cd÷ef Straße"), QStringList({"ab", "cd", "ef", "Straße"}));
    EXPECT_TRUE(keys("İstanbul").isEmpty());  // lower-casing brings in a combining dot
}

TEST(VocabularyExtractor, normalize_RejectsNoise_ByVowelsRepeatsLengthAndTables)
{
    EXPECT_EQ(vx::normalize("rhythm"), "rhythm");
    EXPECT_EQ(vx::normalize("bookkeeper"), "bookkeeper");
    for (const char* noise : {"pfft", "grrr", "aaa", "the", "lorem", "JSON", "ab"})
        EXPECT_FALSE(vx::normalize(noise)) << noise;
    const QString letters24 = "abcdefghijklmnopqrstuvwx";
    EXPECT_EQ(vx::normalize(letters24), letters24);
    EXPECT_FALSE(vx::normalize(letters24 + "a"));
    EXPECT_FALSE(vx::normalize(letters24 + "s"));  // its singular would fit, but the length is tested first
}

TEST(VocabularyExtractor, singularize_FollowsIrregularKeptAndEndingRules)
{
    const QList<std::pair<QString, QString>> cases = {
        {"children", "child"}, {"news", "news"},   {"series", "series"}, {"status", "status"}, {"buses", "bus"},
        {"movies", "movie"},   {"cities", "city"}, {"boxes", "box"},     {"watches", "watch"}, {"wishes", "wish"},
        {"glasses", "glass"},  {"files", "file"},  {"uses", "use"},      {"ties", "tie"},      {"cats", "cat"},
        {"gas", "gas"},        {"class", "class"}, {"axis", "axis"},     {"bus", "bus"}};
    for (const auto& [plural, singular] : cases) EXPECT_EQ(vx::singularize(plural), singular) << plural.toStdString();
    EXPECT_FALSE(vx::normalize("oxen"));  // "ox" is too short
}

TEST(VocabularyExtractor, extract_SplitsCamelCase_AndFiltersInterfaceWordsOnlyWhenAsked)
{
    EXPECT_EQ(vx::splitCamelCase("DataViewer"), QStringList({"Data", "Viewer"}));
    EXPECT_EQ(vx::splitCamelCase("HTMLTableRow"), QStringList({"HTMLTable", "Row"}));
    EXPECT_EQ(vx::splitCamelCase("HTMLParser"), QStringList({"HTMLParser"}));
    EXPECT_EQ(displays("getUserName"), QStringList({"get", "User", "Name"}));
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
