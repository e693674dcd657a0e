#include "platform/text/Cld2LanguageDetector.h"

#include <gtest/gtest.h>

using klipo::platform::Cld2LanguageDetector;

TEST(LanguageDetector, recognisesSentences_WithConfidentHypotheses)
{
    const Cld2LanguageDetector detector;
    const auto french = detector.detect(QStringLiteral("Je voudrais réserver une table pour deux personnes ce soir."));
    EXPECT_EQ(french.dominant, QStringLiteral("fr"));
    ASSERT_FALSE(french.hypotheses.empty());
    EXPECT_EQ(french.hypotheses.front().code, QStringLiteral("fr"));
    EXPECT_GE(french.hypotheses.front().probability, 0.5);
    EXPECT_LE(french.hypotheses.size(), 5u);
    EXPECT_EQ(detector.detect(QStringLiteral("El tren llega a la estación con veinte minutos de retraso.")).dominant,
              QStringLiteral("es"));
}

TEST(LanguageDetector, decidesCjkByScriptFirst)
{
    const Cld2LanguageDetector detector;
    EXPECT_EQ(detector.detect(QStringLiteral("今日はとても良い天気です")).dominant, QStringLiteral("ja"));
    EXPECT_EQ(detector.detect(QStringLiteral("오늘은 날씨가 좋습니다")).dominant, QStringLiteral("ko"));
    EXPECT_EQ(detector.detect(QStringLiteral("文字识别在后台线程中运行")).dominant, QStringLiteral("zh-Hans"));
    EXPECT_TRUE(detector.detect(QStringLiteral("這是繁體中文的句子，用來測試語言識別。")).dominant.startsWith(QLatin1String("zh")));
}

TEST(LanguageDetector, answersNothing_WhenItCannotTell)
{
    const Cld2LanguageDetector detector;
    EXPECT_TRUE(detector.detect(QStringLiteral("OK")).dominant.isEmpty());
    EXPECT_TRUE(detector.detect(QStringLiteral("12:30 — 45%")).dominant.isEmpty());
    EXPECT_TRUE(detector.detect(QString()).dominant.isEmpty());
}
