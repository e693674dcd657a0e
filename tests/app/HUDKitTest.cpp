#include "app/Appearance.h"
#include "app/HUDButton.h"
#include "app/HUDStyle.h"

#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QLabel>
#include <QTest>

using namespace klipo;

namespace {

TEST(HUDButtonTest, hoverFill_FollowsAnAppearanceChangeInPlace)
{
    QWidget window;
    window.setPalette(darkAppearancePalette());
    auto* button = new HUDButton(QStringLiteral("复制"), &window);
    button->setGeometry(10, 10, 80, 28);
    window.resize(120, 60);
    window.show();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(button, &enter);
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
    EXPECT_LT(container.children().indexOf(background), container.children().indexOf(label));
    container.resize(300, 50);
    EXPECT_EQ(background->geometry(), QRect(0, 0, 300, 50));
}

}  // namespace
