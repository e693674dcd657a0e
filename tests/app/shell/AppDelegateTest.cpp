#include "FakeShellServices.h"
#include "app/CaptureHUDContentView.h"
#include "app/CaptureHUDController.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/HotKeyReport.h"
#include "app/shell/RealShellServices.h"
#include "platform/StorageAlerts.h"
#include "platform/TrayIcon.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QTest>

using namespace klipo;
using klipo::test::FakeShellServices;

namespace {

class FakeTray : public platform::TrayIcon {
public:
    QMenu* menu = nullptr;
    bool shown = false;
    bool available = true;  // a tray host runs
    bool isAvailable() const override { return available; }
    void setIcon(const QIcon&) override {}
    void setToolTip(const QString&) override {}
    void setMenu(QMenu* m) override { menu = m; }
    void show() override { shown = true; }
    bool isVisible() const override { return shown; }
};

struct Shell {
    FakeShellServices services;
    FakeTray tray;
    AppDelegate delegate{services, &tray};
};

QAction* item(QMenu* menu, const QString& title)
{
    for (QAction* a : menu->actions())
        if (a->text() == title) return a;
    return nullptr;
}

}  // namespace

TEST(AppDelegate, launchMigratesBeforeTheHotKeys_AndShowsTheLibraryLastUnlessMenuBarOnly_QuitStopsTheRecordingFirst)
{
    Shell shell;
    shell.delegate.applicationDidFinishLaunching();
    const QStringList& calls = shell.services.calls;
    EXPECT_LT(calls.indexOf("shortcutMigration"), calls.indexOf("hotKey:captureTranslate"));
    EXPECT_EQ(calls.last(), "showLibrary:history");
    EXPECT_EQ(shell.services.targetLanguageChecks, 1);  // once, at the end of the launch
    EXPECT_TRUE(shell.tray.shown);
    EXPECT_EQ(shell.tray.menu, shell.delegate.menu());
    shell.services.calls.clear();
    shell.delegate.applicationWillTerminate();  // the recording is stopped first, the book written last
    EXPECT_EQ(calls, (QStringList{"recordingQuit", "scrollQuit", "cloudUploadOnQuit", "vocabularyFlush"}));

    Shell menuBarOnly;
    menuBarOnly.services.menuBarOnlyValue = true;
    menuBarOnly.delegate.applicationDidFinishLaunching();
    EXPECT_FALSE(menuBarOnly.services.calls.contains("showLibrary:history"));
    menuBarOnly.delegate.handleReopen();  // another launch brings the library forward
    EXPECT_EQ(menuBarOnly.services.calls.last(), "reopenLibrary");
}

TEST(AppDelegate, launch_ReportsEachRefusedHotKeyWithItsOwnReason_InOneToast)
{
    Shell quiet;
    quiet.delegate.applicationDidFinishLaunching();
    EXPECT_TRUE(quiet.services.toasts.isEmpty());

    // Refusals that are no conflict are not blamed on other programs, and a
    // shortcut reset from a damaged setting is named.
    Shell shell;
    shell.services.shortcuts["plainCapture"] = "Return";
    shell.services.refusedHotKeys = {{"captureTranslate", ShellHotKeyState::taken},
                                     {"plainCapture", ShellHotKeyState::noModifier},
                                     {"captureFullScreenTranslate", ShellHotKeyState::unsupported}};
    shell.services.resetShortcuts = {"captureFullScreenTranslate", "colorPicker"};
    shell.delegate.applicationDidFinishLaunching();
    EXPECT_EQ(shell.delegate.failedHotKeys(), (QStringList{"captureTranslate", "captureFullScreenTranslate", "plainCapture"}));
    ASSERT_EQ(shell.services.toasts.size(), 1);
    EXPECT_EQ(shell.services.toasts[0].first, "部分快捷键无法使用");
    EXPECT_EQ(shell.services.toasts[0].second,
              QStringLiteral(
                  "Ctrl+Shift+T 被占用；Ctrl+Shift+F 不支持；Return 缺少修饰键；全屏翻译已恢复默认；屏幕取色器已清除"));
}

// The launch toast cut the very keys it warned about, in the middle of one
// line ("Return 缺少修饰键；Ctrl…ft 被占用；…"). Every refused key is on the
// card, whole, on lines the card is tall enough for.
TEST(AppDelegate, launchToast_ShowsEveryRefusedKeyWhole)
{
    const QHash<QString, QString> keys{{"captureTranslate", "Ctrl+Alt+Shift+Super+PgDown"},
                                       {"captureFullScreenTranslate", "Ctrl+Shift+F"},
                                       {"plainCapture", "Return"},
                                       {"recordScreen", "Ctrl+Alt+Shift+ScrollLock"},
                                       {"scrollCapture", "Super+Shift+左方向"}};
    const auto toast = HotKeyReport::launchToast(
        {{"captureTranslate", ShellHotKeyState::taken},
         {"captureFullScreenTranslate", ShellHotKeyState::unsupported},
         {"plainCapture", ShellHotKeyState::noModifier},
         {"recordScreen", ShellHotKeyState::duplicate},
         {"scrollCapture", ShellHotKeyState::taken}},
        {"colorPicker"},
        [&](const QString& name) { return keys.contains(name) ? std::optional(keys.value(name)) : std::nullopt; });
    ASSERT_TRUE(toast);
    RealShellServices services;
    services.showToast(toast->title, toast->subtitle);
    CaptureHUDController& hud = CaptureHUDController::shared();
    ASSERT_TRUE(hud.isShowingToast());
    const QStringList lines = hud.contentView()->subtitleLines(hud.panel()->width());
    for (const QString& key : keys) {
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString& line) { return line.contains(key); }))
            << qPrintable(key) << " not whole in: " << qPrintable(lines.join('|'));
    }
    EXPECT_GE(hud.panel()->height(), int(hud.contentView()->heightFor(hud.panel()->width())));
    EXPECT_EQ(hud.contentView()->height(), hud.panel()->height());
    hud.dismiss(false);
}

// Without a tray (a window manager alone) neither the icon nor its menu is
// there: the launch says so, the library window opens whatever "menuBarOnly"
// says, the delayed capture counts down on the screen, and closing the
// library window says the program still runs and how to get it back.
TEST(AppDelegate, withoutATray_TheLaunchTheCountdownAndAClosedLibrarySayWhatTheTrayWouldHaveShown)
{
    using Countdown = QList<std::optional<int>>;
    const struct {
        bool tray, menuBarOnly, refusedHotKey;
        QString launchTitle;  // empty: no toast
        Countdown onScreen;   // of the ticks 3, 2, tray comes (when it does), 1, none, none
        bool trayComesDuringTheCountdown;
    } cases[] = {
        {false, true, false, "没有找到系统托盘", {3, 2, 1, std::nullopt}, false},
        {false, false, true, "快捷键被其他程序占用", {3, 2, std::nullopt}, true},
        {true, false, false, {}, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.launchTitle.toStdString());
        Shell shell;
        shell.tray.available = c.tray;
        shell.services.menuBarOnlyValue = c.menuBarOnly;
        if (c.refusedHotKey) shell.services.refusedHotKeys = {{"captureTranslate", ShellHotKeyState::taken}};
        shell.delegate.applicationDidFinishLaunching();
        EXPECT_TRUE(shell.services.calls.contains("showLibrary:history"));
        ASSERT_EQ(shell.services.toasts.size(), c.launchTitle.isEmpty() ? 0 : 1);
        if (!c.launchTitle.isEmpty()) {
            EXPECT_EQ(shell.services.toasts[0].first, c.launchTitle);
            EXPECT_TRUE(shell.services.toasts[0].second.contains("再次启动 KlipoVersa 即可重新打开资料库窗口"))
                << qPrintable(shell.services.toasts[0].second);
        }

        for (int seconds : {3, 2}) shell.services.countdownTick(seconds);
        if (c.trayComesDuringTheCountdown) shell.tray.available = true;
        shell.services.countdownTick(1);
        shell.services.countdownTick(std::nullopt);
        shell.services.countdownTick(std::nullopt);  // the end is told twice
        EXPECT_EQ(shell.services.countdownShown, c.onScreen);
        EXPECT_EQ(shell.delegate.statusItem()->look(), StatusItem::Look::idle);

        shell.services.toasts.clear();
        ASSERT_TRUE(shell.services.libraryClosed) << "nothing hears of the library window closing";
        shell.services.libraryClosed();
        ASSERT_EQ(shell.services.toasts.size(), c.tray || c.trayComesDuringTheCountdown ? 0 : 1);
        if (shell.services.toasts.isEmpty()) continue;
        EXPECT_EQ(shell.services.toasts[0].first, "KlipoVersa 仍在后台运行");
        ASSERT_TRUE(shell.services.toastClick);
        shell.services.toastClick();  // a click brings the window back
        EXPECT_EQ(shell.services.calls.last(), "reopenLibrary");
    }
}

TEST(AppDelegate, storageAlerts_BecomeToastsOneAfterTheOther_AlsoThoseFromBeforeLaunch)
{
    platform::storagealerts::report("设置无法使用：内容已损坏", "原文件已移到 ~/x");
    {
        Shell shell;
        shell.delegate.applicationDidFinishLaunching();
        ASSERT_EQ(shell.services.toasts.size(), 1);
        EXPECT_EQ(shell.services.toasts.first().second, "原文件已移到 ~/x");
        platform::storagealerts::reportNotSaved("生词本", "磁盘空间不足");
        QTest::qWait(100);
        EXPECT_EQ(shell.services.toasts.size(), 1);  // the first one is still being read
        ASSERT_TRUE(QTest::qWaitFor([&] { return shell.services.toasts.size() == 2; }, 5000));
        EXPECT_EQ(shell.services.toasts.last(), qMakePair(QString("生词本未能保存"), QString("磁盘空间不足")));
    }
    platform::storagealerts::reportNotSaved("历史记录", "x");  // waits for the next shell, no crash
    QTest::qWait(20);
}

TEST(AppDelegate, menuItemsAndHotKeys_RunTheirCommands)
{
    Shell shell;
    shell.delegate.applicationDidFinishLaunching();
    QMenu* menu = shell.delegate.menu();
    ASSERT_NE(menu, nullptr);
    // The recording item's title is the recording's as the menu opens.
    shell.services.recordMenuTitle = QStringLiteral("停止录屏");
    Q_EMIT menu->aboutToShow();
    EXPECT_NE(item(menu, "停止录屏"), nullptr);

    shell.services.calls.clear();
    for (const char* title : {"历史记录…", "高频单词…", "设置…", "检查更新…", "停止录屏"}) item(menu, title)->trigger();
    for (const char* name : {"pinFromClipboard", "captureAnnotate", "repeatLastArea", "captureFullScreenTranslate"})
        shell.services.hotKeys[name]();
    EXPECT_EQ(shell.services.calls,
              (QStringList{"showLibrary:history", "showLibrary:vocabulary", "showSettings", "checkForUpdates",
                           "toggleRecording", "pinFromClipboard", "annotate", "captureLastArea", "capture:fullScreen"}));

}

// Qt looks for a menu item's keys only through the window its menu belongs
// to; the tray menu belongs to none, so its key texts never worked.
TEST(AppDelegate, menuKeys_WorkWhileTheMenuIsOpen_AndInOurWindows_UnlessAHotKeyTakesThem)
{
    Shell shell;
    shell.services.menuBarOnlyValue = true;
    shell.delegate.applicationDidFinishLaunching();
    QMenu* menu = shell.delegate.menu();
    int quits = 0;
    QObject::connect(&shell.delegate, &AppDelegate::quitRequested, [&] { ++quits; });
    shell.services.calls.clear();

    menu->popup(QPoint(200, 200));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QTest::keyClick(menu, Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shell.services.calls.contains("showLibrary:history"); }, 2000));
    EXPECT_FALSE(menu->isVisible());  // closed before the command runs

    QWidget ours;
    ours.show();
    ours.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&ours));
    QTest::keyClick(&ours, Qt::Key_Comma, Qt::ControlModifier);
    // Ctrl+Q works in our windows and while the menu is open.
    QTest::keyClick(&ours, Qt::Key_Q, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return quits == 1; }, 2000));
    menu->popup(QPoint(200, 200));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QTest::keyClick(menu, Qt::Key_Q, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return quits == 2; }, 2000));
    EXPECT_EQ(shell.services.calls, (QStringList{"showLibrary:history", "showSettings"}));

    // A hot key on Ctrl+Q takes it from every window: the menu stops promising it.
    QAction* quitItem = menu->actions().last();
    shell.services.hotKeyCombinations = {QKeySequence(Qt::CTRL | Qt::Key_Q)};
    shell.services.hotKeysChanged();
    EXPECT_TRUE(quitItem->shortcut().isEmpty());
    EXPECT_EQ(item(menu, "历史记录…")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_H));
    shell.services.hotKeyCombinations.clear();
    shell.services.hotKeysChanged();
    EXPECT_EQ(quitItem->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
}

TEST(AppDelegate, captureCommands_FollowTheOverlaySettingAndScreenAccess)
{
    Shell shell;
    // Overlay on: the first press opens it, a second press closes it.
    shell.delegate.startCaptureAndTranslate(ShellCaptureMode::interactive);
    shell.delegate.startCaptureAndTranslate(ShellCaptureMode::interactive);
    EXPECT_EQ(shell.services.calls, (QStringList{"overlayBegin", "overlayFinish"}));

    // Full screen never uses the overlay; a cancelled or failed capture shows nothing.
    shell.services.calls.clear();
    shell.delegate.startCaptureAndTranslate(ShellCaptureMode::fullScreen);
    EXPECT_EQ(shell.services.calls, (QStringList{"capture:fullScreen"}));

    // Overlay off: an interactive capture goes to the result panel.
    shell.services.calls.clear();
    shell.services.overlayEnabledValue = false;
    shell.services.nextCapture = ShellCapture{QImage(4, 4, QImage::Format_RGB32), 1.0};
    shell.delegate.startCaptureAndTranslate(ShellCaptureMode::interactive);
    EXPECT_EQ(shell.services.calls, (QStringList{"capture:interactive", "resultPanel"}));

    // No screen access: ask, explain, and drop the command.
    shell.services.calls.clear();
    shell.services.canCaptureValue = false;
    shell.services.alertAnswer = 0;
    shell.delegate.startCaptureAndTranslate(ShellCaptureMode::fullScreen);
    EXPECT_EQ(shell.services.calls,
              (QStringList{"requestAccess", "alert:需要屏幕录制权限", "openCaptureSettings"}));

    // The colour picker: only when none is running, and with access.
    shell.delegate.applicationDidFinishLaunching();
    shell.services.calls.clear();
    shell.services.alertAnswer = 1;  // "稍后"
    shell.delegate.startColorPicker();
    EXPECT_EQ(shell.services.calls,
              (QStringList{"requestAccess", "quickPermissionDenied", "alert:需要屏幕录制权限"}));
    shell.services.calls.clear();
    shell.services.canCaptureValue = true;
    shell.services.colorPickerBusyValue = true;
    shell.delegate.startColorPicker();
    EXPECT_TRUE(shell.services.calls.isEmpty());
}

TEST(AppDelegate, scrollHotKeyAndMenuItem_ActByState)
{
    Shell shell;
    shell.delegate.applicationDidFinishLaunching();
    QAction* item = shell.delegate.menu()->actions()[7];
    const struct {
        ShellScrollState state;
        QStringList calls;
        bool enabled;
    } cases[] = {{ShellScrollState::idle, {"scrollBegin"}, true},
                 {ShellScrollState::picking, {"overlayFinish"}, true},
                 {ShellScrollState::capturing, {"scrollCancel"}, true},
                 {ShellScrollState::stitching, {}, false}};
    for (const auto& c : cases) {
        shell.services.calls.clear();
        shell.services.scroll = c.state;
        shell.delegate.toggleScrollCapture();
        EXPECT_EQ(shell.services.calls, c.calls);
        Q_EMIT shell.delegate.menu()->aboutToShow();
        EXPECT_EQ(item->isEnabled(), c.enabled);
        shell.services.calls.clear();
        item->trigger();
        EXPECT_EQ(shell.services.calls, c.enabled ? c.calls : QStringList{});
    }
}
