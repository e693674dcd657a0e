// The scrolling capture's flow on a page in memory: starting and refusing,
// automatic scrolling against a slow stitcher, the endings, stale results, the
// quit and our own windows. The real stitch worker does the matching.
#include "StitchTestSupport.h"
#include "app/CaptureHUDController.h"
#include "platform/WheelScroller.h"
#include "scroll/DesktopScrollEnvironment.h"
#include "scroll/ScrollCaptureService.h"
#include "scroll/ScrollControlBarPanel.h"
#include "scroll/ScrollWheelPacer.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>

using namespace klipo;
using State = ScrollCaptureService::ScrollState;

namespace {

// A page that the fake wheel moves `perNotch` rows per notch and the fake
// screen shows `shownRows` of at a time, a pick answered by the test, and
// logs of what the user would see.
class FakeScrollEnvironment : public ScrollCaptureEnvironment {
public:
    test::PageSpec page{test::PageKind::text, 400, 3};
    int pageHeight = 1500, offset = 0, perNotch = 100, shownRows = 300;
    bool recording = false, overlay = false;
    std::optional<QString> conflict;
    int cropTop = 0;
    int canvasCap = 300000;        // rows the memory allows
    int ourWindowsShownLooks = 0;  // looks at the region that still show windows of ours that left it

    std::function<void(std::optional<ScrollTarget>)> pendingPick;
    int picks = 0, pickCloses = 0;
    QStringList toasts, notes, notices;  // toasts and notices: "title / text"
    QList<QImage> delivered, savedAtQuit;
    QList<int> inexact;  // seams not matched exactly, per delivery

    bool recordingBusy() override { return recording; }
    std::optional<QString> spoolProblem;  // why the frames could not be kept
    std::optional<QString> spoolUnavailable() override { return spoolProblem; }
    std::optional<QString> shortcutConflict() override { return conflict; }
    bool overlayActive() override { return overlay; }
    void beginPick(const QString&, std::function<void(std::optional<ScrollTarget>)> done) override
    {
        ++picks;
        pendingPick = std::move(done);
    }
    void closePick() override
    {
        ++pickCloses;
        if (auto done = std::exchange(pendingPick, nullptr)) done(std::nullopt);
    }
    std::optional<platform::NativeWindowId> activeWindow() override { return 7; }
    void activateWindow(platform::NativeWindowId) override {}
    int storedCropTop() override { return cropTop; }
    std::unique_ptr<ScrollFrameSource> openFrameSource(const QRect& rectPx, QString*) override
    {
        shownRows = rectPx.height();
        return std::make_unique<Screen>(*this);
    }
    std::unique_ptr<platform::WheelScroller> openScroller() override { return std::make_unique<Wheel>(*this); }
    int maxCanvasHeight(int) override { return canvasCap; }
    bool moveOwnWindowsOut(const QRectF&, const QList<QWidget*>&) override { return false; }
    bool ownWindowsStillShown() override { return ourWindowsShownLooks > 0 && ourWindowsShownLooks--; }
    void releaseOwnWindows() override {}
    void toast(const QString& title, const QString& subtitle) override { toasts << title + " / " + subtitle; }
    void deliver(const QImage& image, const QString& noteSuffix, int inexactSeams) override
    {
        delivered << image;
        notes << noteSuffix;
        inexact << inexactSeams;
    }
    ScrollDelivery::Saved saveNow(const QImage& image) override
    {
        savedAtQuit << image;
        return {QStringLiteral("/captures/长截图.png"), false, {}};
    }
    void notify(const QString& title, const QString& body) override { notices << title + " / " + body; }

    QImage pageRows(int from, int count) const { return test::pageFrame(page, from, count); }

    // A repaint after a move: the rows drawn at each of the next looks at the
    // screen (the rest white), then the page whole again.
    QList<int> repaintLooks;

private:
    struct Screen : ScrollFrameSource {
        explicit Screen(FakeScrollEnvironment& env) : env(env), rows(env.shownRows) {}
        std::optional<QString> grab(QImage& frame) override
        {
            frame = env.pageRows(env.offset, rows);
            if (!env.repaintLooks.isEmpty())
                QPainter(&frame).fillRect(0, env.repaintLooks.takeFirst(), frame.width(), rows, Qt::white);
            return std::nullopt;
        }
        FakeScrollEnvironment& env;
        int rows;
    };
    struct Wheel : platform::WheelScroller {
        explicit Wheel(FakeScrollEnvironment& env) : env(env) {}
        bool scroll(QPoint, int notches) override
        {
            env.offset = std::clamp(env.offset + notches * env.perNotch, 0, env.pageHeight - env.shownRows);
            return true;
        }
        FakeScrollEnvironment& env;
    };
};

const ScrollCaptureService::Timing kNoWaits{
    .captureMs = 0, .autoScrollMs = 0, .settleMs = 0, .lookAgainMs = 0, .lookupRetryMs = 0, .toastSpacingMs = 0};

// One service on a fake desktop, ticked by the test.
struct Capture {
    FakeScrollEnvironment* env = new FakeScrollEnvironment;
    std::unique_ptr<ScrollCaptureService> service =
        std::make_unique<ScrollCaptureService>(std::unique_ptr<ScrollCaptureEnvironment>(env), kNoWaits);

    // A region 400 points wide, 100 points above the screen's bottom-left corner.
    static ScrollTarget target(double height)
    {
        return {QGuiApplication::primaryScreen()->geometry(), 1.0, QRectF(100, 100, 400, height)};
    }
    // Starts and takes the first still.
    void start(double height = 300)
    {
        service->startCapture(target(height));
        QCoreApplication::processEvents();
    }
    void settle()
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return service->framesInWorker() == 0; }, 10000));
        QCoreApplication::processEvents();
    }
    bool waitIdle() { return QTest::qWaitFor([&] { return service->state == State::idle; }, 10000); }
};

}  // namespace

TEST(ScrollCapture, autoScroll_WaitsForAKeptFrameBeforeEachNotch_AndCapturesThePageToItsEnd)
{
    Capture c;  // a notch is a third of the region: three at once would skip content
    c.start();
    c.settle();
    c.service->startAutoScroll();
    ASSERT_TRUE(c.service->isAutoScrolling());
    // The automatic ticks outrun a stitcher that is not waited for.
    for (int i = 0; i < 3000 && c.service->isAutoScrolling(); ++i) {
        for (int k = 0; k < 3; ++k) c.service->autoScrollTick();
        c.service->captureTick();
        QTest::qWait(2);
    }
    EXPECT_FALSE(c.service->isAutoScrolling()) << "six unchanged stills at the end stop the scrolling";
    EXPECT_EQ(c.env->offset, c.env->pageHeight - 300);
    EXPECT_EQ(c.service->pacer()->pixelsPerNotch(), 100.0);
    c.settle();
    c.service->finishCapture();
    ASSERT_TRUE(c.waitIdle());
    ASSERT_EQ(c.env->delivered.size(), 1);
    EXPECT_TRUE(test::samePixels(c.env->delivered[0], c.env->pageRows(0, c.env->pageHeight)));
    EXPECT_EQ(c.env->notes, QStringList{QString()});

    // A notch that scrolls past what two stills can share stops the scrolling.
    Capture far;
    far.env->perNotch = 280;
    far.start();
    far.settle();
    far.service->startAutoScroll();
    for (int i = 0; i < 200 && far.service->isAutoScrolling(); ++i) {
        far.service->autoScrollTick();
        far.service->captureTick();
        far.settle();
    }
    EXPECT_FALSE(far.service->isAutoScrolling());
    EXPECT_LT(far.env->offset, far.env->pageHeight - 300);
    EXPECT_EQ(far.env->toasts,
              QStringList{"自动滚动已停止 / 每次滚动的距离超出了可拼接的范围，请框选更高的区域或手动滚动"});
}

// A band of identical rows taller than the region, and a blank stretch: no
// seam there can be matched, the notches posted place them, and automatic
// scrolling goes on to the page's end without a word.
TEST(ScrollCapture, autoScroll_GoesOnOverABandOfIdenticalRowsAndABlankStretch_ToThePagesEnd)
{
    for (const test::PageSpec& page : {test::PageSpec{test::PageKind::band, 400, 3, 500, 1500},
                                       test::PageSpec{test::PageKind::blankGap, 400, 3, 500, 1100}}) {
        SCOPED_TRACE(int(page.kind));
        Capture c;
        c.env->page = page;
        c.env->pageHeight = 2000;
        c.start();
        c.settle();
        c.service->startAutoScroll();
        for (int i = 0; i < 3000 && c.service->isAutoScrolling(); ++i) {
            c.service->autoScrollTick();
            c.service->captureTick();
            c.settle();
        }
        EXPECT_EQ(c.env->offset, c.env->pageHeight - 300) << "to the end of the page";
        EXPECT_EQ(c.env->toasts.join(QLatin1Char('\n')).toStdString(), "");
        c.service->finishCapture();
        ASSERT_TRUE(c.waitIdle());
        ASSERT_EQ(c.env->delivered.size(), 1);
        EXPECT_TRUE(test::samePixels(c.env->delivered[0], c.env->pageRows(0, c.env->pageHeight)));
    }
}

// A still is taken once two looks at the screen agree, so a half-drawn one
// never reaches the image; a page that never holds still is captured all the
// same, and said to be maybe wrong.
TEST(ScrollCapture, stillsOfAPageHalfRepainted_NeverReachTheImage)
{
    struct Case {
        const char* name;
        QList<int> looks;  // after each move, two stills apart
        bool exact;
    };
    for (const Case& k :
         {Case{"drawn over three looks", {0, 100, 200}, true}, Case{"blank twice: the repaint stalled", {0, 0}, true},
          Case{"not whole within one still", {0, 40, 80, 120, 160, 200}, true},
          Case{"never whole", {0, 30, 60, 90, 0, 30, 60, 90}, false}, Case{"stalled half drawn", {150, 150}, false}}) {
        Capture c;
        c.start();
        c.settle();
        for (int move = 0; move < 8; ++move) {
            c.env->offset += 60;
            c.env->repaintLooks = k.looks;
            for (int tick = 0; tick < 2; ++tick) {
                c.service->captureTick();
                c.settle();
            }
        }
        c.service->finishCapture();
        ASSERT_TRUE(c.waitIdle());
        ASSERT_EQ(c.env->delivered.size(), 1) << k.name;
        EXPECT_EQ(c.env->inexact[0] == 0, k.exact) << k.name;
        if (k.exact) {
            EXPECT_TRUE(test::samePixels(c.env->delivered[0], c.env->pageRows(0, 300 + 8 * 60))) << k.name;
        }
    }
}

TEST(ScrollCapture, aWideRegion_FinishesWhileTheLongImageStillFitsTheMemory)
{
    Capture c;
    c.env->canvasCap = 2000;  // rows of this width the memory allows
    c.start();
    for (int i = 0; i < 200 && c.service->state == State::capturing; ++i) {
        if (c.service->framesInWorker() <= 2) c.env->offset += 150;  // a still will be taken
        c.service->captureTick();  // the worker is not waited for
        QTest::qWait(1);
    }
    ASSERT_TRUE(c.waitIdle());
    ASSERT_EQ(c.env->notes, QStringList{"长图高度达到上限，已自动完成"});
    EXPECT_LE(c.env->delivered[0].height(), 2000);
    EXPECT_TRUE(test::samePixels(c.env->delivered[0], c.env->pageRows(0, c.env->delivered[0].height())));
}

TEST(ScrollCapture, start_RefusesRegionsUnder80Rows_AndCropsTheHeaderOnlyWhereItLeaves120Rows)
{
    {
        Capture c;
        c.service->startCapture(Capture::target(79));
        EXPECT_EQ(c.service->state, State::idle);
        EXPECT_EQ(c.service->controlBar(), nullptr);
        EXPECT_EQ(c.env->toasts, QStringList{"选区太小 / 至少要 80 像素高，当前 79 像素，请重新框选"});
    }
    struct Case {
        double height;
        int storedCrop, cropTop;
        bool told;
    };
    for (const Case& k : {Case{80, 0, 0, false}, Case{239, 120, 0, true}, Case{240, 120, 120, false},
                          Case{300, -5, 0, false}}) {
        Capture c;
        c.env->cropTop = k.storedCrop;
        c.start(k.height);
        ASSERT_EQ(c.service->state, State::capturing) << k.height;
        EXPECT_EQ(c.service->stitchConfig()->cropTop, k.cropTop) << k.height;
        EXPECT_EQ(c.env->toasts.size(), k.told ? 1 : 0) << k.height;
        c.settle();
        EXPECT_EQ(c.service->keptCount(), 1) << "no frame fails for its crop";
    }
}

TEST(ScrollCapture, flow_RefusesDuringARecording_LeavesAnOpenOverlayAlone_AndWarnsOfAConflictOnce)
{
    Capture c;
    c.env->recording = true;
    c.env->conflict = QStringLiteral("Ctrl+Shift+G 已被其他程序占用");
    c.service->toggle();
    c.env->recording = false;
    c.env->overlay = true;
    c.service->toggle();
    EXPECT_EQ(c.env->picks, 0);
    EXPECT_EQ(c.env->toasts, (QStringList{"正在录屏 / 请先停止录屏，再开始滚动长截图",
                                          "滚动长截图快捷键可能失效 / Ctrl+Shift+G 已被其他程序占用"}));

    // The toggle while picking closes the pick; Esc in the overlay ends it too.
    c.env->overlay = false;
    c.service->toggle();
    EXPECT_EQ(c.service->state, State::picking);
    c.service->toggle();
    EXPECT_EQ(c.env->pickCloses, 1);
    c.service->toggle();
    std::exchange(c.env->pendingPick, nullptr)(std::nullopt);
    EXPECT_EQ(c.service->state, State::idle);
    EXPECT_EQ(c.env->toasts.size(), 2) << "the conflict is told once per process";
}

// The frames would wait in a folder of the user's: refused before the pick, with the reason.
TEST(ScrollCapture, flow_RefusesBeforeThePick_WhenTheFramesHaveNowhereOfOursToWait)
{
    Capture c;
    c.env->spoolProblem = QStringLiteral("缓存文件夹 ~/.cache/KlipoVersa 是指向别处的链接");
    c.service->toggle();
    EXPECT_EQ(c.env->picks, 0);
    EXPECT_EQ(c.env->toasts, QStringList{"无法开始滚动长截图 / 缓存文件夹 ~/.cache/KlipoVersa 是指向别处的链接"});
}

TEST(ScrollCapture, finish_StitchesAFrameStillInTheWorker_AndSaysSoWhenThereIsNone)
{
    Capture c;
    c.start();  // one still handed over, not yet back
    ASSERT_EQ(c.service->keptCount(), 0);
    QTest::keyClick(c.service->controlBar(), Qt::Key_Return);  // any window of ours
    ASSERT_TRUE(c.waitIdle());
    ASSERT_EQ(c.env->delivered.size(), 1);
    EXPECT_TRUE(test::samePixels(c.env->delivered[0], c.env->pageRows(0, 300)));
    EXPECT_TRUE(c.env->toasts.isEmpty());

    c.service->startCapture(Capture::target(300));
    c.service->finishCapture();
    ASSERT_TRUE(c.waitIdle());
    EXPECT_EQ(c.env->toasts, QStringList{"未采集到画面 / 滚动长截图已取消"});
    EXPECT_EQ(c.env->delivered.size(), 1);
}

TEST(ScrollCapture, staleResults_ChangeNothing_AndAScreenChangeEndsTheCapture)
{
    Capture c;
    c.start();
    c.env->offset = 120;
    c.service->captureTick();  // two stills in the worker
    c.service->cancelCapture();
    c.env->offset = 0;
    c.start();
    c.settle();
    EXPECT_EQ(c.service->inputCount(), 1);

    c.service->screenParametersDidChange();
    ASSERT_TRUE(c.waitIdle());
    EXPECT_EQ(c.env->notes, QStringList{"屏幕参数变化，已用现有内容完成"});
    c.start();
    c.service->screenParametersDidChange();
    EXPECT_EQ(c.service->state, State::idle);
    EXPECT_EQ(c.env->toasts, QStringList{"滚动长截图已取消 / 屏幕参数发生变化，选区已失效"});
}

TEST(ScrollCapture, quit_SavesWhatWasCapturedWhileCapturingOrStitching)
{
    Capture c;
    c.start();  // the only still is still in the worker
    c.service->finishForQuit();
    EXPECT_EQ(c.service->state, State::idle);
    ASSERT_EQ(c.env->savedAtQuit.size(), 1);
    EXPECT_TRUE(test::samePixels(c.env->savedAtQuit[0], c.env->pageRows(0, 300)));
    EXPECT_EQ(c.env->notices, QStringList{"长截图已保存 / 退出前已保存到 /captures/长截图.png"});

    c.start();
    c.settle();
    c.service->finishCapture();  // stitching; its completion never comes through
    ASSERT_EQ(c.service->state, State::stitching);
    c.service->finishForQuit();
    EXPECT_EQ(c.env->savedAtQuit.size(), 2);
    QTest::qWait(50);
    EXPECT_TRUE(c.env->delivered.isEmpty()) << "delivered twice";

    c.service->startCapture(Capture::target(300));  // nothing taken yet
    c.service->finishForQuit();
    EXPECT_EQ(c.env->notices.size(), 2);
}

TEST(ScrollCapture, ownWindows_StayOutOfTheStills)
{
    // Windows of ours that left the region still show there until the
    // programs below repaint it: no still is taken before.
    Capture shown;
    shown.env->ourWindowsShownLooks = 3;
    shown.start();
    shown.service->captureTick();
    shown.service->captureTick();
    EXPECT_EQ(shown.service->counters().stills, 0);
    shown.service->captureTick();
    EXPECT_EQ(shown.service->counters().stills, 1);
    shown.service->cancelCapture();

    // No room around a region as tall as the screen: the bar goes inside and
    // its rows are cut off every frame.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    Capture c;
    c.service->startCapture({screen, 1.0, QRectF(100, 0, 400, screen.height())});
    ASSERT_NE(c.service->controlBar(), nullptr);
    const int cropBottom = c.service->stitchConfig()->cropBottom;
    EXPECT_GT(cropBottom, 0);
    EXPECT_GE(c.service->controlBar()->geometry().top(), screen.bottom() + 1 - cropBottom);
    c.service->cancelCapture();

    // The toast, which shows where the pointer is, goes to another corner.
    CaptureHUDController::shared().show("标题", "说明");
    QWidget* toast = CaptureHUDController::shared().panel();
    ASSERT_TRUE(toast && toast->isVisible());
    DesktopScrollEnvironment desktop;
    const QRectF region(screen.width() / 2, screen.height() / 2, screen.width() / 2, screen.height() / 2);
    ASSERT_TRUE(toast->frameGeometry().intersects(region.toRect()));
    EXPECT_TRUE(desktop.moveOwnWindowsOut(region, {}));
    EXPECT_FALSE(toast->frameGeometry().intersects(region.toRect()));
    EXPECT_TRUE(toast->isVisible());
    EXPECT_FALSE(desktop.moveOwnWindowsOut(region, {}));
    CaptureHUDController::shared().dismiss(false);
}

// A region lower than a wheel notch moves the page: the first stills that
// share nothing say so at once, and once; a taller region scrolled the same
// way says nothing.
TEST(ScrollCapture, aRegionLowerThanANotch_IsToldAtTheFirstStepItCannotJoin)
{
    for (const int height : {150, 300}) {
        Capture c;
        c.env->perNotch = 120;
        c.start(height);
        c.settle();
        for (int notch = 0; notch < 3; ++notch) {
            c.env->offset += 120;
            c.service->captureTick();
            c.settle();
        }
        const QStringList expected{"选区太矮 / 滚轮滚一格就可能超出可拼接的范围（102 像素），请框选更高的区域"};
        EXPECT_EQ(c.env->toasts, height == 150 ? expected : QStringList{}) << height;
        c.service->cancelCapture();
    }
}
