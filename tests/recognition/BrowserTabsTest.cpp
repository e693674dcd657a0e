// A browser's tab bar on a double-size screen: each tab's coloured icon
// stands a little further from its title than the title's words from each
// other, as strong as the words. Those gaps are no monospaced text's spaces: the tabs
// read as lines of their own, their icons and crosses cut off.
#include "platform/text/PageLayout.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPainterPath>

using namespace klipo;

TEST(BrowserTabs, aTabsColouredIconBeforeAShortWord_IsNoMonospacedSpace_EachTabReadApart)
{
    // A whole screen, laid out at half its size as such screens are.
    QImage page(2560, 1440, QImage::Format_RGB32);
    page.fill(QColor(22, 22, 22));
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    QFont sans(QStringLiteral("DejaVu Sans"));
    sans.setPixelSize(26);
    p.setFont(sans);
    const QColor green(98, 236, 19), cross(135, 114, 141), title(213, 209, 214);
    const QStringList titles = {QStringLiteral("Pourquoi"), QStringLiteral("Le pont"), QStringLiteral("Le conseil")};
    std::vector<QRect> titleBoxes;
    for (int k = 0; k < titles.size(); ++k) {
        const int left = 20 + 300 * k;
        p.fillRect(QRect(left - 10, 30, 270, 60), QColor(25, 25, 25));
        p.setPen(Qt::NoPen);
        p.setBrush(green);
        if (k == 1) {  // reload: an open ring
            QPainterPath ring;
            ring.arcMoveTo(QRectF(left - 4, 47, 24, 24), 60);
            ring.arcTo(QRectF(left - 4, 47, 24, 24), 60, 300);
            p.strokePath(ring, QPen(green, 4));
        } else {  // a menu: three bars
            for (int bar = 0; bar < 3; ++bar) p.drawRect(QRectF(left + 2, 52 + 6 * bar, 20, 3));
        }
        // Its words a narrow space apart, narrower than the icon's gap.
        p.setPen(title);
        QRect box;
        int x = left + 38;
        for (const QString& word : titles[k].split(QLatin1Char(' '))) {
            const QRect inked = p.fontMetrics().tightBoundingRect(word).translated(x, 70);
            box = box.isNull() ? inked : box.united(inked);
            p.drawText(QPointF(x, 70), word);
            x = inked.right() + 10;
        }
        titleBoxes.push_back(box);
        p.setPen(QPen(cross, 3));
        p.drawLine(QPointF(left + 222, 52), QPointF(left + 238, 68));
        p.drawLine(QPointF(left + 238, 52), QPointF(left + 222, 68));
    }
    p.end();

    const platform::PageLayout layout = platform::analysePage(page);
    for (const QRect& box : titleBoxes) {
        int holding = 0;
        for (const platform::LayoutLine& line : layout.lines) {
            if (!line.rect.intersects(box)) continue;
            ++holding;
            EXPECT_FALSE(line.monospaced) << line.rect.x();
            // The cross after the title, and the next tab, are cut off.
            EXPECT_LT(line.rect.right(), box.right() + 30) << line.rect.x();
        }
        EXPECT_EQ(holding, 1) << box.x();
    }
}

// A line of code alone between blank lines, of short tokens a cell apart
// ("? 1 : 0;"): its spaces are all as wide and still tell monospaced text,
// so the line is kept whole.
TEST(BrowserTabs, aCodeLineOfShortTokens_StaysWhole)
{
    QImage page(2560, 1440, QImage::Format_RGB32);
    page.fill(QColor(247, 248, 245));
    QPainter p(&page);
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setPixelSize(26);
    p.setFont(mono);
    p.setPen(QColor(40, 40, 40));
    const QString code = QStringLiteral("return values.empty() ? 1 : 0;");
    p.drawText(QPointF(160, 300), QStringLiteral("int count(const std::vector<int>& values)"));
    p.drawText(QPointF(160, 400), code);
    const QRect box = p.fontMetrics().tightBoundingRect(code).translated(160, 400);
    p.end();

    int holding = 0;
    for (const platform::LayoutLine& line : platform::analysePage(page).lines)
        if (line.rect.intersects(box)) {
            ++holding;
            EXPECT_GE(line.rect.right(), box.right() - 4) << line.rect.x();
        }
    EXPECT_EQ(holding, 1);
}
