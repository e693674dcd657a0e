#include "app/shell/AppDelegate.h"

#include "app/shell/HotKeyReport.h"
#include "app/shell/MenuKeys.h"
#include "app/shell/StatusMenu.h"
#include "app/shell/TraylessNotes.h"
#include "platform/StorageAlerts.h"
#include "platform/TrayIcon.h"

#include <QMenu>

namespace klipo {

namespace {
// Each toast stays 2.2 s; the next waits until it has been seen.
constexpr int kStorageAlertSpacingMs = 2500;
}  // namespace

AppDelegate::AppDelegate(ShellServices& services, platform::TrayIcon* tray, QObject* parent)
    : QObject(parent), m_services(services), m_tray(tray)
{
}

AppDelegate::~AppDelegate() { platform::storagealerts::setSink({}); }

bool AppDelegate::isRunningSelfTest()
{
    return qEnvironmentVariableIsSet("KLIPO_REC_SELFTEST") || qEnvironmentVariableIsSet("KLIPO_SCROLL_SELFTEST");
}

void AppDelegate::registerHotKey(const QString& name, std::function<void()> action)
{
    const ShellHotKeyState state = m_services.registerHotKey(name, std::move(action));
    if (state != ShellHotKeyState::working) m_refusedHotKeys.append({name, state});
}

QStringList AppDelegate::failedHotKeys() const
{
    QStringList names;
    for (const auto& [name, state] : m_refusedHotKeys) names << name;
    return names;
}

void AppDelegate::applicationDidFinishLaunching()
{
    QPointer<AppDelegate> self(this);
    auto weakly = [self](auto member) {
        return [self, member] {
            if (self) (self.data()->*member)();
        };
    };

    m_services.runInterfaceSnapshotSelfCheck();
    // A file not saved or set aside is told at once, one toast after the
    // other; what happened before launch (a damaged settings file) is told now.
    platform::storagealerts::setSink(
        [this](const platform::storagealerts::Alert& alert) { m_services.showToast(alert.title, alert.detail); },
        kStorageAlertSpacingMs);
    m_services.applyAppearance();
    m_services.runShortcutMigration();
    setupStatusItem();

    registerHotKey(QStringLiteral("captureTranslate"), [self] {
        if (self) self->startCaptureAndTranslate(ShellCaptureMode::interactive);
    });
    registerHotKey(QStringLiteral("captureFullScreenTranslate"), [self] {
        if (self) self->startCaptureAndTranslate(ShellCaptureMode::fullScreen);
    });
    registerHotKey(QStringLiteral("plainCapture"), weakly(&AppDelegate::startPlainCapture));
    registerHotKey(QStringLiteral("pinFromClipboard"), [this, self] {
        if (self) m_services.pinFromClipboard();
    });
    registerHotKey(QStringLiteral("captureAnnotate"), [this, self] {
        if (self) m_services.startCaptureAndAnnotate();
    });

    setupQuickCapture();

    registerHotKey(QStringLiteral("recordScreen"), [this, self] {
        if (self) m_services.toggleRecording();
    });
    m_services.setRecordingStateCallback([self](bool recording) {
        if (self) self->updateStatusRecordingIcon(recording);
    });
    m_services.recoverLeftoverRecordings();
    registerHotKey(QStringLiteral("scrollCapture"), weakly(&AppDelegate::toggleScrollCapture));

    m_services.runRecordingSelfCheck();
    m_services.runScrollingSelfCheck();
    m_services.startAutoCloudBackup();

    m_services.observeLibraryClosed(weakly(&AppDelegate::libraryClosed));
    // Without a tray the library window is the way in, whatever "menuBarOnly" says.
    if (!m_services.menuBarOnly() || !hasTray()) m_services.showLibrary(ShellLibrarySection::history);
    reportFailedHotKeys();
    m_services.tellIfTargetLanguageUnreachable();
}

void AppDelegate::setupQuickCapture()
{
    QPointer<AppDelegate> self(this);
    m_services.setQuickCaptureCallbacks(
        [self] {
            if (self) self->showPermissionAlert();
        },
        [self](std::optional<int> seconds) {
            if (self) self->updateStatusCountdown(seconds);
        });
    registerHotKey(QStringLiteral("delayedCapture"), [this, self] {
        if (self) m_services.startDelayedCapture();
    });
    registerHotKey(QStringLiteral("repeatLastArea"), [this, self] {
        if (self) m_services.captureLastArea();
    });
    registerHotKey(QStringLiteral("colorPicker"), [self] {
        if (self) self->startColorPicker();
    });
}

void AppDelegate::reportFailedHotKeys()
{
    QList<HotKeyReport::Refused> refused;
    for (const auto& [name, state] : std::as_const(m_refusedHotKeys)) refused.append({name, state});
    const auto toast = HotKeyReport::launchToast(refused, m_services.takeResetShortcuts(),
                                                 [this](const QString& name) { return m_services.shortcutText(name); });
    std::optional<TraylessNotes::Note> note;
    if (toast) note = TraylessNotes::Note{toast->title, toast->subtitle};
    // Where there is no tray, the launch says so and how to come back.
    if (!hasTray()) note = TraylessNotes::atLaunch(note ? &*note : nullptr);
    if (note) m_services.showToast(note->title, note->subtitle);
}

bool AppDelegate::hasTray() const { return m_tray && m_tray->isAvailable(); }

void AppDelegate::libraryClosed()
{
    // Nothing of the program is left on the screen: say it still runs, and how to come back.
    if (hasTray()) return;
    const TraylessNotes::Note note = TraylessNotes::libraryClosed();
    QPointer<AppDelegate> self(this);
    m_services.showToast(note.title, note.subtitle, [this, self] {
        if (self) m_services.reopenLibrary();
    });
}

void AppDelegate::setupStatusItem()
{
    m_statusItem = std::make_unique<StatusItem>(m_tray);
    m_statusItem->showIdle();
    m_menu = std::make_unique<QMenu>();
    m_menuKeys = std::make_unique<MenuKeys>(*m_menu);
    StatusMenu::build(*m_menu, m_services, *this, *m_menuKeys);
    m_menuKeys->setHotKeys(m_services.hotKeySequences());
    QPointer<AppDelegate> self(this);
    m_services.observeHotKeyChanges([self] {
        if (self && self->m_menuKeys) self->m_menuKeys->setHotKeys(self->m_services.hotKeySequences());
    });
    if (m_tray) {
        m_tray->setMenu(m_menu.get());
        m_tray->show();
    }
}

void AppDelegate::handleReopen() { m_services.reopenLibrary(); }

void AppDelegate::startPlainCapture()
{
    QPointer<AppDelegate> self(this);
    m_services.startPlainCapture([self] {
        if (self) self->showPermissionAlert();
    });
}

void AppDelegate::toggleScrollCapture()
{
    switch (m_services.scrollState()) {
    case ShellScrollState::idle:
        m_services.beginScrollCapture();
        break;
    case ShellScrollState::picking:
        m_services.overlayFinishWithoutResult();
        break;
    case ShellScrollState::capturing:
        m_services.cancelScrollCapture();
        break;
    case ShellScrollState::stitching:
        break;
    }
}

void AppDelegate::startColorPicker()
{
    if (m_services.colorPickerBusy()) return;
    if (m_services.canCapture()) {
        m_services.startColorPicker();
        return;
    }
    m_services.requestCaptureAccess();
    m_services.notifyQuickCapturePermissionDenied();
}

void AppDelegate::startCaptureAndTranslate(ShellCaptureMode mode)
{
    if (!m_services.canCapture()) {
        m_services.requestCaptureAccess();
        showPermissionAlert();
        return;
    }
    if (mode == ShellCaptureMode::interactive && m_services.overlayEnabled()) {
        if (m_services.overlayIsActive())
            m_services.overlayFinishWithoutResult();
        else
            m_services.overlayBeginTranslate();
        return;
    }
    QPointer<AppDelegate> self(this);
    m_services.captureForTranslation(mode, [this, self](std::optional<ShellCapture> capture) {
        if (!self || !capture) return;
        m_services.recognizeAndShowResult(*capture);
    });
}

void AppDelegate::showPermissionAlert()
{
    ShellAlert alert;
    alert.style = ShellAlert::Style::warning;
    alert.message = QStringLiteral("需要屏幕录制权限");
    // There is no permission to grant on Linux; what blocks capture is the session type.
    alert.informativeText = QStringLiteral(
        "KlipoVersa 需要在 X11（Xorg）会话中运行才能截取屏幕。请在登录界面选择 X11 会话，然后重新启动应用。"
        "（Linux 上没有可打开的屏幕录制权限设置页。）");
    alert.buttons = {QStringLiteral("打开系统设置"), QStringLiteral("稍后")};
    if (m_services.runAlert(alert) == 0) m_services.openScreenCaptureSettings();
}

QString AppDelegate::aboutText()
{
    auto shortcut = [this](const QString& name) {
        const auto text = m_services.shortcutText(name);
        return text ? *text : QStringLiteral("未设置");
    };
    // What a plain screenshot does: in the overlay Return copies and "保存"
    // writes the file; the region picker saves and copies by itself.
    const QString plain = m_services.overlayEnabled()
                              ? QStringLiteral("\n  只截图不翻译：回车复制到剪贴板，点「保存」存入截图文件夹")
                              : QStringLiteral("\n  只截图不翻译，自动存盘并复制到剪贴板");
    return QStringLiteral("截图翻译：") + shortcut(QStringLiteral("captureTranslate")) +
           QStringLiteral("\n  拖动即框选，单击选中窗口，按 F 选整屏，Esc 取消\n全屏翻译：") +
           shortcut(QStringLiteral("captureFullScreenTranslate")) + QStringLiteral("\n  直接翻译整块屏幕\n普通截图：") +
           shortcut(QStringLiteral("plainCapture")) + plain +
           QStringLiteral(
               "\n\n快捷键均可在「设置」中修改。\n"
               "识别与翻译均在本机完成，截图和文字不会发送给任何服务；"
               "只有「检查更新」会联网，开启云备份后备份文件由你自己的同步工具上传。");
}

void AppDelegate::showAbout()
{
    ShellAlert alert;
    alert.style = ShellAlert::Style::informational;
    alert.message = QStringLiteral("KlipoVersa");
    alert.informativeText = aboutText();
    alert.buttons = {QStringLiteral("好")};
    m_services.runAlert(alert);
}

void AppDelegate::updateStatusRecordingIcon(bool recording)
{
    if (!m_statusItem) return;
    if (recording)
        m_statusItem->showRecording();
    else
        m_statusItem->showIdle();
}

void AppDelegate::updateStatusCountdown(std::optional<int> seconds)
{
    if (m_statusItem) m_statusItem->showCountdown(seconds);
    // Where no tray shows the icon, the countdown shows on the screen; one
    // shown there goes also when a tray came meanwhile.
    const bool onScreen = seconds && !hasTray();
    if (onScreen || m_countdownOnScreen) m_services.showCountdown(onScreen ? seconds : std::nullopt);
    m_countdownOnScreen = onScreen;
}

void AppDelegate::applicationWillTerminate()
{
    m_services.stopRecordingForQuit();
    m_services.finishScrollCaptureForQuit();
    m_services.uploadCloudBackupOnQuit();
    m_services.flushVocabulary();
}

}  // namespace klipo
