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
        {"children", "child"}, {"series", "series"}, {"status", "status"}, {"buses", "bus"}, {"movies", "movie"},
        {"cities", "city"},    {"watches", "watch"}, {"glasses", "glass"}, {"files", "file"}, {"ties", "tie"},
        {"gas", "gas"},        {"axis", "axis"}};
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
