#include "app/Appearance.h"
#include "app/HUDBarButton.h"
#include "recording/RecBlinkDot.h"
#include "recording/RecControlBarPanel.h"
#include "recording/RecOptionsBarPanel.h"
#include "scroll/BarPictures.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <cmath>
#include <limits>
#include <optional>

using namespace klipo;

namespace {

QStringList itemsOf(const QComboBox* popup)
{
    QStringList items;
    for (int i = 0; i < popup->count(); ++i) items << popup->itemText(i);
    return items;
}

TEST(RecOptionsBarTest, preselectsTheInitialChoice_AndReadsBackWhatIsShown)
{
    RecOptionsBarPanel plain({RecFormat::mp4, 24, false});
    EXPECT_EQ(itemsOf(plain.formatPopup()), QStringList({"MP4", "MOV"}));
    EXPECT_EQ(itemsOf(plain.fpsPopup()), QStringList({"15", "30", "60"}));
    EXPECT_EQ(itemsOf(plain.micPopup()), QStringList({"关", "开"}));
    EXPECT_EQ(plain.fpsPopup()->currentText(), "30");  // 24 is not offered
    EXPECT_EQ(plain.startButton()->text(), QStringLiteral("● 开始录制"));
    EXPECT_EQ(plain.cancelButton()->text(), QStringLiteral("取消"));

    RecOptionsBarPanel chosen({RecFormat::mov, 60, true});
    EXPECT_EQ(chosen.micPopup()->currentText(), QStringLiteral("开"));
    const RecOptions back = chosen.currentOptions();
    EXPECT_EQ(back.format, RecFormat::mov);
    EXPECT_EQ(back.fps, 60);
    EXPECT_TRUE(back.microphone);
}

TEST(RecOptionsBarTest, returnFromAnyChoiceAndTheButtons_StartOrCancelWithTheShownOptions)
{
    RecOptionsBarPanel panel({RecFormat::mp4, 30, false});
    std::optional<RecOptions> started;
    int cancels = 0;
    QTest::keyClick(&panel, Qt::Key_Return);  // unset: nothing
    panel.onStart = [&](RecOptions options) { started = options; };
    panel.onCancel = [&] { ++cancels; };

    panel.fpsPopup()->setCurrentIndex(0);
    panel.micPopup()->setCurrentIndex(1);
    QTest::keyClick(panel.fpsPopup(), Qt::Key_Return);
    ASSERT_TRUE(started.has_value());
    EXPECT_EQ(started->fps, 15);
    EXPECT_TRUE(started->microphone);
    started.reset();
    panel.formatPopup()->setCurrentIndex(1);
    QTest::mouseClick(panel.startButton(), Qt::LeftButton);
    ASSERT_TRUE(started.has_value());
    EXPECT_EQ(started->format, RecFormat::mov);
    QTest::mouseClick(panel.cancelButton(), Qt::LeftButton);
    EXPECT_EQ(cancels, 1);
}

TEST(RecControlBarTest, clockTruncatesAndNeverWraps_DotBlinksUntilStopped_StaysOutOfTheRecording)
{
    EXPECT_EQ(RecControlBarPanel::clockText(59.99), "00:59");
    EXPECT_EQ(RecControlBarPanel::clockText(60), "01:00");
    EXPECT_EQ(RecControlBarPanel::clockText(3600), "60:00");
    for (double nothing : {-3.0, std::nan(""), std::numeric_limits<double>::infinity()})
        EXPECT_EQ(RecControlBarPanel::clockText(nothing), "00:00");

    RecControlBarPanel panel;
    EXPECT_EQ(panel.timeLabel()->text(), "00:00");
    EXPECT_EQ(panel.stopButton()->text(), QStringLiteral("■ 停止"));
    panel.move(100, 500);
    panel.setElapsed(6001);
    EXPECT_EQ(panel.timeLabel()->text(), "100:01");
    EXPECT_EQ(panel.x(), 100);
    EXPECT_GE(panel.timeLabel()->width(), panel.timeLabel()->sizeHint().width());

    RecBlinkDot* dot = panel.dotView();
    EXPECT_TRUE(dot->isBlinking());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dot->opacity() < 0.8; }, 2000));
    dot->stopBlinking();
    EXPECT_FALSE(dot->isBlinking());
    EXPECT_EQ(dot->opacity(), 1.0);

    int stops = 0;
    panel.onStop = [&] { ++stops; };
    QTest::mouseClick(panel.stopButton(), Qt::LeftButton);
    EXPECT_EQ(stops, 1);

    // Never inside the recorded area; the options bar may be (it goes before recording).
    QScreen* screen = QGuiApplication::primaryScreen();
    EXPECT_EQ(panel.place(QRectF(screen->geometry()), screen).side, platform::PanelSide::noRoom);
    EXPECT_EQ(panel.x(), 100);
    EXPECT_EQ(RecOptionsBarPanel({}).place(QRectF(screen->geometry()), screen).side, platform::PanelSide::inside);
}

TEST(RecBarsPictureTest, bothBarsDrawnAt2x_InDarkAndLight_WithTheirColours)
{
    RecOptionsBarPanel options({RecFormat::mp4, 30, false});
    RecControlBarPanel control;
    control.timeLabel()->setText("00:42");
    control.dotView()->stopBlinking();
    for (const QPalette& palette : {darkAppearancePalette(), lightAppearancePalette()}) {
        const QImage o = test::renderAt2x(&options, options.contentView(), palette);
        ASSERT_EQ(o.size(), options.size() * 2);
        EXPECT_EQ(o.pixelColor(0, 0).alpha(), 0);
        EXPECT_GT(test::countPixels(o, options.formatPopup()->geometry(), test::isLight), 30);
        EXPECT_GT(test::countPixels(o, options.startButton()->geometry(),
                                    [](QColor c) { return c.red() > 200 && c.green() < 110; }),
                  20);

        const QImage c = test::renderAt2x(&control, control.contentView(), palette);
        ASSERT_EQ(c.size(), control.size() * 2);
        const QColor dot = c.pixelColor(control.dotView()->geometry().center() * 2 + QPoint(1, 1));
        EXPECT_GT(dot.red(), 200);
        EXPECT_LT(dot.green(), 100);
        EXPECT_GT(test::countPixels(c, control.timeLabel()->geometry(), test::isLight), 40);
    }
}

}  // namespace
