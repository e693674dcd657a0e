// Which recognised text feeds the vocabulary book: English paragraphs only,
// told with the real language recogniser, and what reaches the book when a
// translation is kept in the history.
#include "platform/text/Cld2LanguageDetector.h"
#include "recognition/TranslationHistory.h"
#include "recognition/VocabularySource.h"
#include "stores/VocabularyStore.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <QThreadPool>

using namespace klipo;

namespace {

const QString kSpanishArticle = QStringLiteral(
    "Presupuesto\n"
    "El gobierno presentó los presupuestos del año que viene en el congreso.\n"
    "Los diputados dicen que el presupuesto no alcanza para la sanidad.\n"
    "Cambios no rastreados para el commit:");  // a short line the recogniser calls English
const QString kEnglishArticle = QStringLiteral(
    "Budget\n"
    "The government presented the budget for next year to the parliament.\n"
    "Members say that the money is not enough for the hospitals.");

QStringList bookWords()
{
    QThreadPool::globalInstance()->waitForDone();  // the ingest runs there
    QStringList words;
    for (const VocabularyWord& word : VocabularyStore::shared().words()) words << word.normalized;
    return words;
}

}  // namespace

TEST(VocabularySource, keepsTheEnglishParagraphs_ALoneWordGoingWithTheRestOfThePicture)
{
    const platform::Cld2LanguageDetector cld2;
    EXPECT_EQ(VocabularySource::englishPart(kSpanishArticle, &cld2), QString());
    EXPECT_EQ(VocabularySource::englishPart(kEnglishArticle, &cld2), kEnglishArticle);
    EXPECT_EQ(VocabularySource::englishPart(QStringLiteral("Le chat dort dans la maison et le chien aussi.\n"
                                                           "Der Hund schläft im Garten und die Katze auch."),
                                            &cld2),
              QString());
    // One English paragraph on a Spanish page is kept; the page's title goes with the Spanish.
    const QString english = QStringLiteral("Download the latest version of the file from the server.");
    EXPECT_EQ(VocabularySource::englishPart(kSpanishArticle + "\n" + english, &cld2), english);
    // Labels without a sentence among them name no language: nothing is taken for English.
    EXPECT_EQ(VocabularySource::englishPart(QStringLiteral("Presupuesto\nSanidad"), &cld2), QString());
}

TEST(VocabularySource, aSpanishTranslationAddsNoWordToTheBook_AnEnglishOneDoes)
{
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::white);
    const auto keep = [&](const QString& original) {
        bool saved = false;
        bool finished = false;
        ASSERT_TRUE(TranslationHistory::save(picture, picture, original, QStringLiteral("译文"), [&](bool ok) {
            saved = ok;
            finished = true;
        }));
        ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, 10000));
        ASSERT_TRUE(saved);
    };
    ASSERT_NO_FATAL_FAILURE(keep(kSpanishArticle));
    ASSERT_NO_FATAL_FAILURE(keep(kSpanishArticle));  // recurring words would count twice
    QStringList words = bookWords();
    for (const char* spanish : {"los", "del", "que", "presupuesto", "gobierno", "diputado", "sanidad", "cambio"})
        EXPECT_FALSE(words.contains(QLatin1String(spanish))) << spanish;

    ASSERT_NO_FATAL_FAILURE(keep(kEnglishArticle));
    words = bookWords();
    for (const char* english : {"budget", "government", "parliament", "hospital"})
        EXPECT_TRUE(words.contains(QLatin1String(english))) << english << " " << qPrintable(words.join(' '));
}
