// The order in which a settings window reads: its menu bar, a pop-up open
// under the bar, the list of sections, and a form whose fields each read
// right after their labels; and lists and forms under other windows.
#include "ScreenFixtures.h"
#include "corpus/GeneratedScreens.h"
#include "platform/text/PageLayout.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <algorithm>
#include <iterator>

using namespace klipo;

namespace {

struct Part {
    QRect box;  // in pixels at scale 1
    int part = 0;
};

// A settings window at `scale`: a bar on grey, a list of sections on grey
// beside a rule, a form of labels and fields on white, and a pop-up at
// `popUp` with rounded corners and a soft shadow hanging from the bar, with
// little room between the bar's text and the pop-up's top. Each drawn text
// is recorded with its part: 0 the bar, 1 the pop-up, 2 the list, 3 and up
// one row of the form each (a label and its field), 100 the buttons. The
// form's first row stands at `formTop`, under a bold `heading` if given.
QImage settingsWindow(double scale, const QRectF& popUp, std::vector<Part>& drawn, int formTop = 216,
                      const QString& heading = {})
{
    QImage page(int(1000 * scale), int(640 * scale), QImage::Format_RGB32);
    page.fill(QColor(255, 255, 255));
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    p.setFont(font);
    const auto write = [&](int x, int baseline, const QString& text, int part, QColor colour = QColor(40, 40, 40)) {
        p.setPen(colour);
        p.drawText(QPointF(x, baseline), text);
        const QRect box = p.fontMetrics().boundingRect(text).translated(x, baseline);
        drawn.push_back({box, part});
    };
    p.fillRect(QRectF(0, 0, 1000, 31), QColor(240, 240, 238));
    p.fillRect(QRectF(0, 31, 172, 609), QColor(240, 240, 238));
    p.fillRect(QRectF(172, 31, 1, 609), QColor(205, 205, 205));
    // The bar's words run over the rule; so do the list's counts nearly.
    const std::pair<int, QString> bar[] = {{10, QStringLiteral("Delivery")},
                                           {90, QStringLiteral("Copy")},
                                           {137, QStringLiteral("Playing")},
                                           {216, QStringLiteral("Query")},
                                           {269, QStringLiteral("Display")}};
    for (const auto& [x, word] : bar) write(x, 21, word, 0);
    const QStringList sections = {QStringLiteral("Network"), QStringLiteral("Calendar"), QStringLiteral("Drafts"),
                                  QStringLiteral("Owner"),   QStringLiteral("Updates"),  QStringLiteral("Archive"),
                                  QStringLiteral("Starred"), QStringLiteral("Payment"),  QStringLiteral("Bookmarks"),
                                  QStringLiteral("History"), QStringLiteral("Address"),  QStringLiteral("Modified"),
                                  QStringLiteral("Status"),  QStringLiteral("Quantity"), QStringLiteral("Travel"),
                                  QStringLiteral("Weekly"),  QStringLiteral("Budget"),   QStringLiteral("Edit")};
    for (int i = 0; i < int(sections.size()); ++i) {
        write(38, 55 + 31 * i, sections[i], 2);
        if (i % 5 == 2) write(142, 55 + 31 * i, QString::number(17 + 9 * i), 2);
    }
    const std::pair<QString, QString> rows[] = {
        {QStringLiteral("Status"), QStringLiteral("Shared with the team")},
        {QStringLiteral("Language"), QStringLiteral("English (United Kingdom)")},
        {QStringLiteral("Trash"), QStringLiteral("Travel photos")},
        {QStringLiteral("Tools"), QStringLiteral("Share")},
        {QStringLiteral("Inbox"), QStringLiteral("Calendar")},
        {QStringLiteral("Owner"), QStringLiteral("Anna Weber")}};
    if (!heading.isEmpty()) {
        QFont bold = font;
        bold.setPixelSize(24);
        bold.setBold(true);
        p.setFont(bold);
        write(196, 72, heading, 3);
        p.setFont(font);
    }
    for (int i = 0; i < 6; ++i) {
        const int top = formTop + 60 * i;
        p.setPen(QColor(190, 190, 190));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(360.5, top + 0.5, 320, 33), 4, 4);
        write(196, top + 22, rows[i].first, 3 + i);
        write(369, top + 22, rows[i].second, 3 + i);
    }
    // The pop-up: a soft shadow, then a white rounded box with a faint edge.
    for (int k = 4; k >= 1; --k) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 14));
        p.drawRoundedRect(popUp.translated(k * 0.75, k), 6, 6);
    }
    p.setPen(QColor(215, 215, 215));
    p.setBrush(Qt::white);
    p.drawRoundedRect(popUp, 6, 6);
    const std::pair<QString, QString> items[] = {{QStringLiteral("Address"), QStringLiteral("Ctrl+F")},
                                                 {QStringLiteral("Weekly summary"), QStringLiteral("Ctrl+O")},
                                                 {QStringLiteral("Project plan"), QStringLiteral("Ctrl+T")},
                                                 {QStringLiteral("Name"), QStringLiteral("Ctrl+W")},
                                                 {QStringLiteral("Calendar"), QStringLiteral("Ctrl+X")}};
    for (int i = 0; i < 5; ++i) {
        write(int(popUp.left()) + 13, 58 + 30 * i, items[i].first, 1);
        write(int(popUp.left()) + 148, 58 + 30 * i, items[i].second, 1, QColor(120, 120, 120));
    }
    p.setPen(QColor(190, 190, 190));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(870.5, 590.5, 90, 32), 4, 4);
    write(890, 612, QStringLiteral("Cancel"), 100);
    p.end();
    // What the pop-up hides is not read.
    std::erase_if(drawn, [&](const Part& d) { return d.part != 1 && popUp.adjusted(0, 0, 4, 5).intersects(d.box); });
    return page;
}

// The parts of the lines read in their order, as drawn on a page at `scale`.
std::vector<int> partsRead(const QImage& page, double scale, const std::vector<Part>& drawn)
{
    const platform::PageLayout layout = platform::analysePage(page);
    std::vector<int> parts;
    for (const platform::LayoutLine& line : layout.lines) {
        const QRectF box(line.rect.x() / scale, line.rect.y() / scale, line.rect.width() / scale,
                         line.rect.height() / scale);
        const auto at = std::find_if(drawn.begin(), drawn.end(),
                                     [&](const Part& d) { return box.contains(QRectF(d.box).center()); });
        if (at != drawn.end()) parts.push_back(at->part);
    }
    return parts;
}

}  // namespace

// The pop-up's rounded corners and shadow come close to the bar's text; the
// bar still reads first and whole, the list of sections in one turn, the
// pop-up in one turn, and each field right after its label, at 1x and 2x.
TEST(FormOrder, aSettingsWindowWithAPopUpOpen_ReadsBarListPopUpAndEachFieldAfterItsLabel)
{
    // Hanging from the bar's last word over the page, its edge sharp; and
    // from the first over the list, its edge soft (no frame is found).
    for (const QRectF& popUp : {QRectF(264.5, 32.5, 210, 162), QRectF(4, 32, 210, 162)})
        for (const double scale : {1.0, 2.0}) {
            SCOPED_TRACE(scale);
            SCOPED_TRACE(popUp.left());
            std::vector<Part> drawn;
            const QImage page = settingsWindow(scale, popUp, drawn);
            const std::vector<int> parts = partsRead(page, scale, drawn);
            QStringList order;
            for (const int part : parts) order << QString::number(part);
            SCOPED_TRACE(order.join(QLatin1Char(' ')).toStdString());
            ASSERT_GE(parts.size(), 25u);
            const auto barLines = std::count(parts.begin(), parts.end(), 0);
            ASSERT_GE(barLines, 1);
            EXPECT_TRUE(std::all_of(parts.begin(), parts.begin() + barLines, [](int part) { return part == 0; }));
            std::vector<int> turns;  // each part as its turn comes
            std::unique_copy(parts.begin(), parts.end(), std::back_inserter(turns));
            for (const int part : {1, 2, 3, 4, 5, 6, 7, 8})
                EXPECT_EQ(std::count(turns.begin(), turns.end(), part), 1) << "part " << part << " read in turns";
        }
}

// A pop-up hanging over the form's heading and first fields, whose edges
// run on out from under it: it reads whole, before or after the whole form, not
// between the rows it lies on and those below it.
TEST(FormOrder, aPopUpOverTheFirstFields_ReadsBeforeOrAfterTheWholeForm)
{
    for (const double scale : {1.0, 2.0}) {
        SCOPED_TRACE(scale);
        std::vector<Part> drawn;
        const QImage page =
            settingsWindow(scale, QRectF(264.5, 32.5, 210, 162), drawn, 98, QStringLiteral("Preferences"));
        const std::vector<int> parts = partsRead(page, scale, drawn);
        QStringList order;
        for (const int part : parts) order << QString::number(part);
        SCOPED_TRACE(order.join(QLatin1Char(' ')).toStdString());
        const auto form = [](int part) { return part >= 3 && part < 100; };
        const auto firstForm = std::find_if(parts.begin(), parts.end(), form);
        const auto lastForm = std::find_if(parts.rbegin(), parts.rend(), form).base();
        ASSERT_NE(firstForm, parts.end());
        EXPECT_EQ(std::count(parts.begin(), parts.end(), 1), 10);
        EXPECT_EQ(std::count(firstForm, lastForm, 1), 0) << "the pop-up reads amid the form";
    }
}

// Generated desktops of windows over windows: a form beside a list whose
// rule a pop-up's top hides, a sidebar that a window beside it parts into
// two frames stacked one on the other, and a table of files under a mail
// window whose shadow falls across its columns. Each of these reads in its
// own order, the first two in one turn.
TEST(FormOrder, onGeneratedDesktops_ListsAndFormsUnderWindowsReadInTheirOwnOrder)
{
    struct Case {
        quint32 seed;
        int window;
        int part;
        bool oneTurn;
    };
    for (const Case& c : {Case{105, 1, 3, true}, Case{7, 2, 1, true}, Case{134, 3, 3, false}}) {
        SCOPED_TRACE(c.seed);
        const test::Screen screen = test::generateScreen(c.seed);
        const platform::PageLayout layout = platform::analysePage(screen.image.convertToFormat(QImage::Format_RGB32));
        // Each line read, as the index of the drawn line it lies on, or -1
        // for one of another part.
        std::vector<int> read;
        for (const platform::LayoutLine& line : layout.lines) {
            const auto drawn =
                std::find_if(screen.lines.begin(), screen.lines.end(),
                             [&](const test::ReferenceLine& d) { return d.box.contains(line.rect.center()); });
            if (drawn == screen.lines.end()) continue;
            const bool ours = drawn->window == c.window && drawn->part == c.part;
            read.push_back(ours ? int(drawn - screen.lines.begin()) : -1);
        }
        std::vector<int> ours;
        std::copy_if(read.begin(), read.end(), std::back_inserter(ours), [](int i) { return i >= 0; });
        ASSERT_GE(ours.size(), 8u);
        EXPECT_TRUE(std::is_sorted(ours.begin(), ours.end())) << "read out of its order";
        if (c.oneTurn) {
            const auto first = std::find_if(read.begin(), read.end(), [](int i) { return i >= 0; });
            EXPECT_TRUE(std::all_of(first, first + qsizetype(ours.size()), [](int i) { return i >= 0; }))
                << "read in turns";
        }
    }
}
