// The real shell on the headless desktop: tray icon, hot keys through the
// real shortcut store, menu key texts, and the capture overlay they open.
#include "app/shell/AppDelegate.h"
#include "app/shell/RealShellServices.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "overlay/SelOverlayController.h"
#include "platform/SystemTrayIcon.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QProcess>
#include <QTest>

using namespace klipo;

namespace {
bool pressKeys(const QString& keys)
{
    return QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys}) == 0;
}
}  // namespace

TEST(ShellOnDesktop, launch_ShowsTrayIcon_AndHotKeyStartsCaptureAndTranslate)
{
    if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
    RealShellServices services;
    platform::SystemTrayIcon tray;
    AppDelegate delegate(services, &tray);
    delegate.applicationDidFinishLaunching();

    EXPECT_TRUE(delegate.failedHotKeys().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tray.geometry().isEmpty(); }, 5000)) << "the tray host never showed us";

    // The hot key opens the overlay for translation; pressed again it closes it.
    auto& overlay = SelOverlayController::shared();
    ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+shift+t")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !overlay.windows().isEmpty(); }, 3000));
    EXPECT_EQ(overlay.primaryAction(), SelAction::translate);
    ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+shift+t")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !overlay.isActive(); }, 3000));

    // A changed shortcut shows at once on its menu item.
    QAction* first = delegate.menu()->actions().value(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    GlobalShortcuts::setShortcut(GlobalShortcuts::Shortcut(GlobalShortcuts::Key::y, Qt::ControlModifier | Qt::AltModifier),
                                 GlobalShortcuts::Name::captureTranslate());
    EXPECT_EQ(first->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Y));
    EXPECT_TRUE(delegate.aboutText().startsWith(QStringLiteral("截图翻译：")));
    delegate.applicationWillTerminate();
}
