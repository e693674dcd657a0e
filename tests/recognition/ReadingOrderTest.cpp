// The order in which busy screens read: the layout alone (columns, menus over
// windows, tables row by row, windows never interleaved, terminal rows
// whole, articles beside sidebars and in browser columns), and what recognition hands on (paragraphs top first, each
// made of one drawn paragraph, Latin lines without Han characters).
#include "ScreenFixtures.h"
#include "corpus/RealPages.h"
#include "platform/text/PageLayout.h"
#include "platform/text/ScriptCounts.h"
#include "recognition/OCRService.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <map>
#include <set>

using namespace klipo;
using namespace klipo::test;

namespace {

qint64 area(const QRect& r) { return r.isEmpty() ? 0 : qint64(r.width()) * r.height(); }

// The drawn line a box (top-left space) reads, or -1.
int drawnLineAt(const Screen& screen, const QRect& box)
{
    int best = -1;
    qint64 most = 0;
    for (size_t i = 0; i < screen.lines.size(); ++i) {
        const qint64 common = area(box & screen.lines[i].box);
        if (common * 10 >= 4 * std::min(area(box), area(screen.lines[i].box)) && common > most) {
            most = common;
            best = int(i);
        }
    }
    return best;
}

platform::PageLayout layoutOf(const Screen& screen)
{
    return platform::analysePage(screen.image.convertToFormat(QImage::Format_Grayscale8));
}

bool isAscii(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

struct ScreenCase {
    ScreenKind kind;
    ScreenLanguage language;
    double scale;
};

}  // namespace

TEST(ReadingOrder, laysOutColumnsMenusAndTableRowsInTurn_NeverInterleavingWindows)
{
    using K = ScreenKind;
    using L = ScreenLanguage;
    const ScreenCase screens[] = {{K::Columns, L::French, 2},    {K::Columns, L::Chinese, 1},
                                  {K::Menu, L::English, 1},      {K::Menu, L::Mixed, 2},
                                  {K::Menu, L::German, 1},       {K::Desktop, L::English, 1},
                                  {K::Workspace, L::English, 2}, {K::Workspace, L::Chinese, 1}};
    for (const auto& s : screens) {
        const Screen screen = drawScreen(s.kind, s.language, s.scale);
        SCOPED_TRACE(qPrintable(screen.name));
        std::vector<int> read;  // drawn lines in the order the layout reads them
        for (const platform::LayoutLine& line : layoutOf(screen).lines)
            if (const int i = drawnLineAt(screen, line.rect); i >= 0) read.push_back(i);
        std::map<int, int> lastInWindow;  // window -> drawn line read last
        int window = -1;
        for (int i : read) {
            const ReferenceLine& line = screen.lines[size_t(i)];
            if (line.window != window) {
                EXPECT_FALSE(lastInWindow.count(line.window))
                    << "window " << line.window << " read again at " << qPrintable(line.text);
                window = line.window;
            }
            const auto last = lastInWindow.find(window);
            if (last != lastInWindow.end()) {
                EXPECT_GE(i, last->second)
                    << qPrintable(line.text) << " read after " << qPrintable(screen.lines[size_t(last->second)].text);
            }
            lastInWindow[window] = i;
        }
    }
}

TEST(ReadingOrder, keepsATerminalsRowsWhole)
{
    for (const ScreenLanguage language : {ScreenLanguage::English, ScreenLanguage::Mixed}) {
        const Screen screen = drawScreen(ScreenKind::Shell, language, 2);
        SCOPED_TRACE(qPrintable(screen.name));
        const platform::PageLayout page = layoutOf(screen);
        for (const ReferenceLine& row : screen.lines) {
            if (!row.text.contains(QStringLiteral("staff"))) continue;  // the rows of `ls -l`
            std::vector<const platform::LayoutLine*> pieces;
            for (const platform::LayoutLine& line : page.lines)
                if (line.rect.intersects(row.box)) pieces.push_back(&line);
            ASSERT_EQ(pieces.size(), 1u) << qPrintable(row.text);
            EXPECT_GE(pieces[0]->rect.width() * 10, row.box.width() * 9) << qPrintable(row.text);
            EXPECT_TRUE(pieces[0]->monospaced) << qPrintable(row.text);
        }
    }
}

// Each paragraph handed on holds one drawn paragraph (a terminal's rows, a
// list's name and the preview under it, stay apart), the paragraphs come in
// reading order, a line drawn in Latin letters, digits and signs comes back
// without Han characters ("+" never as "十"), and a large headline on a
// desktop reads whole, every letter right.
TEST(ReadingOrder, readsParagraphsTopFirst_EachWhole_AndLatinLinesWithoutHan)
{
    using K = ScreenKind;
    using L = ScreenLanguage;
    const ScreenCase screens[] = {{K::Shell, L::English, 1},   {K::Shell, L::Chinese, 1},    {K::Chat, L::Chinese, 1},
                                  {K::Columns, L::English, 1}, {K::Sheet, L::English, 1},    {K::Sheet, L::Chinese, 2},
                                  {K::Menu, L::Mixed, 1},      {K::Workspace, L::English, 1}};
    for (const auto& s : screens) {
        const Screen screen = drawScreen(s.kind, s.language, s.scale);
        SCOPED_TRACE(qPrintable(screen.name));
        const OcrOutcome outcome = OCRService::recognizeBlocks(screen.image, false).result();
        ASSERT_TRUE(outcome.ok) << qPrintable(outcome.error);
        const QString headline = screenTexts(s.language).headline;
        bool headlineRead = true;
        for (const ReferenceLine& line : screen.lines)
            if (line.text == headline) headlineRead = false;
        int lastFirst = -1;
        for (const TextBlock& block : outcome.blocks) {
            for (const TextLine& line : block.lines) headlineRead = headlineRead || line.text == headline;
            std::vector<int> drawn;
            for (const TextLine& line : block.lines) {
                const int i = drawnLineAt(screen, flipped(line.rect, screen.image.height()).toAlignedRect());
                if (i < 0) continue;
                drawn.push_back(i);
                if (isAscii(screen.lines[size_t(i)].text)) {
                    EXPECT_EQ(platform::ScriptCounts::of(line.text).han, 0)
                        << qPrintable(line.text) << " for " << qPrintable(screen.lines[size_t(i)].text);
                }
            }
            if (drawn.empty()) continue;
            for (int i : drawn)
                EXPECT_EQ(screen.lines[size_t(i)].unit, screen.lines[size_t(drawn.front())].unit)
                    << "one paragraph: " << qPrintable(block.text);
            EXPECT_GT(drawn.front(), lastFirst) << "out of turn: " << qPrintable(block.text);
            lastFirst = std::max(lastFirst, drawn.front());
        }
        EXPECT_TRUE(headlineRead) << "headline: " << qPrintable(headline);
    }
}

// A headline across two columns whose two-line paragraphs start side by side,
// with the gap under the headline narrower than those between paragraphs (a
// Tk page of two message columns): each column still reads to its end first.
TEST(ReadingOrder, readsColumnsUnderAHeadline_WhoseParagraphGapsAreWiderThanTheOneUnderIt)
{
    QImage page(1000, 320, QImage::Format_Grayscale8);
    page.fill(235);
    QPainter p(&page);
    p.setPen(QColor(20, 20, 20));
    QFont headline(QStringLiteral("DejaVu Serif"));
    headline.setPixelSize(36);
    headline.setBold(true);
    p.setFont(headline);
    p.drawText(QRect(0, 16, 1000, 46), Qt::AlignHCenter, QStringLiteral("El nuevo puerto abre sus puertas"));
    QFont body(QStringLiteral("DejaVu Sans"));
    body.setPixelSize(16);
    p.setFont(body);
    const QStringList columns[] = {{QStringLiteral("La ciudad inauguró ayer el nuevo puerto deportivo"),
                                    QStringLiteral("después de tres años de obras."),
                                    QStringLiteral("Los vecinos celebraron la apertura con una fiesta"),
                                    QStringLiteral("en la plaza mayor hasta la noche."),
                                    QStringLiteral("El alcalde prometió que el puerto traerá empleo"),
                                    QStringLiteral("y turismo durante todo el año.")},
                                   {QStringLiteral("En otra noticia, la biblioteca municipal amplía su"),
                                    QStringLiteral("horario durante los meses de verano."),
                                    QStringLiteral("Los lectores podrán pedir libros prestados los"),
                                    QStringLiteral("domingos por la mañana desde julio."),
                                    QStringLiteral("La directora explicó que la medida responde a"),
                                    QStringLiteral("una petición de muchos estudiantes.")}};
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 6; ++i) p.drawText(QPointF(50 + c * 480, 96 + (i / 2) * 70 + (i % 2) * 20), columns[c][i]);
    p.end();

    const platform::PageLayout layout = platform::analysePage(page);
    std::vector<int> sides;  // 0 headline, 1 left column, 2 right column, in the order read
    for (const platform::LayoutLine& line : layout.lines)
        sides.push_back(line.rect.bottom() < 70 ? 0 : line.rect.center().x() < 500 ? 1 : 2);
    ASSERT_EQ(std::count(sides.begin(), sides.end(), 1), 6);
    ASSERT_EQ(std::count(sides.begin(), sides.end(), 2), 6);
    EXPECT_TRUE(std::is_sorted(sides.begin(), sides.end()));
}

// Pages a browser drew: an article with a picture beside a sidebar (in English,
// and in Chinese beside a list of headlines), articles
// in CSS columns (whose paragraph gaps do not line up) beside a list of
// sections, a post with a picture beside two cards. Each part (the article,
// the sidebar, each card) is read whole and in its own order, and no line
// runs into another part's.
TEST(ReadingOrder, readsArticlesBesideSidebarsAndBrowserColumns_ColumnByColumn_WithNoJoinedLines)
{
    const QString folder = QStringLiteral(KLIPO_REAL_PAGES);
    for (const QString& name : {QStringLiteral("news-sidebar-en"), QStringLiteral("news-zh"),
                                QStringLiteral("columns-en"), QStringLiteral("blog-mixed")}) {
        const Screen screen = loadRealPage(folder, name).screen;
        SCOPED_TRACE(qPrintable(screen.name));
        ASSERT_FALSE(screen.image.isNull());
        std::vector<std::pair<int, int>> partsRead;  // part and drawn line, in the order read
        for (const platform::LayoutLine& line : platform::analysePage(screen.image).lines) {
            std::set<int> parts;
            for (const ReferenceLine& drawn : screen.lines)
                if (area(line.rect & drawn.box) * 2 >= area(drawn.box) && drawn.box.top() < line.rect.center().y() &&
                    line.rect.center().y() < drawn.box.bottom())
                    parts.insert(drawn.part);
            EXPECT_LE(parts.size(), 1u) << "line at " << line.rect.x() << "," << line.rect.y() << " joins parts";
            if (const int i = drawnLineAt(screen, line.rect); i >= 0)
                partsRead.emplace_back(screen.lines[size_t(i)].part, i);
        }
        std::map<int, int> lastOfPart;
        int part = -1;
        for (const auto& [p, i] : partsRead) {
            if (p != part) {
                EXPECT_FALSE(lastOfPart.count(p))
                    << "part " << p << " read again at " << qPrintable(screen.lines[size_t(i)].text);
                part = p;
            }
            if (lastOfPart.count(p)) {
                EXPECT_GE(i, lastOfPart[p]) << qPrintable(screen.lines[size_t(i)].text) << " read after "
                                            << qPrintable(screen.lines[size_t(lastOfPart[p])].text);
            }
            lastOfPart[p] = i;
        }
    }
}
