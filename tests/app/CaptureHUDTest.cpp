#include "AppFakes.h"
#include "app/CaptureHUDContentView.h"
#include "app/CaptureHUDController.h"
#include "platform/PlatformServices.h"

#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QTest>
#include <QWidget>

using namespace klipo;

namespace {

class CaptureHUDTest : public ::testing::Test {
protected:
    test::FakeScreenMetrics metrics;
    test::FakeFileViewer files;
    std::optional<platform::ScopedServices> scope;
    CaptureHUDController& hud = CaptureHUDController::shared();

    void SetUp() override
    {
        metrics.list = {test::screen("A", 1, {0, 0, 1920, 1080}, 1.0, {0, 0, 1920, 1040}),
                        test::screen("B", 2, {1920, 0, 1280, 1024}, 2.0, {1920, 24, 1280, 1000})};
        metrics.pointer = {100, 100};
        platform::PlatformServices fakes;
        fakes.screens = &metrics;
        fakes.files = &files;
        scope.emplace(fakes);
        hud.dismiss(false);
    }
    void TearDown() override
    {
        hud.dismiss(false);
        scope.reset();
    }

    void hover(bool inside)
    {
        QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(hud.contentView(), inside ? static_cast<QEvent*>(&enter) : &leave);
    }
};

TEST_F(CaptureHUDTest, toast_SitsInTheBottomRightCornerOfThePointersScreen)
{
    hud.show(QStringLiteral("截图已保存"), QString());
    EXPECT_EQ(hud.panel()->pos(), QPoint(1920 - 340, 1040 - 100));
    metrics.pointer = {2500, 300};
    hud.show(QStringLiteral("截图已保存"), QString());
    EXPECT_EQ(hud.panel()->pos(), QPoint(1920 + 1280 - 340, 24 + 1000 - 100));
    EXPECT_FALSE(hud.panel()->isActiveWindow());
}

// While a region is recorded the toast keeps out of it: another corner of
// its screen, another screen when none is clear, its own corner when nothing
// is; a toast already up moves at once.
TEST_F(CaptureHUDTest, keptOutOfARegion_TheToastTakesTheFirstClearCorner_AndItsOwnAgainAfter)
{
    hud.show(QStringLiteral("截图已保存"), QString());
    hud.setKeepOut(QRect(1000, 500, 920, 580));  // the bottom right of screen A
    EXPECT_EQ(hud.panel()->pos(), QPoint(1920 - 340, 20)) << "moved at once, to the top right";
    hud.show(QStringLiteral("麦克风不可用"), QString());
    EXPECT_EQ(hud.panel()->pos(), QPoint(1920 - 340, 20));

    hud.setKeepOut(QRect(0, 0, 1920, 1080));  // all of screen A
    hud.show(QStringLiteral("麦克风不可用"), QString());
    EXPECT_EQ(hud.panel()->pos(), QPoint(1920 + 1280 - 340, 24 + 1000 - 100));

    hud.setKeepOut(QRect(0, 0, 3200, 1080));  // everywhere: better seen than lost
    hud.show(QStringLiteral("麦克风不可用"), QString());
    EXPECT_EQ(hud.panel()->pos(), QPoint(1920 - 340, 1040 - 100));

    hud.setKeepOut(std::nullopt);
    hud.show(QStringLiteral("录屏已保存"), QString());
    EXPECT_EQ(hud.panel()->pos(), QPoint(1920 - 340, 1040 - 100));
}

TEST_F(CaptureHUDTest, secondShowRestartsTheTimer_HoverHoldsTheToast_AndLeavingEndsItAfterOneSecond)
{
    hud.show(QStringLiteral("一"), QStringLiteral("first"), {}, {}, 0.4);
    QTest::qWait(250);
    hud.show(QStringLiteral("二"), QStringLiteral("second"), {}, {}, 0.4);
    QTest::qWait(250);
    EXPECT_TRUE(hud.isShowingToast());
    EXPECT_EQ(hud.currentTitle(), QStringLiteral("二"));
    EXPECT_EQ(hud.contentView()->toolTip(), "second");

    hover(true);
    QTest::qWait(400);
    EXPECT_TRUE(hud.isShowingToast());
    hover(false);
    QTest::qWait(700);
    EXPECT_TRUE(hud.isShowingToast());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !hud.isShowingToast(); }, 1500));
}

TEST_F(CaptureHUDTest, newMessageRightAfterAFadeOut_IsNotHiddenByTheOldFade)
{
    hud.show(QStringLiteral("旧消息"), QString());
    QTest::qWait(200);
    hud.dismiss(true);
    QTest::qWait(100);
    hud.show(QStringLiteral("新消息"), QString());
    QTest::qWait(500);
    EXPECT_TRUE(hud.isShowingToast());
    EXPECT_EQ(hud.currentTitle(), QStringLiteral("新消息"));
    EXPECT_GT(hud.panel()->windowOpacity(), 0.99);
}

TEST_F(CaptureHUDTest, click_RevealsTheFile_AndDismissesAtOnce_AndAGrabHidesTheToast)
{
    hud.show(QStringLiteral("截图已保存"), QString(), {}, QStringLiteral("/tmp/shot.png"));
    QTest::mouseClick(hud.contentView(), Qt::LeftButton, {}, QPoint(50, 40));
    EXPECT_FALSE(hud.isShowingToast());
    EXPECT_EQ(files.revealed, QStringList{"/tmp/shot.png"});

    hud.show(QStringLiteral("截图已复制"), QString());
    QTest::mouseClick(hud.contentView(), Qt::LeftButton, {}, QPoint(50, 40));
    EXPECT_FALSE(hud.isShowingToast());
    EXPECT_EQ(files.revealed.size(), 1);

    EXPECT_FALSE(hud.hideForCapture());
    hud.show(QStringLiteral("截图已保存"), QString(), QImage(200, 100, QImage::Format_RGB32));
    EXPECT_TRUE(hud.hideForCapture());
    EXPECT_FALSE(hud.isShowingToast());
}

// A message's title was cut after one line ("历史记录已超过保留条数（300 条），
// 旧记录没…"): told in full, it wraps like the subtitle, on a card tall
// enough for both.
TEST_F(CaptureHUDTest, messageInFull_WrapsALongTitle_OnACardTallEnoughForTitleAndSubtitle)
{
    const QString title = QStringLiteral("历史记录已超过保留条数（300 条），旧记录没有删除，请到设置里确认");
    const QString subtitle = QStringLiteral("这个条数不是在本机选定的（来自备份，或设置文件损坏后恢复的默认值）");
    hud.showInFull(title, subtitle);
    const QStringList titles = hud.contentView()->titleLines(hud.panel()->width());
    const QStringList subtitles = hud.contentView()->subtitleLines(hud.panel()->width());
    const auto unspaced = [](QString text) { return text.remove(QLatin1Char(' ')); };
    EXPECT_GT(titles.size(), 1);
    EXPECT_EQ(unspaced(titles.join(QString())), unspaced(title));
    EXPECT_EQ(unspaced(subtitles.join(QString())), unspaced(subtitle));
    EXPECT_GE(hud.panel()->height(), int(hud.contentView()->heightFor(hud.panel()->width())));
    EXPECT_GT(hud.panel()->height(), CaptureHUDController::height + 18);

    // A toast that is no message keeps its one line.
    hud.show(title, subtitle);
    EXPECT_EQ(hud.contentView()->titleLines(hud.panel()->width()).size(), 1);
    EXPECT_EQ(hud.panel()->height(), CaptureHUDController::height);
}

// A toast whose text holds a path shortens the path, in its middle, never
// the words around it: a refused recording lost the middle of its reason
// ("文件夹 …法写入或不是当前用户私有的"). The card grows for words that need more lines.
TEST_F(CaptureHUDTest, aPathInTheText_IsShortenedInItsMiddle_NeverTheWordsAroundIt)
{
    const QString deep = "/home/someone/.cache/KlipoVersa/" + QString("a-rather-long-folder/").repeated(6);
    struct Case {
        QString before, path, after;
        bool oneLine;
    };
    for (const Case& c :
         {Case{"无法创建录屏文件：文件夹 ", deep + "recordings", " 无法写入或不是当前用户私有的", false},
          Case{"无法写入 ", deep + "shot.png", "：磁盘空间不足", true}}) {
        hud.show(QStringLiteral("录屏启动失败"), c.before + c.path + c.after);
        const QString shown = hud.contentView()->subtitleLines(hud.panel()->width()).join(QString()).remove(' ');
        const QString before = QString(c.before).remove(' '), after = QString(c.after).remove(' ');
        ASSERT_TRUE(shown.startsWith(before) && shown.endsWith(after)) << shown.toStdString();
        const QStringList path = shown.mid(before.size(), shown.size() - before.size() - after.size()).split("…");
        ASSERT_EQ(path.size(), 2) << shown.toStdString();
        EXPECT_TRUE(c.path.startsWith(path[0]) && c.path.endsWith(path[1]) && path[1].size() > 8)
            << shown.toStdString();
        EXPECT_EQ(hud.panel()->height() == CaptureHUDController::height, c.oneLine);
    }
}

}  // namespace
