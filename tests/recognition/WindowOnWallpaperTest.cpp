// A dark chat window lying on a gradient wallpaper: its panes of several
// greys, coloured avatars and bright green bubbles give its inside as many
// colours as a picture's, but what lies around it is the wallpaper, no
// page's ground: it is a window, and its lines are read.
#include "platform/text/PageLayout.h"

#include <gtest/gtest.h>

#include <QLinearGradient>
#include <QPainter>

using namespace klipo;

TEST(WindowOnWallpaper, aDarkChatWindowWithColouredBubblesOnAGradientReadsItsLines)
{
    QImage screen(1100, 520, QImage::Format_RGB32);
    QPainter p(&screen);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient wallpaper(QPointF(0, 0), QPointF(1100, 520));
    wallpaper.setColorAt(0, QColor(56, 120, 40));
    wallpaper.setColorAt(1, QColor(84, 96, 140));
    p.fillRect(screen.rect(), wallpaper);
    // The title bar, the list of chats, the open chat with its header and field.
    p.fillRect(QRect(260, 8, 620, 460), QColor(48, 48, 56));
    p.fillRect(QRect(261, 37, 280, 430), QColor(36, 44, 38));
    p.fillRect(QRect(541, 37, 338, 430), QColor(30, 36, 32));
    p.fillRect(QRect(541, 37, 338, 36), QColor(46, 58, 50));
    p.fillRect(QRect(541, 426, 338, 41), QColor(22, 24, 26));
    QFont sans(QStringLiteral("DejaVu Sans"));
    sans.setPixelSize(13);
    p.setFont(sans);
    for (int i = 0; i < 6; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromHsv(67 * i, 150, 200));
        p.drawEllipse(QRect(271, 51 + 52 * i, 34, 34));
        p.setPen(QColor(235, 235, 235));
        p.drawText(QPointF(317, 63 + 52 * i), QStringLiteral("Lena Schäfer"));
        p.setPen(QColor(150, 160, 150));
        p.drawText(QPointF(317, 83 + 52 * i), QStringLiteral("Die Preise für frisches Gemüse"));
    }
    // Bubbles of two lines: white on grey, and dark on green.
    std::vector<QRect> bubbles;
    for (int i = 0; i < 4; ++i) {
        const bool mine = i % 2;
        bubbles.emplace_back(mine ? 620 : 557, 89 + 82 * i, 240, 60);
        p.setPen(Qt::NoPen);
        p.setBrush(mine ? QColor(120, 220, 40) : QColor(58, 68, 62));
        p.drawRoundedRect(bubbles.back(), 8, 8);
        p.setPen(mine ? QColor(20, 30, 20) : QColor(240, 240, 240));
        p.drawText(bubbles.back().topLeft() + QPointF(10, 26), QStringLiteral("Wer möchte am Samstag mit"));
        p.drawText(bubbles.back().topLeft() + QPointF(10, 48), QStringLiteral("uns in die Berge wandern?"));
    }
    p.end();
    const platform::PageLayout layout = platform::analysePage(screen);

    for (size_t i = 0; i < bubbles.size(); ++i) {
        int lines = 0;
        for (const platform::LayoutLine& line : layout.lines) lines += bubbles[i].contains(line.rect.center());
        EXPECT_EQ(lines, 2) << "bubble " << i;
    }
    int listed = 0;  // each chat's name and the start of its last message
    for (const platform::LayoutLine& line : layout.lines)
        listed += QRect(261, 37, 280, 430).contains(line.rect.center());
    EXPECT_GE(listed, 12);
}
