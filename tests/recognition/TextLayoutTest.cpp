// Recognised lines into paragraphs, their joined text and the word boxes of
// a line; and the translated picture: where the translation goes, on what
// background, in what ink and size, and that no source text shows through.
#include "TextPictures.h"
#include "platform/text/LineReading.h"
#include "platform/text/ScriptCounts.h"
#include "platform/text/TesseractEngine.h"
#include "platform/text/TextRecognizer.h"
#include "recognition/ImageRenderer.h"
#include "recognition/OCRService.h"

#include <gtest/gtest.h>

#include <QPainter>

using namespace klipo;
using klipo::test::modelLine;
namespace IR = klipo::ImageRenderer;
using Pieces = std::vector<QString>;

namespace {

// One line an engine read, as sure of itself as given.
platform::TesseractEngine::Result readingOf(const char* text, float confidence, QRect box)
{
    platform::TesseractEngine::Result result;
    platform::RecognizedLine line;
    line.text = QString::fromUtf8(text);
    line.box = box;
    line.confidence = line.weakestWord = confidence;
    result.lines.push_back(line);
    result.meanConfidence = confidence;
    return result;
}

// A line of the layout at `rect`, its script guessed as `script`.
platform::LayoutLine layoutLineOf(QRect rect, platform::LineScript script)
{
    platform::LayoutLine line;
    line.rect = rect;
    line.script = script;
    return line;
}

}  // namespace

TEST(ParagraphGrouping, joinsNearbyContinuations_AndStartsAnewOnCapitalsGapsHeightsAndOffsets)
{
    const auto joined = OCRService::groupIntoParagraphs({modelLine(QStringLiteral("The engine reads"), 0, 100, 300, 20),
                                                         modelLine(QStringLiteral("every line"), 0, 78, 300, 20)});
    ASSERT_EQ(joined.size(), 1u);
    EXPECT_EQ(joined[0].text, QStringLiteral("The engine reads every line"));
    EXPECT_EQ(joined[0].rect, QRectF(0, 78, 300, 42));

    // A second line under "first line" (300 by 20): its text, the gap between
    // them, its height and left edge; how many paragraphs they make.
    const struct {
        const char* second;
        qreal gap, height, x;
        size_t paragraphs;
    } cases[] = {{"Second line", 2, 20, 0, 2},  // an ASCII capital starts a paragraph
                 {"École suivante", 2, 20, 0, 1},
                 {"2nd line", 2, 20, 0, 1},
                 {"3.5 more", 2, 20, 0, 1},
                 {"2. the next item", 2, 20, 0, 2},  // a list's items stand apart
                 {"b) the next item", 2, 20, 0, 2},
                 {"• the next item", 2, 20, 0, 2},
                 {"二、下一项", 2, 20, 0, 2},
                 {"3、下一项", 2, 20, 0, 2},
                 {"b", -10, 20, 0, 2},   // overlapping too much
                 {"b", 25, 20, 0, 2},    // too far below
                 {"b", 2, 40, 0, 2},     // much taller
                 {"b", 2, 20, 250, 2}};  // more beside than below the first
    for (const auto& c : cases) {
        const TextLine second = modelLine(QString::fromUtf8(c.second), c.x, 100 - c.gap - c.height, 300, c.height);
        EXPECT_EQ(
            OCRService::groupIntoParagraphs({modelLine(QStringLiteral("first line"), 0, 100, 300, 20), second}).size(),
            c.paragraphs)
            << c.second << " gap " << c.gap << " height " << c.height << " x " << c.x;
    }
}

TEST(ParagraphGrouping, keepsSideBySideColumnsAsTwoParagraphs)
{
    // Left and right column lines interleave once sorted top to bottom; each
    // column must still become one paragraph.
    const auto blocks = OCRService::groupIntoParagraphs({
        modelLine(QStringLiteral("left one"), 0, 100, 300, 20),
        modelLine(QStringLiteral("right one"), 400, 101, 300, 20),
        modelLine(QStringLiteral("left two"), 0, 78, 300, 20),
        modelLine(QStringLiteral("right two"), 400, 79, 300, 20),
    });
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].text, QStringLiteral("right one right two"));
    EXPECT_EQ(blocks[1].text, QStringLiteral("left one left two"));
}

TEST(ParagraphGrouping, followsTheLayoutsParts_EachLineContinuingOnlyTheFullLineRightAboveIt)
{
    using Place = OCRService::LinePlace;
    // The left column (part 0) reads before the right one (part 1), which
    // stands higher on the page; a terminal's rows (part 2) stand alone.
    const std::vector<TextLine> lines = {
        modelLine(QStringLiteral("a left paragraph that wraps"), 0, 100, 300, 20),
        modelLine(QStringLiteral("onto its second line"), 0, 78, 200, 20),
        modelLine(QStringLiteral("then a short one"), 0, 56, 120, 20),  // the line above it was not full
        modelLine(QStringLiteral("right column"), 400, 110, 300, 20),
        modelLine(QStringLiteral("continued"), 400, 88, 300, 20),
        modelLine(QStringLiteral("$ ls -l"), 0, 20, 300, 20),
        modelLine(QStringLiteral("total 48"), 0, -2, 300, 20),
    };
    const std::vector<Place> places = {{0, false}, {0, false}, {0, false}, {1, false},
                                       {1, false}, {2, true},  {2, true}};
    std::vector<QString> texts;
    for (const TextBlock& b : OCRService::groupIntoParagraphs(lines, places)) texts.push_back(b.text);
    EXPECT_EQ(texts, (std::vector<QString>{QStringLiteral("a left paragraph that wraps onto its second line"),
                                           QStringLiteral("then a short one"), QStringLiteral("right column continued"),
                                           QStringLiteral("$ ls -l"), QStringLiteral("total 48")}));
}

TEST(ParagraphGrouping, aLineContinuesOnlyTheLineReadRightBeforeIt_SoNoLineReadBetweenMovesAfterTheParagraph)
{
    using Place = OCRService::LinePlace;
    // A mail list's item: the sender, the time beside it, then the subject
    // under the sender (an accented capital does not start a paragraph). The
    // time is read between them, so the subject does not continue the sender.
    const std::vector<TextLine> item = {
        modelLine(QStringLiteral("Hugo Lefèvre"), 0, 100, 190, 20),
        modelLine(QStringLiteral("06:19"), 580, 100, 60, 20),
        modelLine(QStringLiteral("Édition: Compte rendu"), 0, 78, 200, 20),
        modelLine(QStringLiteral("Des chercheurs ont montré"), 0, 56, 600, 20),
    };
    std::vector<QString> texts;
    for (const TextBlock& b : OCRService::groupIntoParagraphs(item, std::vector<Place>(item.size(), Place{0, false})))
        texts.push_back(b.text);
    EXPECT_EQ(texts, (std::vector<QString>{QStringLiteral("Hugo Lefèvre"), QStringLiteral("06:19"),
                                           QStringLiteral("Édition: Compte rendu"),
                                           QStringLiteral("Des chercheurs ont montré")}));

    // Read in the order sender, subject, time, the subject still continues
    // the sender; without places (top first) the time comes last as before.
    const std::vector<TextLine> inOrder = {item[0], item[2], item[1]};
    const auto joined = OCRService::groupIntoParagraphs(inOrder, std::vector<Place>(3, Place{0, false}));
    ASSERT_EQ(joined.size(), 2u);
    EXPECT_EQ(joined[0].text, QStringLiteral("Hugo Lefèvre Édition: Compte rendu"));
    ASSERT_EQ(OCRService::groupIntoParagraphs(item).size(), 3u);
    EXPECT_EQ(OCRService::groupIntoParagraphs(item)[0].text, QStringLiteral("Hugo Lefèvre Édition: Compte rendu"));

    // A grid's file name wrapped onto a second line, read after the name
    // beside it on the first: the lower-case rest still continues it.
    const std::vector<TextLine> grid = {
        modelLine(QStringLiteral("Bandeja de"), 0, 100, 150, 20),
        modelLine(QStringLiteral("Calendario"), 240, 100, 140, 20),
        modelLine(QStringLiteral("entrada"), 0, 78, 100, 20),
    };
    texts.clear();
    for (const TextBlock& b : OCRService::groupIntoParagraphs(grid, std::vector<Place>(grid.size(), Place{0, false})))
        texts.push_back(b.text);
    EXPECT_EQ(texts, (std::vector<QString>{QStringLiteral("Bandeja de entrada"), QStringLiteral("Calendario")}));
}

TEST(LineReading, tellsHanMisreadIntoLatinText_FromChineseWordsAmongLatinOnes)
{
    for (const char* misread : {"Ctrl 十 F", "十45.7%", "Ctrl+Shi化+S", "Ctrl 二乙", "Ctrl+Shi化-"})
        EXPECT_TRUE(platform::hasMisreadHan(QString::fromUtf8(misread))) << misread;
    for (const char* chinese : {"Python 与 Linux 的十年", "3 月 3 10:12", "iOS 应用", "总用量 48", "Billing 平台",
                                "请在 Settings 里打开 Dark Mode 试试.", "Git 历史, Terminal",
                                "请在 Settings 里打开 Dark Mode 试试-", "~/ 合计/ 订单编号"})
        EXPECT_FALSE(platform::hasMisreadHan(QString::fromUtf8(chinese))) << chinese;
}

// The engine's words of a line, each with its left and right edge.
TEST(LineReading, hanReadForASignBetweenLatinText_BecomesTheSign_GluedWhereThePictureHasNoSpace)
{
    using Words = std::vector<std::tuple<const char*, int, int>>;
    const auto line = [](const Words& words) {
        std::vector<platform::EngineWord> read;
        for (const auto& [text, left, right] : words)
            read.push_back({QString::fromUtf8(text), QRect(QPoint(left, 10), QPoint(right, 30)), 90, {}});
        return platform::lineOfWords(read, QRect(0, 10, 400, 21), 90).text.toStdString();
    };
    EXPECT_EQ(line({{"Ctrl", 0, 40}, {"十", 42, 52}, {"F", 54, 62}}), "Ctrl+F");
    EXPECT_EQ(line({{"Ctrl", 0, 40}, {"十", 60, 70}, {"F", 90, 98}}), "Ctrl + F");
    EXPECT_EQ(line({{"Ctrl十Shift十S", 0, 120}}), "Ctrl+Shift+S");
    EXPECT_EQ(line({{"a", 0, 10}, {"一", 30, 40}, {"b", 60, 70}}), "a - b");
    EXPECT_EQ(line({{"Python", 0, 60}, {"与", 80, 90}, {"Linux", 110, 160}}), "Python 与 Linux");
    EXPECT_EQ(line({{"共十个", 0, 60}}), "共十个");
    // Signs read as words of their own keep their spaces unless they stand
    // closer than the line's words do.
    EXPECT_EQ(line({{"Corbeille", 0, 80}, {"-", 86, 92}, {"Mail", 98, 130}}), "Corbeille - Mail");
    EXPECT_EQ(line({{"~", 0, 8}, {"/", 14, 20}, {"Compartir", 26, 90}, {"/", 96, 102}, {"Archivo", 108, 160}}),
              "~ / Compartir / Archivo");
    EXPECT_EQ(line({{"Número", 0, 60}, {"de", 66, 80}, {"pedido", 86, 140}, {"-", 146, 152}, {"Mail", 158, 190}}),
              "Número de pedido - Mail");
    // Closer than the line's words stand: one word as drawn.
    EXPECT_EQ(line({{"Ctrl", 0, 40}, {"+", 41, 49}, {"F", 50, 58}}), "Ctrl+F");
    EXPECT_EQ(line({{"Datei", 0, 50}, {"öffnen", 62, 120}, {"/", 121, 127}, {"speichern", 128, 200}}),
              "Datei öffnen/speichern");
}

// A short Chinese name that both Chinese models read alike is kept, though
// each reads it unsurely (at 40 to 50); a name the two models read
// differently, and what icons are read as, are not.
TEST(LineReading, chineseNamesTwoModelsAgreeOn_AreKept_IconsAndDisagreementsAreNot)
{
    const auto read = [](const char* text, float confidence) {
        platform::RecognizedLine line;
        line.text = QString::fromUtf8(text);
        line.box = QRect(0, 0, 30, 15);
        line.confidence = line.weakestWord = confidence;
        return line;
    };
    platform::LayoutLine drawn;
    drawn.rect = QRect(0, 0, 30, 15);
    drawn.script = platform::LineScript::Han;
    platform::PageLayout page;
    page.lines.push_back(drawn);
    const platform::PageScripts scripts = platform::PageScripts::of(page);
    const auto readBy = [&](const char* text, float confidence) {
        platform::TesseractEngine::Result result;
        result.lines.push_back(read(text, confidence));
        result.meanConfidence = confidence;
        return result;
    };
    for (const auto& [again, kept] : {std::pair{"陈晨", true}, std::pair{"陈昌", false}}) {
        platform::LineJob job{&page.lines[0], platform::hanModel(), readBy("陈晨", 45)};
        const QStringList others = platform::secondOpinions(job, scripts, QStringLiteral("eng"));
        ASSERT_TRUE(others.contains(platform::mixedModel())) << qPrintable(others.join(' '));
        platform::takeSecondReading(job, readBy(again, 44), platform::mixedModel());
        ASSERT_EQ(job.result.lines.size(), 1u);
        EXPECT_EQ(platform::isText(job.result.lines[0]), kept) << again;
    }
    // What icons are read as, alike by both: a lone character, a menu's bars as "三".
    for (const char* iconRead : {"目", "家三"}) {
        platform::LineJob icon{&page.lines[0], platform::hanModel(), readBy(iconRead, 45)};
        platform::takeSecondReading(icon, readBy(iconRead, 44), platform::mixedModel());
        EXPECT_FALSE(platform::isText(icon.result.lines[0])) << iconRead;
    }
}

// A Latin line read again by the Chinese and the mixed models: what two
// models read alike stands, whatever order the readings are weighed in, and
// the mixed model, which knows no accents, takes none away.
TEST(LineReading, aLatinReadingAnotherModelConfirms_StandsAgainstSurerMisreadings_AndKeepsItsAccents)
{
    platform::LayoutLine drawn;
    drawn.rect = QRect(0, 0, 300, 16);
    drawn.script = platform::LineScript::Latin;
    const auto readBy = [](const char* text, float confidence) {
        return readingOf(text, confidence, QRect(0, 0, 300, 16));
    };
    const char* code = "values.push_back(std::atoi(argv[i]));";
    platform::LineJob job{&drawn, QStringLiteral("Latin"), readBy(code, 17)};
    const auto han = readBy("vaLues.push_back(std::atoi(argv[i]));", 27);
    const auto mixed = readBy(code, 28);
    platform::trustFirstReadingAlike(job, han);
    platform::trustFirstReadingAlike(job, mixed);
    platform::takeSecondReading(job, han, platform::hanModel());
    platform::takeSecondReading(job, mixed, platform::mixedModel());
    ASSERT_EQ(job.result.lines.size(), 1u);
    EXPECT_EQ(job.result.lines[0].text.toStdString(), code);
    EXPECT_TRUE(platform::isText(job.result.lines[0]));

    for (const auto& [latin, again, kept] :
         {std::tuple{"Paul Bäcker - 19 h", "Paul Backer - 19 h", "Paul Bäcker - 19 h"},
          std::tuple{"bajó un poco después", "bajo un poco despues", "bajó un poco después"},
          std::tuple{"render (node) {", "render(node) {", "render(node) {"}}) {
        platform::LineJob line{&drawn, QStringLiteral("Latin"), readBy(latin, 80)};
        platform::takeSecondReading(line, readBy(again, 93), platform::mixedModel());
        EXPECT_EQ(line.result.lines[0].text, QString::fromUtf8(kept)) << latin;
    }
}

// A long line of code the Latin model reads right but too unsurely to keep
// (39), that the Chinese and the mixed models read the same but for a
// letter's case and a bracket, stands; lines two models read unlike, or
// that hold Chinese, are not made sure that way.
TEST(LineReading, aLongLatinLineTwoModelsReadNearlyAlike_IsKept_UnlikeReadingsAreNot)
{
    platform::LayoutLine drawn;
    drawn.rect = QRect(0, 0, 300, 16);
    drawn.script = platform::LineScript::Latin;
    drawn.monospaced = true;
    const auto readBy = [](const char* text, float confidence) {
        return readingOf(text, confidence, QRect(0, 0, 300, 16));
    };
    const struct {
        const char *latin, *other;
        bool kept;
    } cases[] = {
        {"values .push_back(std::atoi({argv[i]));", "Values.push_back(std::atoi(argv[i]));", true},
        {"let handle = tokio::spawn(async {", "let handIe = tokio::spawn(async {", true},
        {"Weekly summary report", "Weeklv sunmary rep0rt", false},
        {"oo o å o mm ll", "oo o a o nn ii", false},
        {"音乐节门票数 ticket", "音乐节门粟数 ticket", false},
    };
    for (const auto& c : cases) {
        platform::LineJob job{&drawn, QStringLiteral("Latin"), readBy(c.latin, 39)};
        const auto han = readBy(c.other, 0);
        const auto mixed = readBy(c.other, 0);
        platform::trustFirstReadingAlike(job, han);
        platform::trustFirstReadingAlike(job, mixed);
        platform::takeSecondReading(job, han, platform::hanModel());
        platform::takeSecondReading(job, mixed, platform::mixedModel());
        ASSERT_EQ(job.result.lines.size(), 1u);
        EXPECT_EQ(job.result.lines[0].text, QString::fromUtf8(c.latin)) << c.latin;
        EXPECT_EQ(platform::isText(job.result.lines[0]), c.kept) << c.latin;
    }
}

// A letter or two read off a shape a good deal taller than the words beside
// it (a document's icon before a setting's name, read as "B") is no text; a
// letter as tall as those words, or a count, is.
TEST(LineReading, aLetterReadOffAShapeTallerThanTheWordsBesideIt_IsAnIcon)
{
    platform::PageLayout page;
    const auto add = [&page](QRect rect, int ink) {
        platform::LayoutLine line;
        line.rect = rect;
        line.ink = ink;
        line.background = 255;
        page.lines.push_back(line);
    };
    add(QRect(75, 27, 89, 23), 93);   // "Starred"
    add(QRect(30, 22, 24, 31), 100);  // the icon before it, in much the same ink
    add(QRect(34, 27, 16, 23), 100);  // a letter as tall as the words
    add(QRect(30, 80, 24, 31), 100);  // a shape with no words beside it
    EXPECT_TRUE(platform::isIconBesideText(page, page.lines[1], QStringLiteral("B")));
    EXPECT_FALSE(platform::isIconBesideText(page, page.lines[1], QStringLiteral("12")));
    EXPECT_FALSE(platform::isIconBesideText(page, page.lines[2], QStringLiteral("A")));
    EXPECT_FALSE(platform::isIconBesideText(page, page.lines[3], QStringLiteral("B")));
    // Beside a short word with a tail ("Open"), as tall as the shape: the
    // shape still reaches well above the word's tallest letters.
    add(QRect(75, 751, 67, 28), 93);  // "Open"
    add(QRect(30, 745, 24, 31), 100);
    add(QRect(34, 751, 16, 23), 100);  // a capital standing with the word
    EXPECT_TRUE(platform::isIconBesideText(page, page.lines[5], QStringLiteral("B")));
    EXPECT_FALSE(platform::isIconBesideText(page, page.lines[6], QStringLiteral("O")));
}

// Another model's reading of a line shaped like Chinese does not win by
// confidence alone when it makes Latin letters of the Chinese the Han model
// read, nor when it makes a letter of what an icon is read as; it still
// mends the Latin words of a Chinese line.
TEST(LineReading, chineseOfALineShapedLikeChinese_IsNotTradedForLatinLetters_NorAnIconForALetter)
{
    const auto readBy = [](const char* text, float confidence) {
        return readingOf(text, confidence, QRect(0, 0, 200, 15));
    };
    const platform::LayoutLine han = layoutLineOf(QRect(0, 0, 200, 15), platform::LineScript::Han);
    // Too short to tell its script.
    const platform::LayoutLine square = layoutLineOf(QRect(0, 0, 15, 15), platform::LineScript::Unknown);
    const struct {
        const platform::LayoutLine* line;
        const char *first, *other;
        float firstConfidence, otherConfidence;
        const char* model;
        const char* kept;
    } cases[] = {
        {&han, "赵磊", "BR", 58, 72, "chi_sim+eng", "赵磊"},
        {&han, "我们用 Docker 部轨了测试环境。", "我们用 Docker HBT Minnie.", 57, 76, "chi_sim+eng",
         "我们用 Docker 部轨了测试环境。"},
        {&han, "我们下周把 Androld 和 105 的版本一起发布。", "我们下周把 Android 和 iOS 的版本一起发布。", 80, 88,
         "chi_sim+eng", "我们下周把 Android 和 iOS 的版本一起发布。"},
        {&han, "基 server.Ts", "x server.rs", 19, 83, "chi_sim+eng", "x server.rs"},
        {&square, "目", "B", 92, 95, "eng", "目"},
        {&square, "和", "b", 70, 76, "eng", "b"},
    };
    for (const auto& c : cases) {
        platform::LineJob job{c.line, platform::hanModel(), readBy(c.first, c.firstConfidence)};
        platform::takeSecondReading(job, readBy(c.other, c.otherConfidence), QString::fromLatin1(c.model));
        ASSERT_EQ(job.result.lines.size(), 1u);
        EXPECT_EQ(job.result.lines[0].text, QString::fromUtf8(c.kept)) << c.first;
    }
    // The name kept is text though read unsurely, on a line shaped like
    // Chinese only; what icons are read as is not.
    const auto line = [](const char* text, float confidence) {
        platform::RecognizedLine l;
        l.text = QString::fromUtf8(text);
        l.confidence = confidence;
        return l;
    };
    EXPECT_TRUE(platform::isShortChineseText(han, line("赵磊", 58)));
    EXPECT_FALSE(platform::isShortChineseText(square, line("赵磊", 58)));
    EXPECT_FALSE(platform::isShortChineseText(han, line("赵磊", 30)));
    EXPECT_FALSE(platform::isShortChineseText(han, line("家三", 58)));
}

// A line that looked Latin with Chinese words in it: the Chinese model's
// reading wins over the Latin model's letters for its Chinese, though it
// ends on a misread full stop or parts its words with slashes (a
// breadcrumb), and is not traded for the mixed model's that
// makes Latin letters of some of its Chinese; where the mixed model reads no
// Chinese at all, its Latin reading still wins over Chinese read into it.
TEST(LineReading, chineseReadOnALineThatLookedLatin_IsNotTradedForLettersMadeOfIt)
{
    const platform::LayoutLine latin = layoutLineOf(QRect(0, 0, 500, 17), platform::LineScript::Latin);
    const struct {
        const char* firstModel;
        const char *first, *other;
        float firstConfidence, otherConfidence;
        const char* model;
        const char* kept;
    } cases[] = {
        {"chi_sim", "请先在 GitHub 上提交 Pull Request 再合并。", "请先在 GitHub 上提交 Pull Request BAH.", 91, 92,
         "chi_sim+eng", "请先在 GitHub 上提交 Pull Request 再合并。"},
        {"eng", "BEEE Kubernetes ZAEIET. t Settings PF Dark Mode itit.",
         "服务器迁移到 Kubernetes 之后更稳定了。请在 Settings 里打开 Dark Mode 试试-", 56, 93, "chi_sim",
         "服务器迁移到 Kubernetes 之后更稳定了。请在 Settings 里打开 Dark Mode 试试-"},
        {"chi_sim", "基 server.Ts", "x server.rs", 19, 83, "chi_sim+eng", "x server.rs"},
        {"eng", "~/Êt/ iTS", "~/ 合计/ 订单编号", 4, 91, "chi_sim", "~/ 合计/ 订单编号"},
        // A Latin reading that would be dropped gives way to a far surer one
        // even with a character misread into it; one that stands does not.
        {"eng", "ZAEIET", "设置 Ctrl+Shi化", 20, 85, "chi_sim", "设置 Ctrl+Shi化"},
        {"eng", "Ctrl+Shift+S", "Ctrl+Shi化+S", 75, 90, "chi_sim", "Ctrl+Shift+S"},
    };
    for (const auto& c : cases) {
        platform::LineJob job{&latin, QString::fromLatin1(c.firstModel),
                              readingOf(c.first, c.firstConfidence, QRect(0, 0, 500, 17))};
        platform::takeSecondReading(job, readingOf(c.other, c.otherConfidence, QRect(0, 0, 500, 17)),
                                    QString::fromLatin1(c.model));
        ASSERT_EQ(job.result.lines.size(), 1u);
        EXPECT_EQ(job.result.lines[0].text, QString::fromUtf8(c.kept)) << c.first;
    }
}

// A two-character name the layout took for Latin: the Latin model's reading
// would be dropped as noise, the Chinese model's stands and is kept; a Latin
// reading that stands keeps its line, and an icon's square stays unread.
TEST(LineReading, shortChineseNameOnALineThatLookedLatin_IsKeptWhereTheLatinReadingWouldBeDropped)
{
    const auto readBy = [](const char* text, float confidence) {
        return readingOf(text, confidence, QRect(0, 0, 27, 15));
    };
    const platform::LayoutLine latinLooking = layoutLineOf(QRect(0, 0, 27, 15), platform::LineScript::Latin);
    const platform::LayoutLine square = layoutLineOf(QRect(0, 0, 15, 15), platform::LineScript::Unknown);
    const struct {
        const platform::LayoutLine* line;
        const char *first, *other;
        float firstConfidence, otherConfidence;
        const char* kept;
        bool text;
    } cases[] = {
        {&latinLooking, "1", "孙丽", 51, 45, "孙丽", true},
        {&latinLooking, "Paul", "孙丽", 90, 45, "Paul", true},
        {&square, "b", "孙丽", 51, 45, "b", false},
    };
    for (const auto& c : cases) {
        platform::LineJob job{c.line, QStringLiteral("eng"), readBy(c.first, c.firstConfidence)};
        platform::takeSecondReading(job, readBy(c.other, c.otherConfidence), platform::hanModel());
        ASSERT_EQ(job.result.lines.size(), 1u);
        const platform::RecognizedLine& read = job.result.lines[0];
        EXPECT_EQ(read.text, QString::fromUtf8(c.kept)) << c.first;
        EXPECT_EQ(platform::isText(read) || platform::isShortChineseText(*c.line, read, job.model), c.text) << c.first;
    }
}

// A tab's title between its icon and its close button, read unsurely by the
// Latin model, stands against the Chinese model's surer reading that would
// be dropped (the icon made "六", the letters left scattered one by one); a
// surer reading that is text wins.
TEST(LineReading, aLineOfWordsThatStands_IsNotTradedForASurerReadingThatWouldBeDropped)
{
    const platform::LayoutLine tab = layoutLineOf(QRect(0, 0, 240, 21), platform::LineScript::Latin);
    const char* title = "X% El ayuntamiento apruebael xX +";
    for (const auto& [other, kept] :
         {std::pair{"六 ayuntamiento apruebael x +", title},
          std::pair{"六 El ayuntamiento aprueba el +", "六 El ayuntamiento aprueba el +"}}) {
        platform::LineJob job{&tab, QStringLiteral("Latin"), readingOf(title, 42, tab.rect)};
        platform::takeSecondReading(job, readingOf(other, 56, tab.rect), platform::hanModel());
        EXPECT_EQ(job.result.lines[0].text, QString::fromUtf8(kept)) << other;
        EXPECT_TRUE(platform::isText(job.result.lines[0])) << other;
    }
}

TEST(ParagraphGrouping, joinsTexts_ByHyphenHanAndKanaRules)
{
    const std::pair<QStringList, const char*> cases[] = {
        {{"recogni-", "tion works"}, "recognition works"},
        {{"文字识别", "在后台运行"}, "文字识别在后台运行"},
        {{"ひらがな", "カタカナ"}, "ひらがなカタカナ"},
        {{"因此，", "始终"}, "因此，始终"},  // Chinese punctuation belongs to the Han script here
        {{"a —", "b"}, "a — b"},             // only U+002D joins
    };
    for (const auto& [lines, joined] : cases)
        EXPECT_EQ(OCRService::joinLineTexts({lines.begin(), lines.end()}), QString::fromUtf8(joined)) << joined;
}

TEST(WordAnchors, splitRunsAtSpacesAndScriptChanges_CountingVisibleCharacters_AndBoxThemInBottomLeftSpace)
{
    using Runs = std::vector<std::pair<int, int>>;
    EXPECT_EQ(OCRService::wordRuns(QStringLiteral("hello world")), (Runs{{0, 5}, {6, 11}}));
    EXPECT_EQ(OCRService::wordRuns(QStringLiteral("hello中文")), (Runs{{0, 5}, {5, 7}}));
    EXPECT_EQ(OCRService::wordRuns(QStringLiteral("👍🏽 ok\tgo")), (Runs{{0, 1}, {2, 4}, {5, 7}}));

    // Each run boxed by its characters; runs without boxes left out.
    platform::RecognizedLine line;
    line.text = QStringLiteral("ab cd ef");
    line.symbols = {{0, 1, QRect(10, 20, 8, 10)}, {1, 2, QRect(18, 22, 8, 10)}, {3, 5, QRect(40, 20, 16, 10)}};
    const auto anchors = OCRService::computeAnchors(line, 200, 100);
    ASSERT_TRUE(anchors.has_value());
    ASSERT_EQ(anchors->size(), 2u);
    EXPECT_EQ(std::make_pair((*anchors)[0].start, (*anchors)[0].end), std::make_pair(std::int64_t(0), std::int64_t(2)));
    EXPECT_EQ((*anchors)[0].rect, QRectF(10, 100 - 32, 16, 12));  // top 20..32 flipped
    EXPECT_EQ((*anchors)[1].rect, QRectF(40, 70, 16, 10));
    line.symbols.clear();
    EXPECT_FALSE(OCRService::computeAnchors(line, 200, 100).has_value());
}

TEST(ImageRenderer, splitsChineseOverTheLinesByWidth_AndWrapsLatinOverThemAll)
{
    EXPECT_EQ(IR::splitProportionally(QStringLiteral("一二三四五六七八九十"), {100, 100, 50}),
              (Pieces{QStringLiteral("一二三四"), QStringLiteral("五六七八"), QStringLiteral("九十")}));
    // Closing punctuation never starts a line; a line left without text gets no fragment.
    EXPECT_EQ(IR::splitProportionally(QStringLiteral("一二三，四五六。"), {3, 5}),
              (Pieces{QStringLiteral("一二三，"), QStringLiteral("四五六。")}));
    const std::vector<TextLine> lines = {modelLine(QStringLiteral("one"), 10, 100, 200, 20),
                                         modelLine(QStringLiteral("two"), 10, 76, 100, 20)};
    const auto marksOnly = IR::layoutFragments(lines, QStringLiteral("一二三四。，"));
    ASSERT_EQ(marksOnly.size(), 1u);
    EXPECT_EQ(marksOnly[0].text, QStringLiteral("一二三四。，"));

    const auto latin = IR::layoutFragments(lines, QStringLiteral("A translation in English words"));
    ASSERT_EQ(latin.size(), 1u);
    EXPECT_TRUE(latin[0].wraps);
    EXPECT_EQ(latin[0].rect, QRectF(10, 76, 200, 44));
    EXPECT_TRUE(IR::layoutFragments(lines, QString()).empty());
}

TEST(ImageRenderer, samplesTheBackgroundBesideTheText_WithinThePicture)
{
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(QColor(20, 30, 40));
    const auto dark = IR::backgroundColor(image, QRectF(50, 40, 60, 20));
    EXPECT_EQ(dark.color, QColor(20, 30, 40));
    EXPECT_LE(dark.luminance, 0.55);  // white text
    // Against the left border only the right side is sampled: the red strip
    // there wins although the left half of the image is blue.
    QPainter(&image).fillRect(0, 0, 100, 100, Qt::blue);
    QPainter(&image).fillRect(100, 0, 100, 100, Qt::red);
    EXPECT_EQ(IR::backgroundColor(image, QRectF(-20, 40, 130, 20)).color, QColor(Qt::red));
    EXPECT_EQ(IR::backgroundColor(image, QRectF(-50, 300, 20, 20)).color, QColor(Qt::white));  // nothing to sample
}

TEST(ImageRenderer, fitsTheFontToTheRectangle_DownToSix)
{
    const QRectF rect(0, 0, 300, 24);
    const auto fit = IR::fittedFontSize(QStringLiteral("Fits nicely"), rect, false);
    EXPECT_GT(fit.fontSize, 12);
    EXPECT_TRUE(rect.adjusted(0, 0, 0.5, 0).contains(QRectF(QPointF(), fit.measured)));
    const QString tooLong = QStringLiteral("a translation far too long for its tiny line ").repeated(5);
    EXPECT_EQ(IR::fittedFontSize(tooLong, rect, false).fontSize, 6);
    const auto wrapped = IR::fittedFontSize(tooLong, QRectF(0, 0, 300, 200), true);
    EXPECT_GT(wrapped.fontSize, 6);
    EXPECT_LE(wrapped.measured.height(), 200);
}

TEST(ImageRenderer, coversEverySourceLine_InReadableInk_KeepingEveryPixelAndTheDisplayScale)
{
    QImage base(600, 200, QImage::Format_RGB32);
    base.fill(QColor(25, 25, 25));
    QPainter painter(&base);
    painter.fillRect(20, 120, 200, 20, Qt::white);  // source text, line 1
    painter.fillRect(20, 144, 100, 20, Qt::white);  // line 2, whose share of the translation is only punctuation
    painter.end();
    const IR::RenderBlock latin{{modelLine(QStringLiteral("src"), 20, 130, 260, 40)}, QStringLiteral("HELLO")};
    const IR::RenderBlock chinese{
        {modelLine(QStringLiteral("a"), 20, 60, 200, 20), modelLine(QStringLiteral("b"), 20, 36, 100, 20)},
        QStringLiteral("一二三四。，")};
    const QImage out = IR::render(base, {latin, chinese}, 2);
    EXPECT_EQ(out.size(), QSize(600, 200));
    EXPECT_EQ(out.deviceIndependentSize(), QSizeF(300, 100));
    EXPECT_EQ(out.pixelColor(60, 154), QColor(25, 25, 25));  // the second line's old text is covered
    int light = 0;
    for (int y = 30; y < 70; ++y)
        for (int x = 20; x < 280; ++x) light += out.pixelColor(x, y).lightness() > 200;
    EXPECT_GT(light, 100);  // light ink on the dark background
    EXPECT_EQ(out.pixelColor(500, 100), QColor(25, 25, 25));
    EXPECT_TRUE(IR::render(QImage(), {}, 1).isNull());
}
