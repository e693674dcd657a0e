// Long lines of a page in one language read by that language's own model.
#include "TextPictures.h"
#include "platform/text/PageLanguage.h"
#include "platform/text/TesseractRecognizer.h"

#include <gtest/gtest.h>

using namespace klipo;

namespace {

struct Read {
    QString text;
    int inPageLanguage = 0;
};

// Draws the lines one under another and reads the page.
Read readPage(const QStringList& lines)
{
    std::vector<test::DrawnLine> drawn;
    for (int i = 0; i < lines.size(); ++i) drawn.push_back({lines[i], {30, 20 + 40 * i}, 20});
    const QImage page = test::drawPicture(QSize(1300, 40 * int(lines.size()) + 40), drawn);
    platform::TesseractRecognizer recognizer;
    Read read;
    recognizer.recognize(page, {}, [&](platform::RecognitionOutcome out) {
        for (const platform::RecognizedLine& l : out.lines) read.text += l.text + QLatin1Char('\n');
    });
    read.inPageLanguage = recognizer.lastReadings().inPageLanguage;
    return read;
}

bool installed(const char* language) { return !platform::PageLanguage::modelOf(QLatin1String(language)).isEmpty(); }

const QStringList kSpanish = {
    QStringLiteral("La reunión de mañana empezará a las diez en la sala pequeña del segundo piso."),
    QStringLiteral("El tren llegó a la estación con veinte minutos de retraso por la lluvia de anoche."),
    QStringLiteral("Los niños jugarán en el parque después de la escuela si el tiempo lo permite."),
    QStringLiteral("Necesito comprar pan, leche y fruta en el mercado antes de que cierren las tiendas."),
    QStringLiteral("Mi hermano trabaja en una oficina cerca del puerto desde hace casi diez años."),
    QStringLiteral("Este programa traduce el texto de la pantalla sin conexión a internet alguna."),
    QStringLiteral("La biblioteca pública abrirá sus puertas el próximo lunes con un horario nuevo."),
    QStringLiteral("Los vecinos del barrio organizaron una fiesta en la plaza para celebrar el verano."),
    QStringLiteral("El médico le recomendó caminar media hora cada día y beber más agua fresca."),
    QStringLiteral("Durante el invierno las montañas del norte se cubren de nieve durante semanas."),
    QStringLiteral("La profesora explicó la lección de historia con fotografías de la época antigua."),
    QStringLiteral("El museo de la ciudad muestra una colección de pinturas del siglo diecinueve."),
};

}  // namespace

TEST(PageLanguage, aPageInOneLanguage_IsToldFromItsFirstReadings_AndOnlyWhereItsModelReadsAsWell)
{
    if (!installed("es") || !installed("fr")) GTEST_SKIP() << "Spanish or French model not installed";
    EXPECT_EQ(platform::PageLanguage::modelFor(kSpanish.mid(0, 4)), QStringLiteral("spa"));
    EXPECT_EQ(platform::PageLanguage::modelFor({QStringLiteral(
                  "Le conseil municipal a décidé de rénover la bibliothèque du quartier avant l'été prochain.")}),
              QStringLiteral("fra"));
    // English reads better with the script model; a few words tell nothing;
    // two languages in equal parts, or Chinese among the letters, are no page
    // in one language.
    EXPECT_TRUE(platform::PageLanguage::modelFor({QStringLiteral(
                    "The city council decided to renovate the library before next summer begins.")})
                    .isEmpty());
    EXPECT_TRUE(platform::PageLanguage::modelFor({QStringLiteral("Guardar"), QStringLiteral("Abrir")}).isEmpty());
    EXPECT_TRUE(platform::PageLanguage::modelFor(
                    {kSpanish[0], QStringLiteral("The city council decided to renovate the old library before "
                                                 "the summer and the new school after it.")})
                    .isEmpty());
    EXPECT_TRUE(platform::PageLanguage::modelFor({kSpanish[0] + QStringLiteral(" 会议")}).isEmpty());
    EXPECT_TRUE(platform::PageLanguage::modelOf(QStringLiteral("xx")).isEmpty());
}

TEST(PageLanguage, aPageOfLongSpanishLines_IsReadByTheSpanishModel_AccentsAndAll)
{
    if (!installed("es")) GTEST_SKIP() << "Spanish model not installed";
    const Read read = readPage(kSpanish);
    EXPECT_GT(read.inPageLanguage, 0);
    for (const QString& line : kSpanish) EXPECT_TRUE(read.text.contains(line)) << qPrintable(line) << "\n" << qPrintable(read.text);

    // English is read by the script model throughout.
    QStringList english;
    for (int i = 0; i < 12; ++i)
        english << QStringLiteral("Line %1 of a long English page that tells of the weather and the trains today.")
                       .arg(i + 1);
    EXPECT_EQ(readPage(english).inPageLanguage, 0);
}
