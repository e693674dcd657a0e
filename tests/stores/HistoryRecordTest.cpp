#include "stores/HistoryIndex.h"
#include "stores/HistoryRecord.h"
#include "stores/IsoDate.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

using namespace klipo;

namespace {

HistoryRecord recordWithTexts(const QString& original, const QString& translated)
{
    HistoryRecord r;
    r.originalText = original;
    r.translatedText = translated;
    return r;
}

HistoryRecord decodeOne(const QByteArray& recordJson)
{
    const auto decoded = historyindex::decode("{\"version\":1,\"records\":[" + recordJson + "]}");
    EXPECT_TRUE(decoded && decoded->records.size() == 1);
    return decoded && !decoded->records.isEmpty() ? decoded->records.first() : HistoryRecord{};
}

}  // namespace

TEST(HistoryRecord, displayLines_FallBackFromBlankTranslation_AndAreCutCountingUserPerceivedCharacters)
{
    EXPECT_EQ(recordWithTexts("\n \t\n  First line \nsecond", " \n\t\n").displayTitle(), "First line");
    EXPECT_EQ(recordWithTexts("src", "\u3000译文\u3000\n").displayTitle(), "译文");  // U+3000 is a blank too
    EXPECT_EQ(recordWithTexts(" \n\t", "").displayTitle(), "（未识别到文字）");

    const QString forty = QString(39, u'a') + QStringLiteral("e\u0301");  // 40 characters, 41 code units
    EXPECT_EQ(recordWithTexts("", forty).displayTitle(), forty);
    QString fortyOne;
    for (int i = 0; i < 41; ++i) fortyOne += QStringLiteral("😀");
    EXPECT_EQ(recordWithTexts("", fortyOne).displayTitle(), fortyOne.left(80) + "…");
    EXPECT_EQ(recordWithTexts(QString(61, u'x'), "").displaySubtitle(), QString(60, u'x') + "…");
}

TEST(HistoryRecord, fromJson_GivesDefaults_ForMissingNullOrMistypedFields)
{
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
    const HistoryRecord r = decodeOne(R"({"id":"not-a-uuid","date":"2024-13-01T00:00:00Z","imageName":"a.png",
        "originalImageName":null,"originalText":5,"unknown":true})");
    EXPECT_FALSE(r.id.isNull());
    EXPECT_GE(r.date, before);
    EXPECT_EQ(r.imageName, "a.png");
    EXPECT_FALSE(r.originalImageName.has_value());
    EXPECT_EQ(r.originalText, "");

    const HistoryRecord dated =
        decodeOne(R"({"id":"0b8e6a5c-1f2d-4c3b-9a8e-7d6c5b4a3f21","date":"2024-05-01T10:00:00+08:00","imageName":"d.png"})");
    EXPECT_EQ(dated.idText(), "0B8E6A5C-1F2D-4C3B-9A8E-7D6C5B4A3F21");
    EXPECT_EQ(dated.date, QDateTime(QDate(2024, 5, 1), QTime(2, 0), Qt::UTC));
    EXPECT_FALSE(isodate::parse("2024-05-01T10:00:00.5Z").isValid());
}

TEST(HistoryIndex, decode_RejectsWholeDocument_WhenShapeIsWrong)
{
    for (const char* wrong : {R"({"version":1,"records":[{}, 3]})", R"({"records":[]})", R"({"version":"1","records":[]})",
                              R"({"version":1,"records":[)", "[]"})
        EXPECT_FALSE(historyindex::decode(wrong)) << wrong;
    EXPECT_TRUE(historyindex::decode(R"({"version":7,"records":[]})"));
}

TEST(HistoryIndex, encode_RoundTripsEveryFieldButSubSeconds_InTheStoredForm)
{
    HistoryRecord r;
    r.id = QUuid::createUuid();
    r.date = QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58, 750), Qt::UTC);
    r.imageName = r.idText() + ".png";
    r.originalText = "a/b \"q\"\nline";
    r.translatedText = "译文";
    r.targetLanguage = "en";
    HistoryRecord screenshot = r;
    screenshot.id = QUuid::createUuid();
    r.originalImageName = r.idText() + "-src.png";

    const QByteArray data = historyindex::encode({r, screenshot});
    EXPECT_TRUE(data.contains("a/b \\\"q\\\"\\nline"));  // slash plain, quotes and line feed escaped
    EXPECT_TRUE(data.contains("译文"));                  // UTF-8, not \u escapes
    EXPECT_LT(data.indexOf("\"records\""), data.indexOf("\"version\""));
    EXPECT_EQ(data.count("originalImageName"), 1);

    const auto decoded = historyindex::decode(data);
    ASSERT_TRUE(decoded);
    HistoryRecord expected = r;
    expected.date = expected.date.addMSecs(-750);
    EXPECT_EQ(decoded->records.at(0), expected);
    EXPECT_FALSE(decoded->records.at(1).originalImageName.has_value());
}
