// How a code editor lays out: the file tree beside the code read apart from
// it, the row of tabs over both whole, each line number with its line of code.
#include "ScreenFixtures.h"
#include "corpus/GeneratedScreens.h"
#include "platform/text/PageLayout.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <algorithm>

using namespace klipo;

// A file tree in a proportional face, its rows 22 pixels apart, beside
// monospaced code whose rows are 25 apart, so that the two drift in and out
// of level; tabs over both. The code's runs of spaces are as wide as the room
// between tree and code, yet the tree is another column: it reads apart, the
// tabs whole before both, the code row by row (each line number with its
// line, some lines empty), and its long lines, full of paths and signs, are
// marked monospaced.
TEST(EditorLayout, readsTheFileTreeApart_TheTabsWhole_AndEachLineNumberWithItsCode)
{
    QImage page(900, 640, QImage::Format_Grayscale8);
    page.fill(250);
    QPainter p(&page);
    QFont sans(QStringLiteral("DejaVu Sans"));
    sans.setPixelSize(13);
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setPixelSize(14);
    p.setFont(sans);
    p.setPen(QColor(30, 30, 30));
    const QStringList names =
        QStringLiteral("main.cpp|server.rs|app.js|photo_0132.txt|Projects|README.sh|invoice-0457.png").split(u'|');
    for (int i = 0; i < 4; ++i) p.drawText(QPointF(12 + 150 * i, 24), names[i]);
    for (int i = 0; i < 24; ++i) p.drawText(QPointF(20 + 14 * (i % 3), 64 + 22 * i), names[(i * 5) % names.size()]);
    const QStringList code =
        QStringLiteral(
            "    for (int i = 0; i < argc; ++i)|        values.push_back(std::atoi(argv[i]));||"
            "    // src/reader/notes.txt:12: see docs/setup.md|def read_config(path):|"
            "        return json.load(f)|    let handle = tokio::spawn(async { fetch().await });|"
            "    // lib/a.b/c.d:7: ./x/y.z:9: i.l/i.l|const total = items.reduce((a, b) => a + b, 0);||"
            "export function render(node) {|    return node.children.map(draw);")
            .split(u'|');
    const int codeTop = 44;
    const int pitch = 25;
    p.setFont(mono);
    for (int k = 0; k < 22; ++k) {
        const int baseline = codeTop + 17 + pitch * k;
        p.setPen(QColor(120, 120, 120));
        p.drawText(QRectF(196, baseline - 17, 22, 20), Qt::AlignRight | Qt::AlignBottom, QString::number(k + 1));
        p.setPen(QColor(30, 30, 30));
        p.drawText(QPointF(230, baseline), code[k % code.size()]);
    }
    p.end();

    // Each line read: -2 a tab, -1 the tree, else the row of code.
    std::vector<int> parts;
    std::vector<int> rows;
    const platform::PageLayout layout = platform::analysePage(page);
    for (const platform::LayoutLine& line : layout.lines) {
        const QPoint c = line.rect.center();
        parts.push_back(c.y() < 34 ? -2 : c.x() < 185 ? -1 : (c.y() - codeTop) / pitch);
        if (parts.back() >= 0) rows.push_back(parts.back());
        EXPECT_TRUE(line.monospaced || parts.back() < 0 || line.rect.width() <= 200) << line.rect.y();
    }
    SCOPED_TRACE(::testing::PrintToString(parts));
    for (const auto& l : layout.lines)
        if (std::getenv("SHOWL"))
            std::printf("%d,%d %dx%d r%d\n", l.rect.x(), l.rect.y(), l.rect.width(), l.rect.height(), l.region);
    // Where the part read changes from one line to the next.
    std::vector<std::pair<int, int>> turns;
    for (size_t i = 1; i < parts.size(); ++i)
        if ((parts[i] < 0 || parts[i - 1] < 0) && parts[i] != parts[i - 1]) turns.emplace_back(parts[i - 1], parts[i]);
    EXPECT_EQ(turns, (std::vector<std::pair<int, int>>{{-2, -1}, {-1, 0}})) << "tabs, then the tree, then the code";
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end())) << "the code reads row by row";
}

// An editor's line numbers stand in a column of their own a little before
// the code: every number is a line apart from the code beside it, a comment
// drawn as faint as the numbers (Chinese or Latin) as well as the code in
// stronger ink, on a light or dark ground, at either scale.
TEST(EditorLayout, readsEachLineNumberApartFromItsCode_CommentsAsFaintAsTheNumbersToo)
{
    const QStringList code = QStringLiteral(
                                 "#include <vector>|// 开会之前请记得更新共享日历。|int main(int argc, char** argv) {|"
                                 "    // 博物馆将展出从未离开私人收藏的画作。|    return values.empty() ? 1 : 0;|}||"
                                 "// The council approved a new plan for buses|def read_config(path):|"
                                 "    with open(path) as f:|        return json.load(f)|    // 明天上午十点开会。")
                                 .split(u'|');
    for (const bool dark : {false, true})
        for (const int scale : {1, 2}) {
            SCOPED_TRACE(::testing::Message() << (dark ? "dark" : "light") << " at " << scale << "x");
            QImage page(720 * scale, 290 * scale, QImage::Format_RGB32);
            page.fill(dark ? QColor(30, 31, 36) : QColor(252, 252, 252));
            QPainter p(&page);
            p.scale(scale, scale);
            QFont mono(QStringLiteral("DejaVu Sans Mono"));
            mono.setPixelSize(14);
            p.setFont(mono);
            const QColor faint = dark ? QColor(125, 128, 135) : QColor(140, 140, 140);
            for (int k = 0; k < code.size(); ++k) {  // the numbers end 8 pixels before the code at 49
                p.setPen(faint);
                p.drawText(QRectF(4, 10 + 22 * k, 37, 22), Qt::AlignRight | Qt::AlignVCenter, QString::number(k + 1));
                const bool comment = code[k].trimmed().startsWith(QStringLiteral("//"));
                p.setPen(comment ? faint : dark ? QColor(215, 218, 222) : QColor(25, 25, 25));
                p.drawText(QRectF(49, 10 + 22 * k, 600, 22), Qt::AlignLeft | Qt::AlignVCenter, code[k]);
            }
            p.end();
            int numbers = 0;
            for (const platform::LayoutLine& line : platform::analysePage(page).lines) {
                EXPECT_FALSE(line.rect.left() < 45 * scale && line.rect.right() > 49 * scale)
                    << "a number read with its code at row " << line.rect.y() / scale;
                numbers += line.rect.right() < 49 * scale;
            }
            EXPECT_EQ(numbers, 12);
        }
}

// Generated editors and settings windows: the icon before a file's or an
// item's name (in a file tree, drawn in a fainter ink than the names; in a
// list beside a page of settings whose rows stand off the items' level, so
// that each row of the window is taller than its text) is never read as
// part of the name's line.
TEST(EditorLayout, onGeneratedScreens_NoItemsIconIsReadWithItsName)
{
    for (const quint32 seed : {12u, 54u, 74u}) {
        const test::Screen screen = test::generateScreen(seed);
        const platform::PageLayout layout = platform::analysePage(screen.image.convertToFormat(QImage::Format_RGB32));
        const int th = layout.textHeight;
        for (const test::ReferenceLine& drawn : screen.lines)
            for (const platform::LayoutLine& line : layout.lines) {
                const QRect& r = line.rect;
                const int shared = std::min(r.bottom(), drawn.box.bottom()) - std::max(r.top(), drawn.box.top());
                // Something a little before the name, no taller than it (a button's frame is).
                const bool before = r.left() < drawn.box.left() - th / 2 && r.left() > drawn.box.left() - 2 * th &&
                                    r.height() <= drawn.box.height();
                EXPECT_FALSE(shared * 2 > drawn.box.height() && before && r.right() > drawn.box.left() + th)
                    << qPrintable(screen.name) << ": \"" << qPrintable(drawn.text) << "\" read from " << r.left();
            }
    }
}
