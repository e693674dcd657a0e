// A shop page's grid of cards (a picture, a name, a price beside the greyed
// one it replaces, a button), laid out: each card reads whole, in one turn;
// the greyed price is a line of its own; a card's rounded corners give no
// line.
#include "platform/text/PageLayout.h"

#include <gtest/gtest.h>

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <iterator>

using namespace klipo;

namespace {

struct Card {
    QRect frame;
    QRect price;  // where the price and the greyed price are drawn
    QRect greyed;
};

// Draws `rows` rows of four cards on a light page; one line of name each, so
// that the cards' lines stand level with each other like a table's rows, and
// the buttons' edges line up along one row of each row of cards.
std::vector<Card> drawShop(QImage& page, int rows)
{
    const QStringList names = {QStringLiteral("Lampe de bureau"), QStringLiteral("Chaise pliante"),
                               QStringLiteral("Tapis en laine"), QStringLiteral("Bouilloire")};
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    const auto write = [&p](int pixels, bool bold, QColor ink) {
        QFont sans(QStringLiteral("DejaVu Sans"));
        sans.setPixelSize(pixels);
        sans.setBold(bold);
        p.setFont(sans);
        p.setPen(ink);
    };
    std::vector<Card> cards;
    for (int i = 0; i < 4 * rows; ++i) {
        const QRect frame(24 + 258 * (i % 4), 20 + 330 * (i / 4), 236, 310);
        p.setPen(QColor(200, 200, 200));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(frame).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
        // The picture: a sky and a hill.
        const QRect picture(frame.left() + 8, frame.top() + 8, frame.width() - 16, 150);
        QLinearGradient sky(picture.topLeft(), picture.bottomLeft());
        sky.setColorAt(0, QColor::fromHsv((40 * i) % 360, 90, 240));
        sky.setColorAt(1, QColor::fromHsv((40 * i + 120) % 360, 160, 150));
        p.fillRect(picture, sky);
        p.setClipRect(picture);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromHsv((40 * i + 200) % 360, 150, 170));
        p.drawEllipse(QPoint(picture.left() + 60 + 9 * i, picture.bottom() - 10), 90, 60);
        p.setClipping(false);
        write(14, false, QColor(30, 30, 30));
        p.drawText(QPointF(frame.left() + 10, frame.top() + 184), names[i % names.size()]);
        // The price, bold and coloured, and the greyed one beside it.
        write(17, true, QColor(200, 110, 20));
        const QString price = QStringLiteral("%1,%2 €").arg(20 + 37 * i).arg(10 + 7 * i % 90);
        const QPoint at(frame.left() + 10, frame.top() + 222);
        p.drawText(at, price);
        const QRect priceBox(at.x(), at.y() - 14, p.fontMetrics().horizontalAdvance(price), 16);
        write(12, false, QColor(150, 150, 150));
        const QString old = QStringLiteral("%1,99 €").arg(60 + 41 * i);
        const QPoint oldAt(priceBox.right() + 11, at.y());
        p.drawText(oldAt, old);
        cards.push_back(
            {frame, priceBox, QRect(oldAt.x(), oldAt.y() - 10, p.fontMetrics().horizontalAdvance(old), 11)});
        // The button, filled, its word in white.
        const QRect button(frame.left() + 10, frame.top() + 252, frame.width() - 20, 32);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 100, 190));
        p.drawRoundedRect(button, 4, 4);
        write(14, true, Qt::white);
        p.drawText(button, Qt::AlignCenter, i % 2 ? QStringLiteral("Ajouter") : QStringLiteral("Acheter"));
    }
    return cards;
}

}  // namespace

TEST(CardGrid, eachCardReadsWholeInOneTurn_ItsGreyedPriceApart_AndItsCornersGiveNoLine)
{
    for (const int rows : {1, 2}) {
        SCOPED_TRACE(rows);
        QImage page(1080, 20 + 330 * rows, QImage::Format_RGB32);
        page.fill(QColor(252, 252, 252));
        const std::vector<Card> cards = drawShop(page, rows);
        const platform::PageLayout layout = platform::analysePage(page);

        std::vector<int> turns;  // each card as its turn comes
        std::vector<int> lines(cards.size(), 0);
        int atEdges = 0;
        for (const platform::LayoutLine& line : layout.lines) {
            const auto card = std::find_if(cards.begin(), cards.end(),
                                           [&](const Card& c) { return c.frame.contains(line.rect.center()); });
            ASSERT_NE(card, cards.end()) << "a line outside the cards";
            const int index = int(card - cards.begin());
            ++lines[size_t(index)];
            if (turns.empty() || turns.back() != index) turns.push_back(index);
            // None at a corner of the frame, outside what the card holds.
            atEdges += !card->frame.adjusted(6, 6, -6, -6).contains(line.rect.center());
        }
        EXPECT_EQ(atEdges, 0);
        SCOPED_TRACE(::testing::PrintToString(turns));
        EXPECT_EQ(turns.size(), cards.size());
        for (size_t i = 0; i < cards.size(); ++i) {
            // The name, the price, the greyed price and the button.
            EXPECT_GE(lines[i], 4) << "card " << i;
            const bool greyedApart =
                std::any_of(layout.lines.begin(), layout.lines.end(), [&](const platform::LayoutLine& line) {
                    return line.rect.contains(cards[i].greyed.center()) && !line.rect.intersects(cards[i].price);
                });
            EXPECT_TRUE(greyedApart) << "card " << i;
        }
    }
}

// The shop's window at double size with a window on top lying over the tops
// of three of its cards: the top one's bottom edge and shadow run across
// their pictures and the ground between them, so that with the cards' and
// pictures' own sides and bottoms they seem to close frames around two or
// three cards at once. Each card still reads whole in one turn.
TEST(CardGrid, aWindowOverTheCardsTops_EachCardStillReadsWholeInOneTurn)
{
    constexpr int scale = 2;
    QImage drawn(1100, 370, QImage::Format_RGB32);
    drawn.fill(QColor(70, 60, 100));
    const QRect shop(8, 8, 1060, 346);
    const QRect window(0, 0, 790, 100);
    {
        QPainter p(&drawn);
        p.setPen(QColor(120, 120, 130));
        p.setBrush(QColor(252, 252, 252));
        p.drawRect(QRectF(shop).adjusted(0.5, 0.5, -0.5, -0.5));
    }
    const std::vector<Card> cards = drawShop(drawn, 1);
    {
        QPainter p(&drawn);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 60));
        p.drawRect(window.translated(4, 6));
        p.setPen(QColor(120, 120, 130));
        p.setBrush(QColor(246, 246, 248));
        p.drawRect(QRectF(window).adjusted(0.5, 0.5, -0.5, -0.5));
        QFont sans(QStringLiteral("DejaVu Sans"));
        sans.setPixelSize(14);
        p.setFont(sans);
        p.setPen(QColor(30, 30, 30));
        p.drawText(QPointF(window.left() + 24, 36), QStringLiteral("Les commandes partent sous deux jours"));
        p.drawText(QPointF(window.left() + 24, 70), QStringLiteral("Retour gratuit pendant un mois"));
    }
    const QImage page = drawn.scaled(drawn.size() * scale, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const platform::PageLayout layout = platform::analysePage(page);
    std::vector<int> turns;  // each card as its turn comes
    for (const platform::LayoutLine& line : layout.lines) {
        const QPoint centre = line.rect.center() / scale;
        if (window.adjusted(0, 0, 6, 8).contains(centre)) continue;
        const auto card =
            std::find_if(cards.begin(), cards.end(), [&](const Card& c) { return c.frame.contains(centre); });
        ASSERT_NE(card, cards.end()) << "a line outside the cards at " << centre.x() << "," << centre.y();
        const int index = int(card - cards.begin());
        if (turns.empty() || turns.back() != index) turns.push_back(index);
    }
    EXPECT_EQ(turns, (std::vector<int>{0, 1, 2, 3}));
}
