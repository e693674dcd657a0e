// The order in which the rows of a list read: a mail program's list (a name
// with its time beside it, the subject and a preview under the name) and a
// forum's (a count between its arrows beside a bold title and a line under it).
#include "platform/text/PageLayout.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

using namespace klipo;

namespace {

// What a page draws, each text with its place in the order it reads.
struct Drawn {
    QRect box;
    QString text;
};

class Page {
public:
    Page(int width, int height, QColor ground) : image(width, height, QImage::Format_RGB32)
    {
        image.fill(ground);
        painter.begin(&image);
        painter.setRenderHint(QPainter::Antialiasing);
    }

    void write(const QString& text, int x, int baseline, int pixels, bool bold, QColor ink,
               Qt::Alignment align = Qt::AlignLeft)
    {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(pixels);
        font.setBold(bold);
        painter.setFont(font);
        painter.setPen(ink);
        const QFontMetrics metrics(font);
        const int width = metrics.horizontalAdvance(text);
        const int left = align & Qt::AlignRight ? x - width : align & Qt::AlignHCenter ? x - width / 2 : x;
        painter.drawText(QPointF(left, baseline), text);
        drawn.push_back({QRect(left, baseline - metrics.ascent(), width, metrics.height()), text});
    }

    // The drawn texts in the order the page's lines read them: each line
    // takes the texts whose middle it holds, left to right.
    std::vector<int> readingOrder()
    {
        painter.end();
        std::vector<int> order;
        for (const platform::LayoutLine& line : platform::analysePage(image).lines) {
            std::vector<int> inLine;
            for (size_t i = 0; i < drawn.size(); ++i)
                if (line.rect.adjusted(-2, -2, 2, 2).contains(drawn[i].box.center()) &&
                    std::find(order.begin(), order.end(), int(i)) == order.end())
                    inLine.push_back(int(i));
            std::sort(inLine.begin(), inLine.end(),
                      [&](int a, int b) { return drawn[size_t(a)].box.left() < drawn[size_t(b)].box.left(); });
            order.insert(order.end(), inLine.begin(), inLine.end());
        }
        return order;
    }

    // The lines of the page that cross a drawn text's rows.
    std::vector<QRect> linesAcross(const Drawn& text) const
    {
        std::vector<QRect> out;
        for (const platform::LayoutLine& line : platform::analysePage(image).lines)
            if (line.rect.intersects(text.box) && line.rect.center().y() >= text.box.top() &&
                line.rect.center().y() <= text.box.bottom())
                out.push_back(line.rect);
        return out;
    }

    QImage image;
    QPainter painter;
    std::vector<Drawn> drawn;
};

std::vector<int> upTo(int n)
{
    std::vector<int> all(size_t(n), 0);
    for (int i = 0; i < n; ++i) all[size_t(i)] = i;
    return all;
}

}  // namespace

// A mail program's list, light and dark: each row a name in bold with its
// time far to the right of it in small grey letters, a subject and a grey
// preview under the name, a rule under the row, one row highlighted. The
// previews end short of the time, so an empty column runs down the row
// beside all three lines. Each row reads name, time, subject, preview: the
// time with its name, not after the preview.
TEST(ListRowsOrder, aMailListsRowsReadWhole_EachTimeRightAfterItsName)
{
    const QStringList names = {QStringLiteral("Sophie Turner"), QStringLiteral("Emma Wilson"),
                               QStringLiteral("David Brown"), QStringLiteral("James Carter"),
                               QStringLiteral("Lucy Evans")};
    const QStringList previews = {
        QStringLiteral("The software update fixes several"), QStringLiteral("Buses will run every ten"),
        QStringLiteral("The football club signed"), QStringLiteral("A new bridge will connect"),
        QStringLiteral("You can change these at any")};
    for (const bool dark : {false, true}) {
        const QColor ground = dark ? QColor(36, 36, 40) : QColor(255, 255, 255);
        const QColor ink = dark ? QColor(235, 235, 235) : QColor(30, 30, 30);
        const QColor faint = dark ? QColor(150, 150, 155) : QColor(120, 120, 125);
        const QColor rule = dark ? QColor(75, 75, 82) : QColor(205, 205, 210);
        Page page(640, 420, ground);
        for (int i = 0; i < int(names.size()); ++i) {
            const int y = 12 + 66 * i;
            if (i == 1)
                page.painter.fillRect(QRect(8, y - 4, 360, 62), dark ? QColor(50, 50, 56) : QColor(236, 238, 242));
            page.write(names[i], 16, y + 14, 14, true, ink);
            page.write(QStringLiteral("%1:%2").arg(3 + 4 * i, 2, 10, QLatin1Char('0')).arg(49 - 7 * i), 352, y + 12, 11,
                       false, faint, Qt::AlignRight);
            page.write(QStringLiteral("Order number: %1").arg(1200 + i), 16, y + 33, 14, false, ink);
            page.write(previews[i], 16, y + 51, 12, false, faint);
            page.painter.fillRect(QRect(8, y + 60, 360, 1), rule);
        }
        // The message beside the list, apart.
        page.painter.fillRect(QRect(372, 0, 1, 420), rule);
        page.write(QStringLiteral("City approves new transport plan"), 392, 40, 18, true, ink);
        page.write(QStringLiteral("Prices of fresh vegetables fell"), 392, 80, 14, false, ink);
        const int count = int(page.drawn.size());
        EXPECT_EQ(page.readingOrder(), upTo(count)) << (dark ? "dark" : "light");
    }
}

// A forum's list: up and down arrows with the count between them beside a
// bold title and a grey line under it, the title's small letters as thick as
// a small icon. Every title reads as one line, no letter of it taken for an
// icon, and each row reads count, title, the line under it.
TEST(ListRowsOrder, aForumsRowsReadCountTitleAndLine_EachBoldTitleWhole)
{
    const QStringList titles = {QStringLiteral("Der Stadtrat hat am Dienstag einen neuen Plan beschlossen"),
                                QStringLiteral("Unser Team nahm an dem Wettbewerb teil"),
                                QStringLiteral("Wer mag am Samstag mit uns wandern gehen?")};
    // Titles in a few sizes against the text around them.
    for (const auto& [titleSize, metaSize] : {std::pair{14, 13}, std::pair{15, 12}, std::pair{17, 12}}) {
        SCOPED_TRACE(QStringLiteral("title %1 px, line %2 px").arg(titleSize).arg(metaSize).toStdString());
        Page page(760, 260, QColor(255, 255, 255));
        for (int i = 0; i < int(titles.size()); ++i) {
            const int y = 14 + 80 * i;
            QPainterPath up;
            up.addPolygon(QPolygonF({QPointF(24, y + 10), QPointF(32, y), QPointF(40, y + 10)}));
            page.painter.fillPath(up, QColor(140, 140, 140));
            page.write(QString::number(1118 + 911 * i), 32, y + 28, 13, true, QColor(30, 30, 30), Qt::AlignHCenter);
            QPainterPath down;
            down.addPolygon(QPolygonF({QPointF(24, y + 36), QPointF(32, y + 46), QPointF(40, y + 36)}));
            page.painter.fillPath(down, QColor(140, 140, 140));
            page.write(titles[i], 66, y + 18, titleSize, true, QColor(30, 30, 30));
            page.write(QStringLiteral("Lena Schmidt \u00b7 %1 h \u00b7 %2 Antworten").arg(3 + i).arg(40 + 9 * i), 66,
                       y + 42, metaSize, false, QColor(120, 120, 120));
            page.painter.fillRect(QRect(16, y + 58, 724, 1), QColor(210, 210, 210));
        }
        const std::vector<Drawn> drawn = page.drawn;
        const std::vector<int> order = page.readingOrder();
        for (int i = 0; i < int(titles.size()); ++i) {
            const Drawn& title = drawn[size_t(3 * i + 1)];
            const std::vector<QRect> lines = page.linesAcross(title);
            ASSERT_FALSE(lines.empty()) << qPrintable(title.text);
            // The title's line, whole: from its first letter to its last.
            EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QRect& line) {
                return line.left() <= title.box.left() + 2 && line.right() >= title.box.right() - 6;
            })) << qPrintable(title.text);
        }
        EXPECT_EQ(order, upTo(int(drawn.size())));
    }
}

// A list of files at twice the size: each row a document's icon taller than
// its letters, the file's name, its size and its date, the rows a little
// more than a letter's height apart, the sizes close after the longest name
// and a little more than a letter's height from the dates. The rows are as
// tall as the icons, yet the cells stand apart as far as their letters are
// high: each reads as a line of its own, never "542 2022-01" in one.
TEST(ListRowsOrder, aFileListsCellsReadApart_ThoughItsIconsMakeTheRowsTallerThanTheirLetters)
{
    const QStringList names = {QStringLiteral("report.jpg"),  QStringLiteral("todo.html"),
                               QStringLiteral("draft_v2.xl"), QStringLiteral("notes.pdf"),
                               QStringLiteral("backup.tar"),  QStringLiteral("photo_013")};
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(26);
    const QFontMetrics metrics(font);
    int widest = 0;
    for (const QString& name : names) widest = std::max(widest, metrics.horizontalAdvance(name));
    const int sizeRight = 72 + widest + 18 + metrics.horizontalAdvance(QStringLiteral("999"));
    Page page(sizeRight + 220, 40 + 66 * int(names.size()), QColor(255, 255, 255));
    const QColor ink(40, 40, 40);
    const QColor grey(120, 120, 120);
    for (int i = 0; i < int(names.size()); ++i) {
        const int y = 20 + 66 * i;
        // A grey document with white rules on it, as tall as the row.
        page.painter.setPen(Qt::NoPen);
        page.painter.setBrush(QColor(110, 110, 110));
        page.painter.drawRoundedRect(QRectF(34, y, 26, 34), 3, 3);
        page.painter.setPen(QPen(QColor(255, 255, 255), 3));
        for (int k = 1; k <= 4; ++k) page.painter.drawLine(QPointF(40, y + 7 * k), QPointF(54, y + 7 * k));
        page.write(names[i], 72, y + 28, 26, false, ink);
        page.write(QString::number(542 + 37 * i), sizeRight, y + 28, 26, false, grey, Qt::AlignRight);
        page.write(QStringLiteral("2022-0%1").arg(i + 1), sizeRight + 28, y + 28, 26, false, grey);
    }
    const std::vector<Drawn> drawn = page.drawn;
    for (size_t i = 1; i < drawn.size(); i += 3) {
        const Drawn& size = drawn[i];
        const Drawn& date = drawn[i + 1];
        for (const QRect& line : page.linesAcross(size))
            EXPECT_FALSE(line.contains(size.box.center()) && line.right() >= date.box.left() + 4)
                << qPrintable(size.text) << " read with " << qPrintable(date.text);
    }
    EXPECT_EQ(page.readingOrder(), upTo(int(drawn.size())));
}

// A list of files whose rows are nearly as tall as their icons: each
// document's icon (a frame drawn with a thick pen, three rules across it)
// stands only a sliver of a space before the file's name and a quarter
// taller than the name's letters. At either scale, light or dark, the icon is
// no part of the name's line: no line holding a name reaches over its icon
// (read as "B" or "E]" before the name).
TEST(ListRowsOrder, aFilesIconCloseBeforeItsName_IsNoPartOfTheNamesLine)
{
    const QStringList names = {QStringLiteral("budget_2024.py"), QStringLiteral("config.jpg"),
                               QStringLiteral("setup.md"), QStringLiteral("report.cpp")};
    for (const int scale : {1, 2})
        for (const bool dark : {false, true}) {
            const QColor ground = dark ? QColor(30, 31, 29) : QColor(250, 250, 250);
            const QColor ink = dark ? QColor(225, 225, 220) : QColor(35, 35, 35);
            const QColor iconInk = dark ? QColor(150, 150, 130) : QColor(110, 110, 110);
            const int row = 35;
            Page page(420 * scale, (20 + row * int(names.size())) * scale, ground);
            page.painter.scale(scale, scale);
            std::vector<QRect> icons;
            for (int i = 0; i < int(names.size()); ++i) {
                const qreal top = 10 + row * i;
                // The icon's square; its ink ends three pixels before the name.
                const qreal w = 31;
                const QRectF square(43 - 3 - 0.795 * w, top + 2, w, w);
                const QRectF in = square.adjusted(w * 0.15, w * 0.15, -w * 0.15, -w * 0.15);
                page.painter.setPen(QPen(iconInk, w / 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                page.painter.setBrush(Qt::NoBrush);
                page.painter.drawRect(in.adjusted(in.width() * 0.15, 0, -in.width() * 0.15, 0));
                for (int k = 1; k <= 3; ++k)
                    page.painter.drawLine(QPointF(in.left() + in.width() * 0.3, in.top() + in.height() * k / 4.5),
                                          QPointF(in.right() - in.width() * 0.3, in.top() + in.height() * k / 4.5));
                const QRectF inked = in.adjusted(in.width() * 0.15 - w / 20, -w / 20, -in.width() * 0.15 + w / 20,
                                                 w / 20);
                icons.push_back(QRectF(inked.topLeft() * scale, inked.size() * scale).toAlignedRect());
                page.write(names[i], 43, int(top) + 24, 16, false, ink);
                page.write(QStringLiteral("%1 KB").arg(62 + 300 * i), 260, int(top) + 24, 16, false, iconInk);
            }
            // The texts' boxes where they are drawn, at the picture's scale.
            std::vector<Drawn> drawn = page.drawn;
            for (Drawn& d : drawn) d.box = QRect(d.box.topLeft() * scale, d.box.size() * scale);
            for (size_t i = 0; i < drawn.size(); i += 2)
                for (const QRect& line : page.linesAcross(drawn[i]))
                    EXPECT_FALSE(line.contains(drawn[i].box.center()) && line.left() <= icons[i / 2].right())
                        << qPrintable(drawn[i].text) << " read with its icon, scale " << scale
                        << (dark ? " dark" : " light");
        }
}

// A mail program's window at twice the size: its list (a bold name with the
// time beside it, a subject and a grey preview under it) beside the message,
// parted only by a rule too faint to tell, the message's paragraphs level
// with the list's rows, its last line cut off by the window's bottom edge
// (the letters' ends touch it). The edge under the list and the message
// closes the column between them, it does not run through it: the list reads
// to its end before the message.
TEST(ListRowsOrder, aMailListReadsBeforeTheMessageBesideIt_ThoughTheMessagesLastLineRunsIntoTheWindowsEdge)
{
    const QStringList names = {QStringLiteral("James Carter"), QStringLiteral("Emma Wilson"),
                               QStringLiteral("Lucy Evans"), QStringLiteral("Sophie Turner")};
    const QStringList lines = {
        QStringLiteral("Local shops expect more visitors"), QStringLiteral("once the old market reopens."),
        QStringLiteral("The football club signed two"),     QStringLiteral("young players from the league."),
        QStringLiteral("Local shops expect more visitors"), QStringLiteral("once the old market reopens."),
        QStringLiteral("The library has extended its"),     QStringLiteral("opening hours this summer, and"),
        QStringLiteral("the museum will show paintings"),   QStringLiteral("that hung in a quiet gallery.")};
    const int scale = 2;
    const QColor ground(19, 22, 23);
    const QColor ink(230, 230, 230);
    const QColor faint(140, 145, 150);
    Page page(700 * scale, 400 * scale, QColor(70, 40, 110));
    page.painter.scale(scale, scale);
    const QRect window(20, 20, 640, 345);
    page.painter.fillRect(window, QColor(50, 45, 38));
    const QRect inside = window.adjusted(1, 30, -1, -1);
    page.painter.fillRect(inside, ground);
    page.write(QStringLiteral("Inbox - Mail"), window.center().x(), window.top() + 20, 13, false, ink,
               Qt::AlignHCenter);
    // The list's rows.
    for (int i = 0; i < int(names.size()); ++i) {
        const int y = inside.top() + 12 + 67 * i;
        page.write(names[i], 32, y + 14, 14, true, ink);
        page.write(QStringLiteral("%1:%2").arg(10 + 2 * i).arg(15 + 11 * i), 262, y + 12, 11, false, faint,
                   Qt::AlignRight);
        page.write(QStringLiteral("Updates: %1").arg(QStringLiteral("Drafts Notes Pictures Inbox").split(' ')[i]), 32,
                   y + 34, 14, false, ink);
        page.write(QStringLiteral("Prices of fresh vegetables fell slightly"), 32, y + 53, 12, false, faint);
    }
    // The rule beside the list, hardly lighter than the ground.
    page.painter.fillRect(QRect(274, inside.top(), 1, inside.height()), QColor(35, 42, 44));
    // The message: its headline, the sender, paragraphs.
    page.write(QStringLiteral("Bridge opens next spring"), 290, inside.top() + 28, 20, true, ink);
    page.write(QStringLiteral("Tom Baker <mail19@example.com>"), 290, inside.top() + 52, 11, false, faint);
    // Two short paragraphs, then a long one beside the list's last rows and
    // on below them.
    const auto baseline = [&](int i) { return inside.top() + 78 + 22 * i + 10 * std::min(i / 2, 2); };
    for (int i = 0; i < int(lines.size()); ++i) page.write(lines[i], 290, baseline(i), 14, false, ink);
    // The next line, cut off by the window's bottom edge: only its letters' tops show.
    const int next = baseline(int(lines.size()));
    page.painter.setClipRect(inside);
    page.painter.setFont([] {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(14);
        return font;
    }());
    page.painter.setPen(ink);
    page.painter.drawText(QPointF(290, next), QStringLiteral("the old market square reopens. Local"));
    page.painter.setClipping(false);
    std::vector<Drawn> drawn = page.drawn;
    for (Drawn& d : drawn) d.box = QRect(d.box.topLeft() * scale, d.box.size() * scale);
    page.drawn = drawn;
    // The title, the list row by row, the message.
    EXPECT_EQ(page.readingOrder(), upTo(int(drawn.size())));
}

// A chat program's list at twice the size, dark: avatars, each row a bold
// name with its time far right and a grey preview under it. A bold capital B
// is as filled as a count's pill, and its counters look like the count on
// it: standing right against the next letter, it is a letter all the same,
// and its name reads as one line.
TEST(ListRowsOrder, aChatListsBoldNames_TheirCapitalBTouchingTheNextLetter_ReadWhole)
{
    const QStringList names = {QStringLiteral("Paul B\u00e4cker"), QStringLiteral("Tom Baker"),
                               QStringLiteral("Lena Becker")};
    const int scale = 2;
    const QColor ink(235, 235, 235);
    const QColor faint(150, 155, 150);
    Page page(340 * scale, (20 + 60 * int(names.size())) * scale, QColor(50, 60, 52));
    page.painter.scale(scale, scale);
    for (int i = 0; i < int(names.size()); ++i) {
        const int y = 10 + 60 * i;
        page.painter.setPen(Qt::NoPen);
        page.painter.setBrush(QColor::fromHsv(60 + 70 * i, 120, 190));
        page.painter.drawEllipse(QRectF(12, y + 4, 36, 36));
        page.write(names[i], 64, y + 18, 15, true, ink);
        page.write(QStringLiteral("%1:%2").arg(18 + i).arg(15 + 12 * i), 322, y + 16, 11, false, faint, Qt::AlignRight);
        page.write(QStringLiteral("Unser Team pr\u00fcft den Bericht"), 64, y + 40, 12, false, faint);
    }
    for (Drawn& d : page.drawn) d.box = QRect(d.box.topLeft() * scale, d.box.size() * scale);
    for (size_t i = 0; i < page.drawn.size(); i += 3) {
        const Drawn name = page.drawn[i];
        const std::vector<QRect> across = page.linesAcross(name);
        EXPECT_TRUE(std::any_of(across.begin(), across.end(),
                                [&](const QRect& line) {
                                    return line.left() <= name.box.left() + 4 && line.right() >= name.box.right() - 8;
                                }))
            << qPrintable(name.text) << " not read whole";
    }
}

// A files window: a list of places on a ground of its own, a rule at its
// edge, beside a list of files (a name, a size and a date in each row) whose
// rows stand as far apart as the places and level with them, light and dark.
// However level, the places are no column of the files' table: they read
// first, each alone, then the files row by row.
TEST(ListRowsOrder, placesOnAGroundOfTheirOwn_ReadBeforeTheFilesBesideThem_ThoughTheirRowsStandLevel)
{
    const QStringList places = {QStringLiteral("Documents"), QStringLiteral("Downloads"), QStringLiteral("Music"),
                                QStringLiteral("Pictures"),  QStringLiteral("Projects"),  QStringLiteral("Backups"),
                                QStringLiteral("Shared")};
    const QStringList files = {QStringLiteral("report.cpp"), QStringLiteral("setup.md"),  QStringLiteral("notes.txt"),
                               QStringLiteral("budget.py"),  QStringLiteral("photo.png"), QStringLiteral("todo.org"),
                               QStringLiteral("data.csv")};
    for (const bool dark : {false, true}) {
        const QColor ground = dark ? QColor(31, 31, 29) : QColor(255, 255, 255);
        const QColor side = dark ? QColor(48, 48, 45) : QColor(238, 240, 243);
        const QColor ink = dark ? QColor(230, 230, 225) : QColor(30, 30, 30);
        const QColor faint = dark ? QColor(150, 150, 140) : QColor(115, 115, 120);
        Page page(720, 300, ground);
        page.painter.fillRect(QRect(0, 0, 200, 300), side);
        page.painter.fillRect(QRect(200, 0, 1, 300), dark ? QColor(70, 70, 66) : QColor(210, 212, 216));
        const int pitch = 35;
        for (int i = 0; i < int(places.size()); ++i) page.write(places[i], 40, 40 + pitch * i, 15, false, ink);
        for (int i = 0; i < int(files.size()); ++i) {
            const int base = 41 + pitch * i;
            page.write(files[i], 240, base, 15, false, ink);
            page.write(QStringLiteral("%1 KB").arg(62 + 91 * i), 470, base, 15, false, faint);
            page.write(QStringLiteral("2024-0%1-1%2").arg(1 + i).arg(i), 570, base, 15, false, faint);
        }
        EXPECT_EQ(page.readingOrder(), upTo(int(page.drawn.size()))) << (dark ? "dark" : "light");
    }
    // Fields, white inside their frames, beside their labels on the grey of
    // the window: the ground differs only where a field is, not between
    // them. Each label reads with its field.
    Page form(720, 300, QColor(238, 240, 243));
    for (int i = 0; i < 5; ++i) {
        const int top = 20 + 52 * i;
        form.write(places[size_t(i)], 30, top + 24, 15, false, QColor(30, 30, 30));
        form.painter.fillRect(QRect(200, top, 400, 34), QColor(255, 255, 255));
        form.painter.setPen(QColor(200, 202, 206));
        form.painter.drawRect(QRect(200, top, 400, 34));
        form.write(files[size_t(i)], 212, top + 24, 15, false, QColor(30, 30, 30));
    }
    EXPECT_EQ(form.readingOrder(), upTo(int(form.drawn.size()))) << "form";
}
