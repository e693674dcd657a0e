// Screens with no Chinese or Japanese on them give no Han or kana: icons, tab
// rows, charts, prices and highlighted words are no Chinese text, whatever a
// Chinese model makes of them ("安三" for a browser's buttons, "33,47 所" for a
// price). Screens that do show Chinese keep it, short labels included.
#include "ScreenFixtures.h"
#include "corpus/GeneratedScreens.h"
#include "platform/text/ScriptCounts.h"
#include "recognition/OCRService.h"

#include <gtest/gtest.h>

#include <functional>

using namespace klipo;
using namespace klipo::test;

namespace {

struct Read {
    QString cjk;  // the lines holding Han or kana
    int han = 0;  // Han and kana in all
};

Read readCjk(const Screen& screen)
{
    Read read;
    const OcrOutcome outcome = OCRService::recognizeBlocks(screen.image, false).result();
    EXPECT_TRUE(outcome.ok) << qPrintable(outcome.error);
    for (const TextBlock& block : outcome.blocks)
        for (const TextLine& line : block.lines) {
            const platform::ScriptCounts counts = platform::ScriptCounts::of(line.text);
            if (counts.han + counts.kana == 0) continue;
            read.han += counts.han + counts.kana;
            read.cjk += line.text + QStringLiteral(" | ");
        }
    return read;
}

}  // namespace

TEST(InventedCharacters, latinScreensWithIconsTabsChartsAndPrices_GiveNoHanOrKana)
{
    // Screens on which Chinese models read icons, menus, a browser's tab row
    // and buttons, tables of prices and charts as Han and kana.
    const std::vector<std::function<Screen()>> screens = {
        [] { return generateScreen(7); },    // a table, mail and forums: a browser's buttons
        [] { return generateScreen(28); },   // forum, chat and a table of prices
        [] { return generateScreen(138); },  // a shop's cards
        [] { return generateScreen(165); },  // a table of prices
        [] { return drawScreen(ScreenKind::Menu, ScreenLanguage::French, 2); },
        [] { return drawScreen(ScreenKind::Sheet, ScreenLanguage::English, 2); },
    };
    for (const auto& make : screens) {
        const Screen screen = make();
        ASSERT_FALSE(isCjk(screen.language)) << qPrintable(screen.name);
        const Read read = readCjk(screen);
        EXPECT_EQ(read.han, 0) << qPrintable(screen.name) << ": " << qPrintable(read.cjk);
    }
}

TEST(InventedCharacters, screensShowingChinese_KeepIt)
{
    for (ScreenKind kind : {ScreenKind::Widgets, ScreenKind::Menu, ScreenKind::Terminal}) {
        for (ScreenLanguage language : {ScreenLanguage::Chinese, ScreenLanguage::Mixed}) {
            const Screen screen = drawScreen(kind, language, 1);
            int drawn = 0;
            for (const ReferenceLine& line : screen.lines) drawn += platform::ScriptCounts::of(line.text).han;
            // Nearly every character drawn is read as one.
            EXPECT_GE(readCjk(screen).han * 10, drawn * 9) << qPrintable(screen.name);
        }
    }
}
