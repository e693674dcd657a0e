// Recognition of realistic screens on the real engines: side-by-side text
// never shares a line, no window goes missing, no line is read twice, accents
// are read. The accuracy table lives in bench/recognition.
#include "ScreenFixtures.h"
#include "ScreenScore.h"
#include "TextPictures.h"
#include "platform/text/PageLayout.h"
#include "recognition/OCRService.h"

#include <gtest/gtest.h>

using namespace klipo;
using namespace klipo::test;

namespace {

struct Reading {
    ScreenScore score;
    std::vector<TextBlock> blocks;
};

Reading read(const Screen& screen)
{
    QFuture<OcrOutcome> future = OCRService::recognizeBlocks(screen.image, false);
    future.waitForFinished();
    const OcrOutcome outcome = future.result();
    EXPECT_TRUE(outcome.ok) << qPrintable(outcome.error);
    QString text;
    for (const TextBlock& b : outcome.blocks) text += b.text + QLatin1Char('\n');
    return {scoreScreen(screen, readLines(outcome.blocks, screen.image.height()), text), outcome.blocks};
}

void expectReadWell(const Screen& screen, double lineAccuracy)
{
    SCOPED_TRACE(qPrintable(screen.name));
    const Reading reading = read(screen);
    const ScreenScore& s = reading.score;
    EXPECT_TRUE(s.sharedLines.isEmpty()) << qPrintable(s.sharedLines.join(QStringLiteral(" | ")));
    EXPECT_TRUE(s.twiceRead.isEmpty()) << qPrintable(s.twiceRead.join(QStringLiteral(" | ")));
    EXPECT_TRUE(s.missingWindows.empty()) << "window " << (s.missingWindows.empty() ? 0 : s.missingWindows.front());
    EXPECT_GE(s.lineAccuracy(), lineAccuracy);
    EXPECT_GE(s.accentsRead * 10, s.accents * 9) << s.accentsRead << " of " << s.accents << " accented letters";
    for (const TextBlock& block : reading.blocks)
        for (const TextLine& line : block.lines) {
            EXPECT_GT(line.confidence, 0.2) << qPrintable(line.text);
            EXPECT_LE(line.confidence, 1.0);
        }
}

}  // namespace

TEST(ReadingScreens, readsEveryWindowOfADesktop_OnceAndLineByLine)
{
    expectReadWell(drawScreen(ScreenKind::Desktop, ScreenLanguage::English), 0.97);
    expectReadWell(drawScreen(ScreenKind::Desktop, ScreenLanguage::Chinese), 0.94);
}

TEST(ReadingScreens, readsAccentedLatin_AtBothDensities)
{
    expectReadWell(drawScreen(ScreenKind::Widgets, ScreenLanguage::Spanish), 0.96);
    expectReadWell(drawScreen(ScreenKind::Chat, ScreenLanguage::French, 2), 0.97);
    expectReadWell(drawScreen(ScreenKind::Terminal, ScreenLanguage::German), 0.97);
}

TEST(ReadingScreens, readsBubblesDarkTerminalsTablesAndLatinInsideChinese)
{
    expectReadWell(drawScreen(ScreenKind::Chat, ScreenLanguage::Chinese), 0.95);
    expectReadWell(drawScreen(ScreenKind::Spreadsheet, ScreenLanguage::Mixed, 2), 0.95);
    expectReadWell(drawScreen(ScreenKind::Widgets, ScreenLanguage::English, 2), 0.97);
    const Screen terminal = drawScreen(ScreenKind::Terminal, ScreenLanguage::Mixed);
    expectReadWell(terminal, 0.95);
    // Latin words inside Chinese lines come out as Latin.
    QString all;
    for (const TextBlock& b : read(terminal).blocks) all += b.text;
    const QString squeezedAll = squeezed(all);
    EXPECT_TRUE(squeezedAll.contains(QStringLiteral("修改")) && squeezedAll.contains(QStringLiteral("src/reader/layout.cpp")))
        << qPrintable(all);
}

// The layout alone, without the engine: a column reads to its end before the
// next, and no line runs across a window's frame.
TEST(ReadingScreens, laysOutColumnsBeforeRows_AndKeepsLinesInsideTheirWindow)
{
    const Screen article = drawScreen(ScreenKind::Article, ScreenLanguage::English);
    const platform::PageLayout page = platform::analysePage(article.image.convertToFormat(QImage::Format_Grayscale8));
    const int middle = article.image.width() / 2;
    bool rightStarted = false;
    for (const platform::LayoutLine& line : page.lines) {
        if (line.rect.top() < 100) continue;  // title and byline span the page
        if (line.rect.left() > middle) rightStarted = true;
        else if (rightStarted && line.rect.width() > 100) ADD_FAILURE() << "left column line after the right one began";
        EXPECT_FALSE(line.rect.left() < middle && line.rect.right() > middle) << "line across both columns";
    }

    const Screen desktop = drawScreen(ScreenKind::Desktop, ScreenLanguage::German, 2);
    const platform::PageLayout layout = platform::analysePage(desktop.image.convertToFormat(QImage::Format_Grayscale8));
    std::vector<QRect> windows;
    for (const ReferenceLine& ref : desktop.lines) {
        if (ref.window == 0) continue;
        if (size_t(ref.window) > windows.size()) windows.resize(size_t(ref.window));
        windows[size_t(ref.window - 1)] |= ref.box;
    }
    for (const platform::LayoutLine& line : layout.lines) {
        int inside = 0;
        for (const QRect& w : windows) inside += w.intersects(line.rect);
        EXPECT_LE(inside, 1) << line.rect.x() << "," << line.rect.y() << " " << line.rect.width();
    }
}
