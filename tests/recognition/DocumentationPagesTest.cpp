// A documentation page, laid out: large bold headings over body text are
// whole lines, none of their letters left out as a frame or rule (while a
// toolbar's separator and a grip still are); a short list of the page's
// contents beside the article reads after it, or before it on its left,
// never in the middle of it.
#include "platform/text/PageLayout.h"

#include <gtest/gtest.h>

#include <QPainter>

using namespace klipo;

namespace {

// Draws `text` with its baseline at `at`; returns the box of its ink.
QRect write(QPainter& p, const QString& text, QPoint at, int pixels, bool bold = false,
            const QString& family = QStringLiteral("DejaVu Sans"))
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    p.setFont(font);
    p.drawText(at, text);
    return p.fontMetrics().tightBoundingRect(text).translated(at);
}

}  // namespace

TEST(DocumentationPages, largeBoldHeadingsOverBodyText_AreWholeLines_NoLetterTakenForARule)
{
    const QStringList headings = {"Config files", "Retry failed uploads with exponential backoff", "Getting started",
                                  "Billing in 11 steps", "I still like it"};
    for (const QString& family : {QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif")})
        for (const int s : {1, 2})
            for (const int size : {31, 40})
                for (const bool dark : {true, false}) {
                    QImage page(1100 * s, 920 * s, QImage::Format_RGB32);
                    page.fill(dark ? QColor(13, 17, 23) : Qt::white);
                    QPainter p(&page);
                    const QColor ink = dark ? QColor(230, 237, 243) : QColor(31, 35, 40);
                    p.setPen(ink);
                    std::vector<QRect> boxes;
                    for (int i = 0; i < headings.size(); ++i) {
                        const int top = 20 + 180 * i;
                        boxes.push_back(write(p, headings[i], QPoint(40, top + size) * s, size * s, true, family));
                        for (int k = 0; k < 5; ++k)
                            write(p, "The tool reads its settings from a file in your home folder.",
                                  QPoint(40, top + size + 30 + 20 * k) * s, 14 * s);
                    }
                    write(p, "Open", QPoint(800, 40) * s, 14 * s);
                    p.fillRect(QRect(850 * s, 22 * s, s, 26 * s), ink);  // a separator taller than its labels
                    write(p, "Save", QPoint(860, 40) * s, 14 * s);
                    for (int bar = 0; bar < 3; ++bar)
                        p.fillRect(QRect((930 + 5 * bar) * s, 20 * s, 2 * s, 28 * s), ink);
                    p.end();

                    const platform::PageLayout layout = platform::analysePage(page);
                    const QString where =
                        QStringLiteral(", %1 %2 px at %3x%4").arg(family).arg(size).arg(s).arg(dark ? " dark" : "");
                    for (int i = 0; i < headings.size(); ++i) {
                        const QRect& box = boxes[size_t(i)];
                        int lines = 0, rules = 0;
                        for (const platform::LayoutLine& l : layout.lines)
                            if (l.rect.intersects(box))
                                lines += l.rect.left() <= box.left() + 2 && l.rect.right() >= box.right() - 2 ? 1 : 2;
                        for (int y = box.top(); y <= box.bottom(); ++y)
                            for (int x = box.left(); x <= box.right(); ++x) rules += layout.isStructure(x, y);
                        EXPECT_EQ(lines, 1) << qPrintable(headings[i] + where);
                        EXPECT_EQ(rules, 0) << qPrintable(headings[i] + where);
                    }
                    EXPECT_TRUE(layout.isStructure(850 * s, 34 * s)) << qPrintable(where);
                    EXPECT_TRUE(layout.isStructure(935 * s, 34 * s)) << qPrintable(where);
                }
}

TEST(DocumentationPages, aContentsListBesideTheArticle_ReadsAfterIt_OrBeforeItOnItsLeft)
{
    struct Case {
        bool onLeft;
        int items;  // 3: beside the heading only; 7: on past the first paragraph
    };
    for (const Case c : {Case{false, 3}, Case{false, 7}, Case{true, 3}}) {
        QImage page(1100, 760, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter p(&page);
        p.setPen(QColor(31, 35, 40));
        write(p, "Relay   Docs   Blog   v3.2", {16, 34}, 15);  // a bar across the page's top
        const int left = c.onLeft ? 300 : 40;
        QRect article = write(p, "Getting started", {left, 130}, 34, true);
        const QString words =
            "Relay moves messages between services without losing any of them and keeps its queues "
            "in files under the data folder";
        for (int k = 0, y = 180; k < 4; ++k, y += 30) {
            if (k > 0) article |= write(p, "Send a message", {left, y += 36}, 22, true);
            for (int line = 0; line < 2; ++line)
                article |= write(p, words.section(' ', line * 3, line * 3 + 14), {left, y += 26}, 16);
        }
        const int listLeft = c.onLeft ? 40 : article.right() + 30;
        QRect list = write(p, "On this page", {listLeft, 104}, 13, true);
        for (int i = 0; i < c.items; ++i)
            list |= write(p, QStringLiteral("Section %1 of the guide").arg(i + 1), {listLeft + 12, 128 + 23 * i}, 13);
        p.end();

        const platform::PageLayout layout = platform::analysePage(page);
        std::vector<int> inArticle, inList;  // where their lines stand in reading order
        for (int i = 0; i < int(layout.lines.size()); ++i) {
            if (layout.lines[size_t(i)].rect.intersects(article)) inArticle.push_back(i);
            if (layout.lines[size_t(i)].rect.intersects(list)) inList.push_back(i);
        }
        ASSERT_FALSE(inArticle.empty() || inList.empty());
        if (c.onLeft)
            EXPECT_LT(inList.back(), inArticle.front()) << c.items << " items";
        else
            EXPECT_LT(inArticle.back(), inList.front()) << c.items << " items";
    }
}
