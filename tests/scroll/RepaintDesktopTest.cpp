// Scrolling capture over a real program that repaints as it scrolls, its
// wheel turned on its own time: a still can catch it half drawn. Skips
// without the desktop.
#include "NumberedPage.h"
#include "platform/SettingsStore.h"
#include "scroll/DesktopScrollEnvironment.h"
#include "scroll/ScrollCaptureService.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>

using namespace klipo;

namespace {

ScrollTarget targetAt(const QRect& global)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return {screen, 1.0, QRectF(global.x(), screen.height() - global.bottom() - 1, global.width(), global.height())};
}

}  // namespace

TEST(RepaintingPage, tenCapturesOfTwentyNotchesByHand_EachSavesExactlyThePageRows)
{
    if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
    const QString folder = test::freshDir(QStringLiteral("captures"));
    platform::SettingsStore::shared().setValue(QStringLiteral("plainCaptureDirectory"), folder);
    constexpr int notches = 20;
    test::NumberedPage page(QRect(300, 20, 640, 800), 400);
    ASSERT_TRUE(page.shown()) << "needs python3-tk";
    const QRect region = page.area().adjusted(2, 30, -60, -100);
    ASSERT_TRUE(page.toTop());
    const QImage reference = test::pageReference(region, notches);
    ASSERT_FALSE(reference.isNull()) << "the page did not move 50 rows a notch";

    ScrollCaptureService service(std::make_unique<DesktopScrollEnvironment>(), ScrollCaptureService::Timing{});
    const int pauses[] = {30, 60, 90, 130};
    test::BusyCores busy;  // the fault showed most on a loaded machine
    for (int run = 0; run < 10; ++run) {
        ASSERT_TRUE(page.toTop());
        const int before = int(QDir(folder).entryList(QDir::Files).size());
        service.startCapture(targetAt(region));
        ASSERT_TRUE(QTest::qWaitFor([&] { return service.keptCount() >= 1; }, 5000));
        // The wheel turns on its own time, as the user's does, not between our stills.
        QStringList hand{"mousemove", QString::number(region.center().x()), QString::number(region.center().y())};
        for (int notch = 0; notch < notches; ++notch)
            hand += {"click", "5", "sleep", QString::number(pauses[(run + notch) % 4] / 1000.0)};
        QProcess wheel;
        wheel.start(QStringLiteral("xdotool"), hand);
        ASSERT_TRUE(QTest::qWaitFor([&] { return wheel.state() == QProcess::NotRunning; }, 20000));
        QTest::qWait(400);  // the last notch is in a still
        service.finishCapture();

        QStringList files;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return (files = QDir(folder).entryList(QDir::Files, QDir::Time)).size() > before; }, 15000));
        const QImage saved = QImage(QDir(folder).filePath(files.first())).convertToFormat(QImage::Format_RGB32);
        EXPECT_TRUE(saved == reference) << "capture " << run + 1 << ": " << saved.width() << "x" << saved.height()
                                        << " for " << reference.width() << "x" << reference.height();
    }
}
