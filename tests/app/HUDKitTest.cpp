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

TEST(HUDHintPanelTest, threeRowsOneWithoutKey_Are90High_AndTextsLineUp)
{
    const QList<Row> rows{{QStringLiteral("Esc"), QStringLiteral("取消")},
                          {std::nullopt, QStringLiteral("拖动即框选")},
                          {QStringLiteral("⌘C"), QStringLiteral("复制")}};
    const QSizeF size = HUDHintPanel::size(rows);
    EXPECT_EQ(size.height(), 90);
    const double badge = HUDHintPanel::badgeColumnWidth(rows);
    EXPECT_GT(badge, 12);

    const QRectF card(QPointF(30, 40), size);
    const auto placed = HUDHintPanel::layout(rows, card);
    ASSERT_EQ(placed.size(), 3);
    EXPECT_DOUBLE_EQ(placed[0].textBox.left(), 30 + 12 + badge + 8);
    EXPECT_DOUBLE_EQ(placed[1].textBox.left(), 30 + 12);
    EXPECT_DOUBLE_EQ(placed[2].textBox.left(), 30 + 12 + badge + 8);
    EXPECT_FALSE(placed[1].badge);
    EXPECT_EQ(placed[0].row.top(), 40 + 10);
    EXPECT_EQ(placed[2].row.top(), 40 + 10 + 50);
    EXPECT_LE(placed[2].row.bottom(), card.bottom());
    for (const auto& l : placed) EXPECT_LE(l.textBox.right(), card.right() - 12 + 0.01);
}

TEST(HUDHintPanelTest, withoutKeys_BadgeColumnIsZero_AndNoRowsDrawNothing)
{
    const QList<Row> rows{{std::nullopt, QStringLiteral("a")}, {std::nullopt, QStringLiteral("b")}};
    EXPECT_EQ(HUDHintPanel::badgeColumnWidth(rows), 0);
    EXPECT_EQ(HUDHintPanel::layout(rows, QRectF(0, 0, 100, 65))[0].textBox.left(), 12);
    EXPECT_EQ(HUDHintPanel::size(rows).height(), 65);
    EXPECT_EQ(HUDHintPanel::size({}), QSizeF(0, 0));

    QImage canvas(50, 50, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    HUDHintPanel::draw({}, painter, QRectF(0, 0, 50, 50));
    painter.end();
    EXPECT_EQ(canvas.pixelColor(25, 25).alpha(), 0);
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

TEST_F(HUDButtonTest, hoverAndPress_LightUpAndDarken_AndClickStillFires)
{
    EXPECT_EQ(button->targetFill().alpha(), 0);
    hover(true);
    const QColor hovered = button->targetFill();
    EXPECT_GT(hovered.alpha(), 0);
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(button->isPressed());
    EXPECT_EQ(button->currentFill(), button->targetFill());  // pressing repaints at once
    EXPECT_NE(button->targetFill(), hovered);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(button->isPressed());
    EXPECT_EQ(clicks.count(), 1);
    hover(false);
    EXPECT_EQ(button->targetFill().alpha(), 0);
}

TEST_F(HUDButtonTest, disabledButton_ShowsNoFill_AndIgnoresClicks)
{
    button->setEnabled(false);
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    hover(true);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button->targetFill().alpha(), 0);
    EXPECT_FALSE(button->isPressed());
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(HUDButtonTest, baseBackground_StaysWhileHovered_AndDarkensOnlyWhilePressed)
{
    const QColor accent(10, 132, 255);
    button->setBaseBackground(accent);
    hover(true);
    EXPECT_EQ(button->targetFill(), accent);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    const QColor pressed = button->targetFill();
    EXPECT_NEAR(pressed.blueF(), accent.blueF() * 0.78, 0.01);
    EXPECT_NEAR(pressed.redF(), accent.redF() * 0.78, 0.01);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button->targetFill(), accent);
}

TEST_F(HUDButtonTest, appearanceChange_RecoloursTheFillInPlace)
{
    hover(true);
    QTest::qWait(200);
    const QColor dark = button->currentFill();
    EXPECT_GT(dark.lightnessF(), 0.5);  // a light veil on dark
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
