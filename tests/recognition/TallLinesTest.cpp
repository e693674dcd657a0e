// Lines of running text at double size made tall by what reaches above and
// below their letters (accents over capitals, "ñ", "¿", descenders): each is
// one line, cut only where its words are cut, however tall against the text;
// two lines that touch are still read as a block.
#include "platform/text/PageLayout.h"

#include <gtest/gtest.h>

#include <QPainter>

using namespace klipo;

namespace {

QImage drawnLines(const QStringList& lines, int pitch)
{
    QImage page(1200, 80 + pitch * int(lines.size()), QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont sans(QStringLiteral("DejaVu Sans"));
    sans.setPixelSize(30);
    p.setFont(sans);
    p.setPen(QColor(25, 25, 25));
    for (int k = 0; k < lines.size(); ++k) p.drawText(QPointF(40, 60 + pitch * k), lines[k]);
    return page;
}

}  // namespace

TEST(TallLines, aLineTallWithAccentsAndDescenders_IsOneLineWithItsShortWords_TouchingLinesStayABlock)
{
    const QStringList lines = {QStringLiteral("Puedes cambiar estos ajustes en cualquier momento desde tu"),
                               QStringLiteral("cuenta. ¿Quién quiere acompañarnos a la excursión del sábado"),
                               QStringLiteral("por la montaña? Los comercios esperan más visitantes cuando"),
                               QStringLiteral("¿Quién quiere acompañarnos a la excursión del sábado por la")};
    const platform::PageLayout apart = platform::analysePage(drawnLines(lines, 56));
    ASSERT_EQ(apart.lines.size(), size_t(lines.size()));
    for (const platform::LayoutLine& line : apart.lines) {
        EXPECT_FALSE(line.stacked) << line.rect.y();
        EXPECT_GT(line.rect.width(), 800) << line.rect.y();  // "a la" not cut off as icons
    }

    // The same lines set so close that each touches the next: a block.
    const platform::PageLayout touching = platform::analysePage(drawnLines(lines, 30));
    ASSERT_FALSE(touching.lines.empty());
    EXPECT_TRUE(std::all_of(touching.lines.begin(), touching.lines.end(),
                            [](const platform::LayoutLine& l) { return l.stacked; }));
}

// A headline whose tails touch the byline under it, drawn far smaller: the
// byline's letters count, so the two are no one line.
TEST(TallLines, aHeadlineTouchingItsSmallByline_IsNoOneLine)
{
    QImage page(1200, 240, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    QFont serif(QStringLiteral("DejaVu Serif"));
    serif.setPixelSize(64);
    serif.setBold(true);
    p.setFont(serif);
    p.setPen(QColor(40, 40, 40));
    p.drawText(QPointF(40, 100), QStringLiteral("plan de transport"));
    QFont sans(QStringLiteral("DejaVu Sans"));
    sans.setPixelSize(22);
    p.setFont(sans);
    p.setPen(QColor(100, 110, 100));
    p.drawText(QPointF(40, 130), QStringLiteral("Camille Dubois · 2023-09-08"));
    p.end();
    const platform::PageLayout layout = platform::analysePage(page);
    ASSERT_FALSE(layout.lines.empty());
    for (const platform::LayoutLine& line : layout.lines)
        EXPECT_TRUE(line.stacked || line.rect.height() < 70) << line.rect.y() << " " << line.rect.height();
}

// Two lines that touch, the second a paragraph's last word: the word is a
// letter of full height off the first line's row (at 13 pixels a whole word
// is one cluster of ink, larger each letter is one), so the two are read as
// a block, never as one line about twice as tall as the text.
TEST(TallLines, aLastWordTouchingTheLineAboveIt_IsNoPartOfThatLine)
{
    struct Case {
        int size;
        int below;  // pixels from the line's baseline to the word's
        const char* word;
    };
    for (const Case& c :
         {Case{13, 12, "ausverkauft."}, Case{32, 20, "bald."}, Case{32, 21, "halt."}, Case{36, 25, "halt."},
          Case{40, 28, "bald."}, Case{40, 29, "bald."}, Case{40, 29, "ausverkauft."}, Case{44, 31, "halt."}}) {
        SCOPED_TRACE(QStringLiteral("%1 px, %2").arg(c.size).arg(QLatin1String(c.word)).toStdString());
        const auto scaled = [&c](int at13) { return at13 * c.size / 13; };
        QImage page(scaled(700), scaled(120), QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter p(&page);
        QFont sans(QStringLiteral("DejaVu Sans"));
        sans.setPixelSize(c.size);
        p.setFont(sans);
        p.setPen(QColor(30, 30, 30));
        p.drawText(QPointF(40, scaled(50)), QStringLiteral("Die Karten für das Sommerfest waren nach wenigen Stunden"));
        p.drawText(QPointF(40, scaled(50) + c.below), QLatin1String(c.word));
        p.end();
        const platform::PageLayout layout = platform::analysePage(page);
        ASSERT_FALSE(layout.lines.empty());
        for (const platform::LayoutLine& line : layout.lines)
            EXPECT_TRUE(line.stacked || line.rect.height() < scaled(18)) << line.rect.y() << " " << line.rect.height();
    }
}
