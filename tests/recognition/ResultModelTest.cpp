// The result panel's state for a new capture: which paragraphs are worth
// translating, what the status card says, and how big and where it opens.
#include "TextPictures.h"
#include "app/AppFakes.h"
#include "recognition/ResultModel.h"
#include "recognition/ResultPanelController.h"

#include <gtest/gtest.h>

using klipo::ResultModel;
using klipo::ResultPanelController;

namespace {

klipo::TextBlock block(const QString& text) { return {{klipo::test::modelLine(text, 10, 10, 200, 20)}, text, {}}; }

QImage whiteImage(int width = 300, int height = 100)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

std::optional<klipo::platform::ScreenInfo> mainScreen(int width = 1440, int height = 900)
{
    return klipo::test::screen("main", 1, QRect(0, 0, width, height), 1);
}

}  // namespace

TEST(ResultModel, dropsBlocksWithoutTwoLettersInARow_AndSaysSoWithoutTranslating)
{
    ResultModel model;
    EXPECT_FALSE(model.start(whiteImage(), {block("1 2 3"), block("a. b."), block("中 文")}, 2, "zh-Hans", mainScreen()));
    EXPECT_FALSE(model.isTranslating());
    EXPECT_EQ(model.status(), ResultModel::noTextStatus);
}

TEST(ResultModel, translatesKoreanKanaCyrillicAndGreekText_IntoChinese)
{
    for (const char* text : {"안녕하세요 여러분", "ありがとう", "Привет, мир", "Καλημέρα κόσμε"}) {
        ResultModel model;
        const auto job = model.start(whiteImage(), {block(text)}, 1, "zh-Hans", mainScreen());
        ASSERT_TRUE(job.has_value()) << text;
        EXPECT_EQ(model.status(), ResultModel::translatingStatus);
    }
}

TEST(ResultModel, namesTheTargetLanguage_WhenTheTextIsAlreadyInIt)
{
    ResultModel model;
    EXPECT_FALSE(model.start(whiteImage(), {block("The quick brown fox jumps over the lazy dog and the cat")}, 1, "en",
                             mainScreen()));
    EXPECT_EQ(model.status(), QStringLiteral("画面中的文字已是英语"));
    EXPECT_FALSE(model.start(whiteImage(), {block("这是一段已经是中文的文字")}, 1, "zh-Hans", mainScreen()));
    EXPECT_EQ(model.status(), QStringLiteral("画面中的文字已是中文"));
}

TEST(ResultModel, fitsTheCaptureInto85PercentOfTheMainScreen_NeverAboveItsOwnSize)
{
    const QSizeF large = ResultModel::fittedDisplaySize(QSize(3400, 2000), 2, mainScreen(2000, 1000));
    EXPECT_EQ(ResultPanelController::contentSize(large).toSize(), QSize(1316, 848));
    const QSizeF small = ResultModel::fittedDisplaySize(QSize(400, 100), 2, mainScreen(2000, 1000));
    EXPECT_EQ(ResultPanelController::contentSize(small).toSize(), QSize(460, 138));

    ResultModel model;  // no main screen: scale 2 and room for 1224 by 675
    model.start(whiteImage(4000, 2000), {}, std::nullopt, "zh-Hans", std::nullopt);
    EXPECT_EQ(model.displayScale(), 2.0);
    EXPECT_EQ(model.displaySize().toSize(), QSize(1224, 612));
}

TEST(ResultPanelPlacement, opensBelowRightOfThePointer_PushedInsideTheVisibleArea)
{
    const QRect area(0, 0, 1920, 1050);
    EXPECT_EQ(ResultPanelController::originNearPointer({100, 100}, {500, 400}, area), QPoint(116, 116));
    EXPECT_EQ(ResultPanelController::originNearPointer({1900, 1040}, {500, 400}, area), QPoint(1420, 650));
    // Larger than the area: its right and top edges win.
    EXPECT_EQ(ResultPanelController::originNearPointer({100, 100}, {2000, 1200}, area), QPoint(-80, 0));
}
