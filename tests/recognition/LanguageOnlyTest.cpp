// Only language is translated: paths, web addresses, file names, commands,
// code and numbers come out of a translation as they went in, a terminal's
// listing is no language at all, and no message names a language by a bare
// code.
#include "TextPictures.h"
#include "platform/text/ApertiumTranslator.h"
#include "platform/text/Cld2LanguageDetector.h"
#include "recognition/LiteralPieces.h"
#include "recognition/OCRService.h"
#include "recognition/ResultModel.h"
#include "recognition/ResultTranslationRun.h"
#include "recognition/TranslationPlanner.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QPainter>

using namespace klipo;
namespace TP = klipo::TranslationPlanner;

namespace {

TextBlock block(const QString& text, bool monospaced = false, int region = -1)
{
    TextLine line = test::modelLine(text, 10, 10, 600, 20);
    line.monospaced = monospaced;
    line.region = region;
    return {{line}, text, {}};
}

QStringList literalsOf(const QString& text, bool monospaced = false)
{
    QStringList found;
    for (const LiteralPieces::Piece& p : LiteralPieces::find(text, monospaced)) found << text.mid(p.start, p.length);
    return found;
}

}  // namespace

TEST(LiteralPieces, findsWhatIsNotLanguage_AndLeavesWordsAndSentencePunctuationOut)
{
    EXPECT_EQ(literalsOf("Abre https://ejemplo.es/es_news.html y guarda es_news.html, luego (ver docs/guia.md)."),
              QStringList({"https://ejemplo.es/es_news.html", "es_news.html", "docs/guia.md"}));
    EXPECT_EQ(literalsOf("Llama a tokio::spawn o a leer_archivo() con --force, versión 5.2.15-2+b2 de 3f2a9c1"),
              QStringList({"tokio::spawn", "leer_archivo()", "--force", "5.2.15-2+b2", "3f2a9c1"}));
    EXPECT_EQ(literalsOf("Escribe a ana@ejemplo.org desde ~/Descargas, /home/lucía/Música o /usr/share/doc"),
              QStringList({"ana@ejemplo.org", "~/Descargas", "/home/lucía/Música", "/usr/share/doc"}));
    // A menu's shortcuts, also as a small face's l is read ("Ctri").
    EXPECT_EQ(literalsOf("Abrir el archivo Ctrl+A, Cerrar Ctri+E o Salir con Strg+Umschalt+Q, Maj-E, ⇧⌘T"),
              QStringList({"Ctrl+A", "Ctri+E", "Strg+Umschalt+Q", "Maj-E", "⇧⌘T"}));
    // Words, abbreviations and a slash between words are language.
    EXPECT_TRUE(literalsOf("Por ej. el tren y/o el autobús, p.ej. mañana, e.g. today.").isEmpty());

    // A terminal's command line with its prompt, a listing's row and a line
    // of code are kept whole; a comment is language.
    for (const QString prompt :
         {"usuario@equipo:~/src$ sudo apt install ii bash", "lucia@portatil :~/proyecto$ sudo apt install ripgrep"})
        EXPECT_EQ(literalsOf(prompt, true), QStringList({prompt}));
    EXPECT_EQ(literalsOf("$ ls -la", true), QStringList({"$ ls -la"}));
    const QString row = "drwxr-xr-x 2 root root 4096 Dec 7 12:57 configs";
    EXPECT_EQ(literalsOf(row, true), QStringList({row}));
    EXPECT_EQ(literalsOf("let handle = tokio::spawn(async move {", true).size(), 1);
    EXPECT_EQ(literalsOf("// Lee el archivo de la configuración", true), QStringList());
    EXPECT_EQ(literalsOf("total 24", true), QStringList({"total 24"}));
    EXPECT_EQ(literalsOf("modificado:     docs/manual_de_usuario.md", true),
              QStringList({"docs/manual_de_usuario.md"}));
}

TEST(TranslationPlanner, onlyLanguageCounts_ABlockOfCommandsAndCodeIsNotTranslated)
{
    const platform::Cld2LanguageDetector cld2;
    const std::vector<TextBlock> blocks = {
        block("$ ls -la /var/log", true),
        block("-rw-r--r-- 1 root root 2469156 Oct 30 2019 chi_sim.traineddata", true),
        block("El archivo es_news.html contiene las noticias de hoy para el boletín."),
        block("https://ejemplo.es/es_news.html"),
    };
    const TP::Plan plan = TP::plan(blocks, "en", &cld2);
    ASSERT_EQ(plan.blocksToTranslate.size(), 1u);
    EXPECT_EQ(plan.blocksToTranslate[0].text, blocks[2].text);
    EXPECT_EQ(plan.sourceLanguage, QStringLiteral("es"));

    // An unnamed line of a terminal goes with the terminal's other lines, not
    // with a Spanish page beside it.
    const std::vector<TextBlock> sideBySide = {
        block("La reunión empieza a las diez y termina antes del almuerzo en la oficina.", false, 0),
        block("Los niños juegan en el parque después de la escuela con sus amigos.", false, 0),
        block("Your branch is up to date with the remote branch.", true, 1),
        block("modified: src/reader/layout.cpp", true, 1),
    };
    const TP::Plan both = TP::plan(sideBySide, "en", &cld2);
    ASSERT_EQ(both.blocksToTranslate.size(), 2u);
    EXPECT_EQ(both.blocksToTranslate[1].text, sideBySide[1].text);
}

// With the pack on this machine (apertium-eng-spa): what is not language
// comes back exactly as it went in.
TEST(ResultTranslationRun, keepsPathsAddressesFileNamesAndCommandsAsTheyAre)
{
    const platform::ApertiumTranslator apertium(nullptr);
    if (apertium.status("es", "en") != platform::LanguagePairStatus::Installed)
        GTEST_SKIP() << "apertium-eng-spa is not installed";
    // Each text with what its translation must hold as it is.
    const std::pair<QString, QString> cases[] = {
        {"Abre https://ejemplo.es/es_news.html en el navegador", "https://ejemplo.es/es_news.html"},
        {"es_news.html contiene las noticias de hoy", "es_news.html"},
        {"Ver ejemplo.es/es_news.html", "ejemplo.es/es_news.html"},
        {"Guarda el archivo en la carpeta docs/manual_es.md antes de salir.", "docs/manual_es.md"},
        {"Llama a tokio::spawn cuando la tarea es larga.", "tokio::spawn"},
        {"Para instalarlo escribe apt-get install bash en la terminal.", "apt-get install bash"},
    };
    std::vector<TextBlock> blocks;
    for (const auto& c : cases) blocks.push_back(block(c.first));
    const TranslationJob job{
        test::drawPicture(QSize(700, 400), {}), blocks, 1.0, QStringLiteral("es"), QStringLiteral("en"), true};
    const TranslationRunOutcome outcome = ResultTranslationRun::run(job, {});
    ASSERT_EQ(outcome.kind, TranslationRunOutcome::Kind::Translated) << qPrintable(outcome.failure);
    ASSERT_EQ(outcome.translations.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_TRUE(outcome.translations[i].contains(cases[i].second)) << qPrintable(outcome.translations[i]);
    EXPECT_TRUE(outcome.translatedJoined.contains("folder")) << qPrintable(outcome.translatedJoined);
}

// A region of a terminal showing only a listing, read on this machine: no
// language, so nothing to translate, whatever the target; and no message
// names a language by a code.
TEST(ResultModel, aRegionOfListingRows_IsNothingToTranslate_AndNoMessageShowsALanguageCode)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(14);
    const QStringList rows = {"drwxr-xr-x 2 root root     4096 Dec  7 12:57 configs",
                              "-rw-r--r-- 1 root root 89384811 Oct 30  2019 Latin.traineddata",
                              "-rw-r--r-- 1 root root  2469156 Oct 30  2019 chi_sim.traineddata",
                              "-rw-r--r-- 1 root root      572 Jan 11  2023 pdf.ttf",
                              "drwxr-xr-x 2 root root     4096 Dec  7 12:50 tessconfigs"};
    QImage picture(620, 20 * int(rows.size()) + 16, QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        painter.setFont(font);
        for (int i = 0; i < int(rows.size()); ++i) painter.drawText(QPointF(8, 22 + 20 * i), rows[i]);
    }
    const OcrOutcome read = OCRService::recognizeBlocks(picture, false).result();
    ASSERT_TRUE(read.ok) << qPrintable(read.error);
    ASSERT_FALSE(read.blocks.empty());
    for (const char* target : {"en", "zh-Hans", "es"}) {
        ResultModel model;
        EXPECT_FALSE(model.start(picture, read.blocks, 1, target, std::nullopt)) << target;
        EXPECT_EQ(model.status(), ResultModel::noTextStatus)
            << target << ": " << qPrintable(test::allText(read.blocks));
    }

    // Languages the program has no name for.
    platform::ApertiumTranslator apertium(nullptr);
    const QString from = apertium.prepare(QStringLiteral("rw"), QStringLiteral("en")).message;
    EXPECT_TRUE(!from.contains(QLatin1String("rw")) && from.contains(QStringLiteral("英语"))) << qPrintable(from);
    EXPECT_FALSE(apertium.prepare(QStringLiteral("es"), QStringLiteral("xq")).message.contains(QLatin1String("xq")));
    EXPECT_FALSE(ResultModel::alreadyInTargetStatus(QStringLiteral("xq")).contains(QLatin1String("xq")));
}
