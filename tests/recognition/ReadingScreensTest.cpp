// Recognition of realistic screens on the real engines: side-by-side text
// never shares a line, no window goes missing, no line is read twice, accents
// are read. The accuracy table lives in bench/recognition.
#include "ScreenFixtures.h"
#include "ScreenScore.h"
#include "TextPictures.h"
#include "corpus/GeneratedScreens.h"
#include "platform/text/PageLayout.h"
#include "recognition/OCRService.h"

#include <gtest/gtest.h>

using namespace klipo;
using namespace klipo::test;

namespace {

// Reads the screen, checks what every reading must get right and returns the text read.
QString expectReadWell(ScreenKind kind, ScreenLanguage language, double scale, double lineAccuracy)
{
    const Screen screen = drawScreen(kind, language, scale);
    SCOPED_TRACE(qPrintable(screen.name));
    const OcrOutcome outcome = OCRService::recognizeBlocks(screen.image, false).result();
    EXPECT_TRUE(outcome.ok) << qPrintable(outcome.error);
    QString text;
    for (const TextBlock& block : outcome.blocks) {
        text += block.text + QLatin1Char('\n');
        for (const TextLine& line : block.lines)
            EXPECT_TRUE(line.confidence > 0.2 && line.confidence <= 1.0) << qPrintable(line.text) << line.confidence;
    }
    const ScreenScore s = scoreScreen(screen, readLines(outcome.blocks, screen.image.height()));
    EXPECT_TRUE(s.sharedLines.isEmpty()) << qPrintable(s.sharedLines.join(QStringLiteral(" | ")));
    EXPECT_TRUE(s.twiceRead.isEmpty()) << qPrintable(s.twiceRead.join(QStringLiteral(" | ")));
    EXPECT_TRUE(s.missingWindows.empty()) << "window " << (s.missingWindows.empty() ? 0 : s.missingWindows.front());
    EXPECT_GE(s.lineAccuracy(), lineAccuracy);
    EXPECT_GE(s.accentsRead * 10, s.accents * 9) << s.accentsRead << " of " << s.accents << " accented letters";
    return text;
}

}  // namespace

TEST(ReadingScreens, readsDesktopsBubblesTablesTerminalsAndAccents_OnceAndLineByLine_AtBothDensities)
{
    using K = ScreenKind;
    using L = ScreenLanguage;
    const struct {
        ScreenKind kind;
        ScreenLanguage language;
        double scale, lineAccuracy;
    } screens[] = {{K::Desktop, L::English, 1, 0.97}, {K::Desktop, L::Chinese, 1, 0.94},
                   {K::Widgets, L::Spanish, 1, 0.96}, {K::Chat, L::French, 2, 0.97},
                   {K::Terminal, L::German, 1, 0.97}, {K::Chat, L::Chinese, 1, 0.95},
                   {K::Spreadsheet, L::Mixed, 2, 0.95}, {K::Widgets, L::English, 2, 0.97}};
    for (const auto& s : screens) expectReadWell(s.kind, s.language, s.scale, s.lineAccuracy);

    // Latin words inside Chinese lines come out as Latin.
    const QString terminal = squeezed(expectReadWell(K::Terminal, L::Mixed, 1, 0.95));
    EXPECT_TRUE(terminal.contains(QStringLiteral("修改")) && terminal.contains(QStringLiteral("src/reader/layout.cpp")))
        << qPrintable(terminal);
}

// The layout alone, without the engine: a column reads to its end before the
// next one, and no line runs across the gutter; a chat's bubbles, which take
// turns on either side, read top to bottom.
TEST(ReadingScreens, laysOutColumnsBeforeRows_ButBubblesRowByRow)
{
    for (const ScreenLanguage language : {ScreenLanguage::English, ScreenLanguage::Chinese}) {
        const Screen chat = drawScreen(ScreenKind::Chat, language);
        const platform::PageLayout page = platform::analysePage(chat.image.convertToFormat(QImage::Format_Grayscale8));
        int lastTop = 0;
        for (const platform::LayoutLine& line : page.lines) {
            if (line.rect.left() < chat.image.width() * 3 / 10) continue;  // the conversation list
            EXPECT_GE(line.rect.top(), lastTop) << "bubble read out of turn";
            lastTop = line.rect.top();
        }
    }

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
}

// A generated settings window in a dark theme: switches whose track is only
// a shade lighter than the window, each beside a label with a grey line under
// it. The label "Precio" is read, and no switch is read into a label ("()
// Borradores").
TEST(ReadingScreens, aLabelBesideADarkSwitch_IsRead_AndTheSwitchIsNotReadIntoIt)
{
    const Screen screen = generateScreen(3);
    const OcrOutcome outcome = OCRService::recognizeBlocks(screen.image, false).result();
    QStringList read;
    for (const TextBlock& block : outcome.blocks)
        for (const TextLine& line : block.lines) read << line.text;
    EXPECT_TRUE(read.contains(QStringLiteral("Precio"))) << qPrintable(read.join(QStringLiteral(" | ")));
    EXPECT_EQ(read.count(QStringLiteral("Borradores")), 3) << qPrintable(read.join(QStringLiteral(" | ")));
}

namespace {

// What was read of a generated screen, and what of it lies over `box`.
std::vector<ReadLine> readScreen(const Screen& screen)
{
    const OcrOutcome outcome = OCRService::recognizeBlocks(screen.image, false).result();
    return readLines(outcome.blocks, screen.image.height());
}

QString readOver(const std::vector<ReadLine>& read, const QRect& box)
{
    QString there;
    for (const ReadLine& r : read)
        if (r.box.intersects(box)) there += r.text;
    return there;
}

}  // namespace

// A generated mail whose message mixes Chinese and English, its lines shaped
// so like Latin text that the Latin model reads them first: the mixed model
// finds Chinese in a line it misreads in part ("部署了测试环境" as "BST
// Mitts"), so the Chinese model reads the line too, and reads it right.
TEST(ReadingScreens, aLineTheMixedModelFindsChineseIn_IsReadByTheChineseModelToo)
{
    const Screen screen = generateScreen(64);
    const std::vector<ReadLine> read = readScreen(screen);
    const QString mixed = QStringLiteral("我们用 Docker 部署了测试环境。请在 Settings 里打开 Dark Mode 试试。");
    int lines = 0;
    for (const ReferenceLine& line : screen.lines) {
        if (line.text != mixed) continue;
        ++lines;
        const QString there = readOver(read, line.box);
        EXPECT_EQ(test::squeezed(there), test::squeezed(mixed)) << qPrintable(there);
    }
    EXPECT_EQ(lines, 1);
}

// Short Chinese names the engine finds nothing in at the size lines are
// usually read at: a chat's contacts at 1x ("陈晨") and a table's names at
// 2x ("周杰"). At least half of them are read where they are drawn (their
// family name at least: the engine may still misread the second character).
TEST(ReadingScreens, shortChineseNamesTheEngineFindsNothingIn_AreReadAtAnotherSize)
{
    int names = 0;
    int found = 0;
    QStringList missed;
    for (const quint32 seed : {33u, 95u}) {
        const Screen screen = generateScreen(seed);
        const std::vector<ReadLine> read = readScreen(screen);
        for (const ReferenceLine& drawn : screen.lines) {
            if (drawn.text != QStringLiteral("陈晨") && drawn.text != QStringLiteral("周杰")) continue;
            ++names;
            const QString there = readOver(read, drawn.box);
            if (squeezed(there).startsWith(drawn.text[0]))
                ++found;
            else
                missed << QStringLiteral("%1 %2 at %3,%4: \"%5\"")
                              .arg(screen.name, drawn.text)
                              .arg(drawn.box.x())
                              .arg(drawn.box.y())
                              .arg(there);
        }
    }
    EXPECT_GE(names, 5);
    EXPECT_GE(found * 2, names) << qPrintable(missed.join(QStringLiteral(" | ")));
}

// Short Chinese labels in lists and tables that the layout takes for Latin
// (a dark "会议记录" on a striped row): the Chinese model reads them again
// at the size it reads Chinese at, and they are not lost.
TEST(ReadingScreens, shortChineseLabelsTakenForLatin_AreNotLost)
{
    int labels = 0;
    QStringList lost;
    for (const quint32 seed : {1u, 83u}) {
        const Screen screen = generateScreen(seed);
        const std::vector<ReadLine> read = readScreen(screen);
        for (const ReferenceLine& drawn : screen.lines) {
            const QList<uint> signs = squeezed(drawn.text).toUcs4();
            if (signs.size() < 2 || signs.size() > 4 ||
                !std::all_of(signs.begin(), signs.end(), [](uint c) { return c >= 0x4E00 && c <= 0x9FFF; }))
                continue;
            ++labels;
            if (readOver(read, drawn.box).trimmed().isEmpty())
                lost << QStringLiteral("%1 %2 at %3,%4")
                            .arg(screen.name, drawn.text)
                            .arg(drawn.box.x())
                            .arg(drawn.box.y());
        }
    }
    EXPECT_GE(labels, 40);
    EXPECT_LE(lost.size(), 1) << qPrintable(lost.join(QStringLiteral(" | ")));
}
