#include "FakeShellServices.h"
#include "app/shell/AppDelegate.h"
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
    QIcon icon;
    QString tip;
    QMenu* menu = nullptr;
    bool shown = false;
    bool isAvailable() const override { return true; }
    void setIcon(const QIcon& i) override { icon = i; }
    void setToolTip(const QString& t) override { tip = t; }
    void setMenu(QMenu* m) override { menu = m; }
    void show() override { shown = true; }
    bool isVisible() const override { return shown; }
};

struct Shell {
    FakeShellServices services;
    FakeTray tray;
    AppDelegate delegate{services, &tray};
};

QStringList titlesOf(const QMenu& menu)
{
    QStringList titles;
    for (QAction* a : menu.actions()) titles << (a->isSeparator() ? QStringLiteral("—") : a->text());
    return titles;
}

}  // namespace

TEST(AppDelegate, launch_RunsEveryStepInOrder)
{
    Shell shell;
    shell.delegate.applicationDidFinishLaunching();
    const QStringList expected = {
        "uiSnapshotSelfCheck",           "appearance",          "shortcutMigration",
        "hotKey:captureTranslate",       "hotKey:captureFullScreenTranslate",
        "hotKey:plainCapture",           "hotKey:pinFromClipboard", "hotKey:captureAnnotate",
        "quickCallbacks",                "hotKey:delayedCapture", "hotKey:repeatLastArea",
        "hotKey:colorPicker",            "hotKey:recordScreen", "recordingCallback",
        "recLeftovers",                  "hotKey:scrollCapture",          "recSelfCheck",        "scrollSelfCheck",
        "startAutoSync",                 "showLibrary:history"};
    EXPECT_EQ(shell.services.calls, expected);
    EXPECT_TRUE(shell.tray.shown);
    EXPECT_EQ(shell.tray.menu, shell.delegate.menu());
}

TEST(AppDelegate, launch_KeepsLibraryClosed_WhenMenuBarOnly)
{
    Shell shell;
    shell.services.menuBarOnlyValue = true;
    shell.delegate.applicationDidFinishLaunching();
    EXPECT_FALSE(shell.services.calls.contains("showLibrary:history"));
    // Another launch brings the library forward.
    shell.delegate.handleReopen();
    EXPECT_EQ(shell.services.calls.last(), "reopenLibrary");
}

TEST(AppDelegate, launch_ReportsEachRefusedHotKeyWithItsOwnReason)
{
    Shell shell;
    shell.services.refusedHotKeys = {{"captureTranslate", ShellHotKeyState::taken},
                                     {"scrollCapture", ShellHotKeyState::taken}};
    shell.delegate.applicationDidFinishLaunching();
    EXPECT_EQ(shell.delegate.failedHotKeys(), (QStringList{"captureTranslate", "scrollCapture"}));
    ASSERT_EQ(shell.services.toasts.size(), 1);
    EXPECT_EQ(shell.services.toasts[0].first, "快捷键被其他程序占用");
    EXPECT_TRUE(shell.services.toasts[0].second.contains("⌃⇧T"));

    // Refusals that are no conflict are not blamed on other programs, and a
    // shortcut reset from a damaged setting is named.
    Shell plain;
    plain.services.shortcuts["plainCapture"] = "↩";
    plain.services.refusedHotKeys = {{"plainCapture", ShellHotKeyState::noModifier}};
    plain.delegate.applicationDidFinishLaunching();
    ASSERT_EQ(plain.services.toasts.size(), 1);
    EXPECT_EQ(plain.services.toasts[0].first, "快捷键需含 Ctrl、Alt 或 Super");
    EXPECT_TRUE(plain.services.toasts[0].second.startsWith("↩ 无法使用"));

    Shell mixed;
    mixed.services.shortcuts["plainCapture"] = "↩";
    mixed.services.refusedHotKeys = {{"captureTranslate", ShellHotKeyState::taken},
                                     {"plainCapture", ShellHotKeyState::noModifier},
                                     {"captureFullScreenTranslate", ShellHotKeyState::unsupported}};
    mixed.services.resetShortcuts = {"captureFullScreenTranslate", "colorPicker"};
    mixed.delegate.applicationDidFinishLaunching();
    ASSERT_EQ(mixed.services.toasts.size(), 1);
    EXPECT_EQ(mixed.services.toasts[0].first, "部分快捷键无法使用");
    EXPECT_EQ(mixed.services.toasts[0].second,
              QStringLiteral("⌃⇧T 被占用；⌃⇧F 不支持；↩ 缺少修饰键；全屏翻译已恢复默认；屏幕取色器已清除"));

    Shell quiet;
    quiet.delegate.applicationDidFinishLaunching();
    EXPECT_TRUE(quiet.services.toasts.isEmpty());
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

TEST(AppDelegate, quit_StopsRecordingThenScrollThenCloudThenVocabulary)
{
    Shell shell;
    shell.delegate.applicationWillTerminate();
    EXPECT_EQ(shell.services.calls,
              (QStringList{"recordingQuit", "scrollCancel", "cloudUploadOnQuit", "vocabularyFlush"}));
}

TEST(AppDelegate, statusMenu_HasSeventeenRowsInOrder)
{
    Shell shell;
    shell.delegate.applicationDidFinishLaunching();
    QMenu* menu = shell.delegate.menu();
    ASSERT_NE(menu, nullptr);
    const QStringList expected = {"截图翻译", "全屏翻译", "普通截图", "截图标注", "贴图", "快捷截图",
                                  "局部录屏", "滚动长截图", "—", "历史记录…", "高频单词…", "—",
                                  "设置…", "检查更新…", "关于 KlipoVersa", "—", "退出"};
    EXPECT_EQ(titlesOf(*menu), expected);

    const auto actions = menu->actions();
    EXPECT_EQ(shell.services.boundShortcuts.value(actions[0]), "captureTranslate");
    EXPECT_EQ(shell.services.boundShortcuts.value(actions[1]), "captureFullScreenTranslate");
    EXPECT_EQ(shell.services.boundShortcuts.value(actions[2]), "plainCapture");
    EXPECT_EQ(shell.services.boundShortcuts.value(actions[6]), "recordScreen");
    EXPECT_EQ(shell.services.boundShortcuts.value(actions[7]), "scrollCapture");
    EXPECT_EQ(actions[9]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_H));
    EXPECT_EQ(actions[12]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    EXPECT_EQ(actions[16]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    // The recording item's title is the recording's as the menu opens.
    shell.services.recordMenuTitle = QStringLiteral("停止录屏");
    Q_EMIT menu->aboutToShow();
    EXPECT_EQ(actions[6]->text(), "停止录屏");

    shell.services.calls.clear();
    actions[9]->trigger();
    actions[10]->trigger();
    actions[12]->trigger();
    actions[13]->trigger();
    actions[6]->trigger();
    EXPECT_EQ(shell.services.calls,
              (QStringList{"showLibrary:history", "showLibrary:vocabulary", "showSettings", "checkForUpdates",
                           "toggleRecording"}));

    bool quit = false;
    QObject::connect(&shell.delegate, &AppDelegate::quitRequested, [&] { quit = true; });
    actions[16]->trigger();
    EXPECT_TRUE(quit);
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
    QTest::keyClick(&ours, Qt::Key_Q, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return quits == 1; }, 2000));
    EXPECT_EQ(shell.services.calls, (QStringList{"showLibrary:history", "showSettings"}));

    // A hot key on Ctrl+Q takes it from every window: the menu stops promising it.
    QAction* quitItem = menu->actions().last();
    shell.services.hotKeyCombinations = {QKeySequence(Qt::CTRL | Qt::Key_Q)};
    shell.services.hotKeysChanged();
    EXPECT_TRUE(quitItem->shortcut().isEmpty());
    EXPECT_EQ(menu->actions()[9]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_H));
    shell.services.hotKeyCombinations.clear();
    shell.services.hotKeysChanged();
    EXPECT_EQ(quitItem->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
}

TEST(AppDelegate, captureAndTranslate_FollowsOverlaySettingAndPermission)
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
    EXPECT_EQ(shell.services.alerts.last().buttons, (QStringList{"打开系统设置", "稍后"}));
}

TEST(AppDelegate, hotKeys_RunTheirCommands)
{
    Shell shell;
    shell.delegate.applicationDidFinishLaunching();
    shell.services.calls.clear();
    shell.services.hotKeys["plainCapture"]();
    shell.services.hotKeys["pinFromClipboard"]();
    shell.services.hotKeys["captureAnnotate"]();
    shell.services.hotKeys["delayedCapture"]();
    shell.services.hotKeys["repeatLastArea"]();
    shell.services.hotKeys["recordScreen"]();
    shell.services.hotKeys["captureFullScreenTranslate"]();
    EXPECT_EQ(shell.services.calls,
              (QStringList{"plainCapture", "pinFromClipboard", "annotate", "delayedCapture", "captureLastArea",
                           "toggleRecording", "capture:fullScreen"}));
}

TEST(AppDelegate, scrollHotKey_ActsByState)
{
    Shell shell;
    const std::pair<ShellScrollState, QStringList> cases[] = {
        {ShellScrollState::idle, {"scrollBegin"}},
        {ShellScrollState::picking, {"overlayFinish"}},
        {ShellScrollState::capturing, {"scrollCancel"}},
        {ShellScrollState::stitching, {}},
    };
    for (const auto& [state, expected] : cases) {
        shell.services.calls.clear();
        shell.services.scroll = state;
        shell.delegate.toggleScrollCapture();
        EXPECT_EQ(shell.services.calls, expected);
    }
}

TEST(AppDelegate, colorPicker_StartsOnlyWhenIdleAndAllowed)
{
    Shell shell;
    shell.delegate.applicationDidFinishLaunching();
    shell.services.calls.clear();
    shell.services.colorPickerBusyValue = true;
    shell.delegate.startColorPicker();
    EXPECT_TRUE(shell.services.calls.isEmpty());

    shell.services.colorPickerBusyValue = false;
    shell.delegate.startColorPicker();
    EXPECT_EQ(shell.services.calls, (QStringList{"colorPicker"}));

    shell.services.calls.clear();
    shell.services.canCaptureValue = false;
    shell.delegate.startColorPicker();
    EXPECT_EQ(shell.services.calls,
              (QStringList{"requestAccess", "quickPermissionDenied", "alert:需要屏幕录制权限"}));
}

TEST(AppDelegate, about_ShowsShortcutsAndUnsetOnes)
{
    Shell shell;
    shell.services.shortcuts.remove("captureFullScreenTranslate");
    shell.services.shortcuts.remove("plainCapture");
    const QString text = shell.delegate.aboutText();
    EXPECT_TRUE(text.startsWith("截图翻译：⌃⇧T\n"));
    EXPECT_TRUE(text.contains("全屏翻译：未设置\n"));
    EXPECT_TRUE(text.contains("普通截图：未设置\n"));
    // Only keys the overlay really has are described.
    EXPECT_FALSE(text.contains("空格"));
    shell.delegate.showAbout();
    EXPECT_EQ(shell.services.alerts.last().message, "KlipoVersa");
}

TEST(AppDelegate, statusIcon_SwitchesBetweenIdleRecordingAndCountdown)
{
    Shell shell;
    // Before the tray item exists nothing happens.
    shell.delegate.updateStatusRecordingIcon(true);
    EXPECT_EQ(shell.delegate.statusItem(), nullptr);

    shell.delegate.applicationDidFinishLaunching();
    shell.services.recordingCallback(true);
    EXPECT_EQ(shell.delegate.statusItem()->look(), StatusItem::Look::recording);
    EXPECT_EQ(shell.tray.tip, "正在录屏");
    shell.services.recordingCallback(false);
    EXPECT_EQ(shell.delegate.statusItem()->look(), StatusItem::Look::idle);

    shell.services.countdownTick(3);
    EXPECT_EQ(shell.delegate.statusItem()->look(), StatusItem::Look::countdown);
    EXPECT_EQ(shell.delegate.statusItem()->countdown(), 3);
    shell.services.countdownTick(std::nullopt);
    EXPECT_EQ(shell.delegate.statusItem()->look(), StatusItem::Look::idle);
}

TEST(AppDelegate, selfTestVariables_AreDetectedByPresence)
{
    qunsetenv("KLIPO_REC_SELFTEST");
    qunsetenv("KLIPO_SCROLL_SELFTEST");
    EXPECT_FALSE(AppDelegate::isRunningSelfTest());
    qputenv("KLIPO_SCROLL_SELFTEST", "");
    EXPECT_TRUE(AppDelegate::isRunningSelfTest());
    qunsetenv("KLIPO_SCROLL_SELFTEST");
}
