// Screenshots of pages in Chromium (a documentation page in a dark theme
// with large bold headings, at 1x and 2x; a code review's side-by-side diff
// with its changed words on a darker shade; a shop's cards with old prices
// struck through; a documentation page with its contents listed on the
// right), read whole: every heading one line, every changed line with its
// highlighted words, every old price, the contents after the article.
#include "TextPictures.h"
#include "recognition/OCRService.h"

#include <gtest/gtest.h>

using namespace klipo;

TEST(PageShots, headingsHighlightsStruckPricesAndContents_ReadWhole_InTheirOrder)
{
    struct Shot {
        const char* file;
        QStringList lines;  // read as whole lines
        QStringList last;   // the lines read last, in this order
    };
    const Shot shots[] = {
        {"docs-headings-dark.png", {"Config files", "Retry failed uploads with exponential backoff"}, {}},
        {"docs-headings-dark-2x.png", {"Config files", "Retry failed uploads with exponential backoff"}, {}},
        {"review-diff.png",
         {"timeout=30,", "timeout=self.timeout,", "headers=self.headers(),",
          "if response.status_code != 200:", "raise Exception(\"upload failed\")", "self.session.close(timeout=30)",
          "if not response.ok:"},
         {}},
        {"shop-struck-prices.png", {"59,99 €", "299,00 €", "44,95 €", "99,90 €", "159,00 €", "32,99 €"}, {}},
        {"docs-contents-dark.png",
         {"v3.2", "Getting started"},
         {"were sent.", "On this page", "Install the server", "Send a message"}},
    };
    for (const Shot& shot : shots) {
        const QImage image(QStringLiteral(KLIPO_SHOTS "/") + QLatin1String(shot.file));
        ASSERT_FALSE(image.isNull()) << shot.file;
        QStringList read;
        for (const TextBlock& block : OCRService::recognizeBlocks(image, false).result().blocks)
            for (const TextLine& line : block.lines) read << test::squeezed(line.text);
        const QString all = read.join(QStringLiteral(" | "));
        for (const QString& line : shot.lines)
            EXPECT_TRUE(read.contains(test::squeezed(line))) << shot.file << ": " << qPrintable(line + " in " + all);
        QStringList last;
        for (const QString& line : shot.last) last << test::squeezed(line);
        EXPECT_EQ(read.mid(read.size() - last.size()), last) << shot.file << ": " << qPrintable(all);
    }
}
