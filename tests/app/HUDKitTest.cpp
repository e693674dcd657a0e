#include "app/Appearance.h"
#include "app/HUDButton.h"
#include "app/HUDHintPanel.h"
#include "app/HUDStyle.h"

#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using namespace klipo;
using Row = HUDHintPanel::Row;

namespace {

TEST(HUDHintPanelTest, textsLineUpAfterTheKeyColumn_RowsWithoutKeyStartAtTheEdge_AndNoRowsDrawNothing)
{
    const QList<Row> rows{{QStringLiteral("Esc"), QStringLiteral("取消")},
                          {std::nullopt, QStringLiteral("拖动即框选")},
                          {QStringLiteral("⌘C"), QStringLiteral("复制")}};
    const QRectF card(QPointF(30, 40), HUDHintPanel::size(rows));
    const double badge = HUDHintPanel::badgeColumnWidth(rows);
    const auto placed = HUDHintPanel::layout(rows, card);
    ASSERT_EQ(placed.size(), 3);
    EXPECT_DOUBLE_EQ(placed[0].textBox.left(), placed[2].textBox.left());
    EXPECT_DOUBLE_EQ(placed[0].textBox.left(), placed[1].textBox.left() + badge + 8);
    EXPECT_FALSE(placed[1].badge);
    for (const auto& l : placed) EXPECT_TRUE(card.contains(l.row) && l.textBox.right() <= card.right() - 12 + 0.01);
    EXPECT_EQ(HUDHintPanel::badgeColumnWidth({{std::nullopt, QStringLiteral("a")}}), 0);

    QImage canvas(50, 50, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    HUDHintPanel::draw({}, painter, QRectF(0, 0, 50, 50));
    painter.end();
    EXPECT_EQ(canvas.pixelColor(25, 25).alpha(), 0);
    EXPECT_EQ(HUDHintPanel::size({}), QSizeF(0, 0));
}

class HUDButtonTest : public ::testing::Test {
protected:
    QWidget window;
    HUDButton* button = new HUDButton(QStringLiteral("复制"), &window);

    void SetUp() override
    {
        window.setPalette(darkAppearancePalette());
        button->setGeometry(10, 10, 80, 28);
        window.resize(120, 60);
        window.show();
    }
    void hover(bool inside)
    {
        if (inside) {
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
            QCoreApplication::sendEvent(button, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(button, &leave);
        }
    }
};

TEST_F(HUDButtonTest, hoverLightsUp_PressDarkensAtOnce_AndOnlyAnEnabledButtonClicks)
{
    EXPECT_EQ(button->targetFill().alpha(), 0);
    hover(true);
    const QColor hovered = button->targetFill();
    EXPECT_GT(hovered.alpha(), 0);
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button->currentFill(), button->targetFill());  // pressing repaints at once
    EXPECT_NE(button->targetFill(), hovered);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
    hover(false);
    EXPECT_EQ(button->targetFill().alpha(), 0);

    // A base colour stays under the hover and darkens only while pressed.
    const QColor accent(10, 132, 255);
    button->setBaseBackground(accent);
    hover(true);
    EXPECT_EQ(button->targetFill(), accent);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_NEAR(button->targetFill().blueF(), accent.blueF() * 0.78, 0.01);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));

    button->setEnabled(false);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(button->isPressed());
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(HUDButtonTest, appearanceChange_RecoloursTheFillInPlace)
{
    hover(true);
    QTest::qWait(200);
    EXPECT_GT(button->currentFill().lightnessF(), 0.5);  // a light veil on dark
    window.setPalette(lightAppearancePalette());
    EXPECT_LT(button->currentFill().lightnessF(), 0.5);
}

TEST(HUDStyleTest, installedBackground_StaysBehindAndCoversTheContainer)
{
    QWidget container;
    auto* label = new QLabel(QStringLiteral("00:12"), &container);
    container.resize(200, 40);
    auto* background = HUDStyle::installBackground(&container, HUDBlending::withinWindow);
    container.show();
    EXPECT_EQ(container.children().indexOf(background), 0);
    EXPECT_LT(container.children().indexOf(background), container.children().indexOf(label));
    container.resize(300, 50);
    EXPECT_EQ(background->geometry(), QRect(0, 0, 300, 50));
}

}  // namespace
