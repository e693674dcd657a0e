// Full-screen translation of realistic screens, read and translated on this
// machine: what is already in the target language is left as it is, pixel
// for pixel.
#include "ScreenFixtures.h"
#include "platform/text/ApertiumTranslator.h"
#include "recognition/OCRService.h"
#include "recognition/ResultModel.h"
#include "recognition/ResultTranslationRun.h"

#include <gtest/gtest.h>

#include <QPainter>

using namespace klipo;
using namespace klipo::test;

// A Spanish article in a browser beside an English terminal, translated
// into English: the article is translated, the terminal not touched.
TEST(FullScreenTranslation, aSpanishPageBesideAnEnglishTerminal_LeavesEveryPixelOfTheTerminal)
{
    if (platform::ApertiumTranslator(nullptr).status("es", "en") != platform::LanguagePairStatus::Installed)
        GTEST_SKIP() << "apertium-eng-spa is not installed";
    const Screen article = drawScreen(ScreenKind::Article, ScreenLanguage::Spanish);
    const Screen shell = drawScreen(ScreenKind::Shell, ScreenLanguage::English);
    QImage screen(article.image.width() + 40 + shell.image.width(),
                  std::max(article.image.height(), shell.image.height()), QImage::Format_RGB32);
    screen.fill(QColor(236, 236, 236));
    const QRect terminal(QPoint(article.image.width() + 40, 0), shell.image.size());
    {
        QPainter painter(&screen);
        painter.drawImage(0, 0, article.image);
        painter.drawImage(terminal.topLeft(), shell.image);
    }

    const OcrOutcome read = OCRService::recognizeBlocks(screen, false).result();
    ASSERT_TRUE(read.ok) << qPrintable(read.error);
    ResultModel model;
    const std::optional<TranslationJob> job = model.start(screen, read.blocks, 1, "en", std::nullopt);
    ASSERT_TRUE(job.has_value()) << qPrintable(model.status());
    const TranslationRunOutcome outcome = ResultTranslationRun::run(*job, {});
    ASSERT_EQ(outcome.kind, TranslationRunOutcome::Kind::Translated) << qPrintable(outcome.failure);

    const QImage translated = outcome.image.convertToFormat(QImage::Format_RGB32);
    int changedInTerminal = 0;
    int changedInArticle = 0;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if (translated.pixel(x, y) != screen.pixel(x, y))
                ++(terminal.contains(x, y) ? changedInTerminal : changedInArticle);
    EXPECT_EQ(changedInTerminal, 0);
    EXPECT_GT(changedInArticle, 10000);
    for (const ImageRenderer::RenderBlock& block : outcome.drawn)
        for (const TextLine& line : block.lines)
            EXPECT_FALSE(terminal.intersects(flipped(line.rect, screen.height()).toAlignedRect()))
                << qPrintable(line.text);
}
