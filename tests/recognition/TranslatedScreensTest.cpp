// Full-screen translation of realistic screens, read and translated on this
// machine: what is already in the target language is left as it is, pixel
// for pixel.
#include "ScreenFixtures.h"
#include "platform/text/ApertiumTranslator.h"
#include "recognition/OCRService.h"
#include "recognition/ResultModel.h"
#include "recognition/ResultTranslationRun.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QPainter>

#include <set>

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

namespace {

const QStringList kMenuItems = {QStringLiteral("Abrir el archivo"),  QStringLiteral("Guardar los cambios"),
                                QStringLiteral("Exportar como PDF"), QStringLiteral("Imprimir esta página"),
                                QStringLiteral("Cerrar la ventana"), QStringLiteral("Salir del programa")};
const QColor kBadgeBlue(25, 110, 230);

// An open menu of Spanish items, one to a row twice as high as its letters,
// the third marked by a blue pill badge a little wider than its word.
struct Menu {
    QImage screen;
    int pitch = 0;
    QRectF badge;
};

Menu drawMenu(int pixels)
{
    Menu menu{QImage(480, 80 + 2 * pixels * int(kMenuItems.size()), QImage::Format_RGB32), 2 * pixels, {}};
    menu.screen.fill(Qt::white);
    QFont font(QStringLiteral("DejaVu Sans")), badge(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    badge.setPixelSize(11);
    badge.setBold(true);
    const QFontMetricsF metrics(font);
    menu.badge = QRectF(40 + metrics.horizontalAdvance(kMenuItems[2]) + 16, 26 + menu.pitch * 2.5 - 10,
                        QFontMetricsF(badge).horizontalAdvance(QStringLiteral("NUEVO")) + 14, 20);
    QPainter painter(&menu.screen);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font);
    const qreal baseline = metrics.ascent() - metrics.height() / 2;
    for (int i = 0; i < kMenuItems.size(); ++i)
        painter.drawText(QPointF(40, 26 + menu.pitch * (i + 0.5) + baseline), kMenuItems[i]);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBadgeBlue);
    painter.drawRoundedRect(menu.badge, 10, 10);
    painter.setFont(badge);
    painter.setPen(Qt::white);
    painter.drawText(menu.badge, Qt::AlignCenter, QStringLiteral("NUEVO"));
    return menu;
}

// The screen read and translated into English as the result panel does it.
TranslationRunOutcome translatedToEnglish(const QImage& screen)
{
    ResultModel model;
    const std::optional<TranslationJob> job =
        model.start(screen, OCRService::recognizeBlocks(screen, false).result().blocks, 1, "en", std::nullopt);
    return job ? ResultTranslationRun::run(*job, {}) : TranslationRunOutcome::failed(model.status());
}

}  // namespace

TEST(FullScreenTranslation, aBadgesWord_IsDrawnLightOnItsPill)
{
    if (platform::ApertiumTranslator(nullptr).status("es", "en") != platform::LanguagePairStatus::Installed)
        GTEST_SKIP() << "apertium-eng-spa is not installed";
    const Menu menu = drawMenu(15);
    const TranslationRunOutcome outcome = translatedToEnglish(menu.screen);
    ASSERT_EQ(outcome.kind, TranslationRunOutcome::Kind::Translated) << qPrintable(outcome.failure);
    const QRect inside = menu.badge.adjusted(6, 3, -6, -3).toAlignedRect();
    int onPill = 0, light = 0, dark = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor c = outcome.image.pixelColor(x, y);
            onPill += std::abs(c.red() - kBadgeBlue.red()) + std::abs(c.green() - kBadgeBlue.green()) +
                          std::abs(c.blue() - kBadgeBlue.blue()) < 24;
            light += c.lightness() > 200;
            dark += c.lightness() < 60;
        }
    }
    EXPECT_GT(onPill, inside.width() * inside.height() / 2);
    EXPECT_GT(light, 10) << "the word is drawn in light letters";
    EXPECT_EQ(dark, 0);

    // In capitals as tall as the source's: "NUEVO" was drawn as "New" at two thirds of their height.
    auto lightRows = [&](const QImage& image) {
        int rows = 0;
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            bool any = false;
            for (int x = inside.left(); x <= inside.right(); ++x) any = any || image.pixelColor(x, y).lightness() > 160;
            rows += any;
        }
        return rows;
    };
    EXPECT_NEAR(lightRows(outcome.image), lightRows(menu.screen), 1);
    for (const auto& fragments : ImageRenderer::layoutPicture(menu.screen, outcome.drawn))
        for (const ImageRenderer::LayoutFragment& f : fragments)
            if (menu.badge.intersects(flipped(f.rect, menu.screen.height()))) EXPECT_EQ(f.text, QStringLiteral("NEW"));
}

// How many rows the first letter inked dark in `area` spans (top-left origin).
static int firstLetterHeight(const QImage& image, const QRect& area)
{
    int top = area.bottom() + 1, bottom = -1;
    for (int x = area.left(); x <= area.right(); ++x) {
        bool inked = false;
        for (int y = area.top(); y <= area.bottom(); ++y)
            if (qGray(image.pixel(x, y)) < 128) inked = true, top = std::min(top, y), bottom = std::max(bottom, y);
        if (!inked && bottom >= 0) break;
    }
    return bottom < 0 ? 0 : bottom - top + 1;
}

TEST(FullScreenTranslation, menuItems_AreDrawnAsTallAsTheyWere_AllAtOneSize)
{
    if (platform::ApertiumTranslator(nullptr).status("es", "en") != platform::LanguagePairStatus::Installed)
        GTEST_SKIP() << "apertium-eng-spa is not installed";
    for (const int pixels : {13, 15, 18}) {
        SCOPED_TRACE(pixels);
        const Menu menu = drawMenu(pixels);
        const TranslationRunOutcome outcome = translatedToEnglish(menu.screen);
        ASSERT_EQ(outcome.kind, TranslationRunOutcome::Kind::Translated) << qPrintable(outcome.failure);
        // The first letters, all capitals without tails, before and after.
        for (int i = 0; i < kMenuItems.size(); ++i) {
            const QRect row(30, 26 + menu.pitch * i, 150, menu.pitch);
            EXPECT_NEAR(firstLetterHeight(outcome.image, row), firstLetterHeight(menu.screen, row), 1)
                << qPrintable(kMenuItems[i]);
        }
        std::set<qreal> sizes;
        for (const auto& fragments : ImageRenderer::layoutPicture(menu.screen, outcome.drawn))
            for (const ImageRenderer::LayoutFragment& f : fragments)
                if (!menu.badge.intersects(flipped(f.rect, menu.screen.height()))) sizes.insert(f.fontSize);
        EXPECT_EQ(sizes.size(), 1u);
    }
}
