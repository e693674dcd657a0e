// Round shapes of a chat at double size: a bubble's rounded corners, a
// corner's arc larger than the text and standing a pixel off its sides,
// give no line; nor does the figure on an avatar's disc, whose shoulders are
// as wide and as filled as a word of small Chinese characters.
#include "platform/text/PageLayout.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPainterPath>

using namespace klipo;

namespace {

struct Chat {
    QRect bubble;
    QRect avatar;
};

Chat drawChat(QImage& page, QColor disc, QColor figure)
{
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    Chat chat{QRect(200, 60, 620, 214), QRect(40, 60, 70, 70)};
    p.fillRect(QRect(0, 0, 160, page.height()), QColor(228, 233, 230));  // the list of chats
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(226, 206, 28));
    p.drawRoundedRect(chat.bubble, 24, 24);
    QFont sans(QStringLiteral("DejaVu Sans"));
    sans.setPixelSize(26);
    p.setFont(sans);
    p.setPen(QColor(10, 10, 10));
    const QStringList lines = {QStringLiteral("The football club signed two young"),
                               QStringLiteral("players from the regional league."),
                               QStringLiteral("Please remember the calendar.")};
    for (int k = 0; k < lines.size(); ++k)
        p.drawText(QPointF(chat.bubble.left() + 24, chat.bubble.top() + 54 + 44 * k), lines[k]);
    // The avatar: a disc, and on it a head and shoulders in a darker shade.
    p.setPen(Qt::NoPen);
    p.setBrush(disc);
    p.drawEllipse(chat.avatar);
    p.setBrush(figure);
    p.drawEllipse(QRectF(63, 76, 22, 22));
    QPainterPath shoulders;
    shoulders.moveTo(52, 118);
    shoulders.arcTo(QRectF(52, 100, 43, 36), 180, -180);
    shoulders.closeSubpath();
    p.drawPath(shoulders);
    p.setFont(sans);
    p.setPen(QColor(235, 235, 235));
    p.drawText(QPointF(200, 330), QStringLiteral("Lena Schäfer 06:38"));
    return chat;
}

}  // namespace

TEST(RoundShapes, aLargeBubblesCornersAndAnAvatarsFigureGiveNoLine)
{
    const struct {
        QColor disc, figure;
    } avatars[] = {{QColor(82, 112, 200), QColor(50, 68, 128)}, {QColor(90, 190, 90), QColor(50, 120, 50)}};
    for (const auto& a : avatars) {
        SCOPED_TRACE(a.disc.name().toStdString());
        QImage page(900, 380, QImage::Format_RGB32);
        page.fill(QColor(32, 32, 32));
        const Chat chat = drawChat(page, a.disc, a.figure);
        const platform::PageLayout layout = platform::analysePage(page);
        int inBubble = 0;
        for (const platform::LayoutLine& line : layout.lines) {
            const QPoint centre = line.rect.center();
            SCOPED_TRACE(::testing::PrintToString(
                std::make_tuple(line.rect.x(), line.rect.y(), line.rect.width(), line.rect.height())));
            EXPECT_FALSE(chat.avatar.contains(centre)) << "a line on the avatar";
            if (!chat.bubble.contains(centre)) continue;
            ++inBubble;
            // Its lines stand inside the padding; none reaches up to a corner.
            EXPECT_GE(line.rect.top(), chat.bubble.top() + 12);
            EXPECT_LE(line.rect.bottom(), chat.bubble.bottom() - 12);
        }
        EXPECT_EQ(inBubble, 3);
    }
}

// An unread count on a badge half again as tall as the text, dark on a
// light disc on a dark ground: the disc is the count's ground, and the count
// reads as a line of its own, not as a block of stacked lines with the disc.
TEST(RoundShapes, aBadgesCountOnALargeDiscIsALineOfItsOwn)
{
    QImage page(700, 200, QImage::Format_RGB32);
    page.fill(QColor(32, 32, 32));
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    QFont sans(QStringLiteral("DejaVu Sans"));
    sans.setPixelSize(26);
    p.setFont(sans);
    p.setPen(QColor(150, 140, 150));
    p.drawText(QPointF(40, 60), QStringLiteral("Our team will review the"));
    p.drawText(QPointF(40, 140), QStringLiteral("Buses will run every ten"));
    const QRect badge(420, 36, 40, 40);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 210, 30));
    p.drawEllipse(badge);
    p.setPen(QColor(30, 30, 30));
    p.drawText(badge, Qt::AlignCenter, QStringLiteral("7"));
    p.end();
    const platform::PageLayout layout = platform::analysePage(page);
    int onBadge = 0;
    for (const platform::LayoutLine& line : layout.lines) {
        if (!badge.contains(line.rect.center())) continue;
        ++onBadge;
        EXPECT_FALSE(line.stacked);
        EXPECT_LT(line.rect.height() * 4, badge.height() * 3);
    }
    EXPECT_EQ(onBadge, 1);
}
