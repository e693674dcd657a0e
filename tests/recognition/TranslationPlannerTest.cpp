#include "platform/text/LanguageDetector.h"
#include "platform/text/Translator.h"
#include "recognition/TranslationPlanner.h"

#include <gtest/gtest.h>

#include <set>

using namespace klipo;
namespace TP = klipo::TranslationPlanner;

namespace {

// A recogniser that always gives the same answer.
class FixedDetector : public platform::LanguageDetector {
public:
    FixedDetector(QString dominant, double probability) : m_dominant(std::move(dominant)), m_probability(probability) {}
    platform::LanguageGuess detect(const QString&) const override
    {
        if (m_dominant.isEmpty()) return {};
        return {m_dominant, {{m_dominant, m_probability}}};
    }

private:
    QString m_dominant;
    double m_probability;
};

// A translation layer with a fixed set of installed pairs ("es>en").
class FakeTranslator : public platform::Translator {
public:
    explicit FakeTranslator(std::set<QString> installed) : m_installed(std::move(installed)) {}
    platform::LanguagePairStatus status(const QString& s, const QString& t) const override
    {
        return m_installed.count(s + QLatin1Char('>') + t) ? platform::LanguagePairStatus::Installed
                                                             : platform::LanguagePairStatus::Supported;
    }
    platform::TranslationOutcome prepare(const std::optional<QString>&, const QString&) override { return {}; }
    platform::TranslationOutcome translate(const std::vector<platform::TranslationRequest>&,
                                           const std::optional<QString>&, const QString&,
                                           const platform::CancelToken&) override
    {
        return {};
    }

private:
    std::set<QString> m_installed;
};

TextBlock block(const QString& text) { return TextBlock{{TextLine{text, QRectF(0, 0, 10, 10), std::nullopt}}, text, {}}; }

}  // namespace

TEST(TranslationPlanner, chineseTarget_TranslatesOnlyTextThatIsMostlyForeign)
{
    const FixedDetector none(QString(), 0);
    const QString zh = QStringLiteral("zh-Hans");
    EXPECT_TRUE(TP::needsTranslation(QStringLiteral("ok"), zh, &none));
    EXPECT_FALSE(TP::needsTranslation(QStringLiteral("a"), zh, &none));
    EXPECT_FALSE(TP::needsTranslation(QStringLiteral("十个汉字十个汉字十个 the"), zh, &none));
    EXPECT_TRUE(TP::needsTranslation(QStringLiteral("hello中文"), zh, &none));
    EXPECT_FALSE(TP::needsTranslation(QString(), zh, &none));
}

TEST(TranslationPlanner, chineseTarget_CountsKanaHangulCyrillicAndGreekAsForeign)
{
    const FixedDetector none(QString(), 0);
    const QString zh = QStringLiteral("zh-Hans");
    EXPECT_TRUE(TP::needsTranslation(QStringLiteral("今日はとても良い天気です"), zh, &none));
    EXPECT_TRUE(TP::needsTranslation(QStringLiteral("오늘은 날씨가 좋습니다"), zh, &none));
    EXPECT_TRUE(TP::needsTranslation(QStringLiteral("Привет, мир"), zh, &none));
    EXPECT_TRUE(TP::needsTranslation(QStringLiteral("Καλημέρα κόσμε"), zh, &none));
    EXPECT_FALSE(TP::needsTranslation(QStringLiteral("东京都千代田区のビル"), zh, &none));  // mostly Han
}

TEST(TranslationPlanner, treatsChineseVariantsAndRegionsAsOneLanguage)
{
    EXPECT_TRUE(TP::sameLanguage(QStringLiteral("zh-Hans"), QStringLiteral("zh-Hant")));
    EXPECT_TRUE(TP::sameLanguage(QStringLiteral("EN"), QStringLiteral("en-US")));
    EXPECT_TRUE(TP::sameLanguage(QStringLiteral("pt-BR"), QStringLiteral("pt-PT")));
    EXPECT_FALSE(TP::sameLanguage(QStringLiteral("en"), QStringLiteral("es")));

    const FixedDetector chinese(QStringLiteral("zh-Hans"), 0.9);
    const TP::Plan plan = TP::plan({block(QStringLiteral("hello 你好世界"))}, QStringLiteral("zh-Hant"), &chinese);
    ASSERT_EQ(plan.blocksToTranslate.size(), 1u);
    EXPECT_FALSE(plan.sourceLanguage.has_value());  // a Chinese source is never named for a Chinese target
    EXPECT_TRUE(TP::plan({block(QStringLiteral("你好世界 ab"))}, QStringLiteral("zh-Hant"), &chinese)
                    .blocksToTranslate.empty());
}

TEST(TranslationPlanner, otherTargets_DropTextInTheTargetLanguage)
{
    const FixedDetector english(QStringLiteral("en"), 0.95);
    const TP::Plan dropped = TP::plan({block(QStringLiteral("Save your work"))}, QStringLiteral("en-US"), &english);
    EXPECT_TRUE(dropped.blocksToTranslate.empty());
    EXPECT_FALSE(dropped.sourceLanguage.has_value());

    const FixedDetector french(QStringLiteral("fr"), 0.95);
    const TP::Plan kept =
        TP::plan({block(QStringLiteral("Enregistrez le document et fermez la fenêtre"))}, QStringLiteral("en-US"), &french);
    ASSERT_EQ(kept.blocksToTranslate.size(), 1u);
    EXPECT_EQ(kept.sourceLanguage, QStringLiteral("fr"));

    const FixedDetector unsure(QString(), 0);
    EXPECT_EQ(TP::plan({block(QStringLiteral("xyzzy"))}, QStringLiteral("en"), &unsure).blocksToTranslate.size(), 1u);
}

TEST(TranslationPlanner, stopWordVote_WinsOnlyWithAClearLead)
{
    EXPECT_EQ(TP::stopwordVote(QStringLiteral("le chat est sur la table")), QStringLiteral("fr"));
    EXPECT_EQ(TP::stopwordVote(QStringLiteral("Él está aquí con su perro y más")), QStringLiteral("es"));
    EXPECT_FALSE(TP::stopwordVote(QStringLiteral("het van op")).has_value());  // nl and af tie
    EXPECT_FALSE(TP::stopwordVote(QStringLiteral("le chat")).has_value());    // fewer than three words
    EXPECT_FALSE(TP::stopwordVote(QStringLiteral("chat noir dort")).has_value());
    // A decomposed accent matches the precomposed stop word.
    EXPECT_EQ(TP::stopwordVote(QStringLiteral("na\u0303o esta\u0301 bem")), QStringLiteral("pt"));

    // The vote beats a recogniser that prefers another language.
    const FixedDetector german(QStringLiteral("de"), 0.9);
    EXPECT_EQ(TP::detectLanguage(QStringLiteral("le chat est sur la table"), &german), QStringLiteral("fr"));
}

TEST(TranslationPlanner, latinTextWithoutVote_NeedsEightWordsToTrustTheRecogniser)
{
    const FixedDetector german(QStringLiteral("de"), 0.9);
    const QString seven = QStringLiteral("Katze Hund Maus Baum Haus Wald Feld");
    EXPECT_EQ(TP::detectLanguage(seven, &german), QStringLiteral("en"));
    EXPECT_EQ(TP::detectLanguage(seven + QStringLiteral(" Berg"), &german), QStringLiteral("de"));
    const FixedDetector unsureGerman(QStringLiteral("de"), 0.4);
    EXPECT_EQ(TP::detectLanguage(seven + QStringLiteral(" Berg"), &unsureGerman), QStringLiteral("en"));
}

TEST(TranslationPlanner, digitsAndPunctuation_AreNotLatinAndKeepTheRecognisersAnswer)
{
    EXPECT_FALSE(TP::isMostlyLatin(QStringLiteral("12:30 — 45%")));
    EXPECT_FALSE(TP::isMostlyLatin(QString()));
    EXPECT_TRUE(TP::isMostlyLatin(QStringLiteral("abc中")));  // 3 >= 16 / 5 in integers, though only 75 %
    EXPECT_FALSE(TP::isMostlyLatin(QStringLiteral("a中中")));
    const FixedDetector none(QString(), 0);
    EXPECT_FALSE(TP::detectLanguage(QStringLiteral("12:30"), &none).has_value());
}

TEST(TranslationPlanner, resolveAvailable_NeverSwapsAMissingSourceForEnglish)
{
    const QString target = QStringLiteral("zh-Hans");
    const FakeTranslator englishInstalled({QStringLiteral("en>zh-Hans")});
    for (const char* code : {"fr", "ja", "ko", "zh-Hant"}) {
        const auto source = std::optional<QString>(QString::fromLatin1(code));
        EXPECT_EQ(TP::resolveAvailable(source, target, true, &englishInstalled), source) << code;
        EXPECT_EQ(TP::resolveAvailable(source, target, false, &englishInstalled), source) << code;
    }
    EXPECT_EQ(TP::resolveAvailable(std::nullopt, target, true, &englishInstalled), std::nullopt);
}
