#include "app/shell/RealShellServices.h"

#include "library/LibrarySections.h"
#include "library/backup/BackupFolderChooser.h"
#include "library/backup/CloudSyncSection.h"
#include "preferences/SettingsView.h"

#include "annotation/command/AnnoMenuProvider.h"
#include "app/Appearance.h"
#include "app/CaptureFailure.h"
#include "app/CaptureHUDController.h"
#include "app/MessageBoxFit.h"
#include "app/Settings.h"
#include "app/StabilityCaptureService.h"
#include "app/shell/AnnotationWiring.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/TraylessNotes.h"
#include "app/shell/ToolsWiring.h"
#include "app/shell/UpdateChecker.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/MenuBinding.h"
#include "GlobalShortcuts/ShortcutSlimMigration.h"
#include "library/HistoryWindow.h"
#include "library/LibrarySections.h"
#include "overlay/SelOverlayController.h"
#include "platform/CapturePermission.h"
#include "platform/NotificationCenter.h"
#include "platform/OwnWindows.h"
#include "platform/PlatformServices.h"
#include "platform/SerialQueue.h"
#include "platform/text/ApertiumPairs.h"
#include "platform/text/TextServices.h"
#include "preferences/PrefsAboutTab.h"
#include "preferences/SettingsView.h"
#include "preferences/SettingsWindow.h"
#include "recognition/ResultPanelController.h"
#include "recognition/TargetLanguageReach.h"
#include "recording/RecMenuProvider.h"
#include "recording/RecSelfTest.h"
#include "recording/RecService.h"
#include "scroll/ScrollCaptureService.h"
#include "scroll/SpoolFolder.h"
#include "selfcheck/SelfChecks.h"
#include "stores/CloudSync.h"
#include "stores/HistoryStore.h"
#include "stores/StoresAtLaunch.h"
#include "stores/VocabularyStore.h"
#include "tools/PinMenu.h"
#include "tools/PlainCaptureService.h"
#include "tools/QuickCaptureMenu.h"
#include "tools/QuickCaptureService.h"
#include "tools/QuickColorPicker.h"

#include <QAction>
#include <QMenu>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QThreadPool>
#include <QTimer>

#ifndef KLIPO_VERSION
#define KLIPO_VERSION "0.0.0"
#endif

namespace klipo {

namespace {
constexpr int kRepaintDelayMs = 80;
// The launch notice of a target language that cannot be reached stays long
// enough to be read; it waits for the toast before it.
constexpr double kTargetNoticeSeconds = 8.0;
constexpr int kToastPollMs = 300;

const QList<const GlobalShortcuts::Name*>& allNames()
{
    using N = GlobalShortcuts::Name;
    static const QList<const N*> all = {&N::captureTranslate(), &N::captureFullScreenTranslate(), &N::plainCapture(),
                                        &N::recordScreen(),     &N::scrollCapture(),              &N::delayedCapture(),
                                        &N::repeatLastArea(),   &N::colorPicker(),                &N::captureAnnotate(),
                                        &N::pinFromClipboard()};
    return all;
}

const GlobalShortcuts::Name* nameFor(const QString& raw)
{
    for (const GlobalShortcuts::Name* n : allNames())
        if (n->rawValue() == raw) return n;
    return nullptr;
}

}  // namespace

RealShellServices::RealShellServices(QObject* parent)
    : QObject(parent), m_updater(new UpdateChecker(UpdateChecker::defaultFeedUrl(), QStringLiteral(KLIPO_VERSION), this))
{
    if (!AppDelegate::isRunningSelfTest()) m_updater->start();
    // The way out of a translation that cannot be done: another target language.
    TargetLanguageReach::setOpenPicker([] { SettingsWindowController::shared().showTargetLanguagePicker(); });
    // The preferences' "检查更新…" runs the same check as the tray menu.
    PrefsAboutTab::updateCheck() = [updater = QPointer<UpdateChecker>(m_updater)] {
        if (updater) updater->checkForUpdates();
    };
    AnnotationWiring::connectAnnotateCommand();
    // Recording and scrolling capture exclude each other.
    RecService::shared().scrollCaptureBusy = [this] {
        const ShellScrollState scroll = scrollState();
        return scroll == ShellScrollState::capturing || scroll == ShellScrollState::stitching;
    };
    ScrollCaptureService::setRecordingBusy([] { return RecService::shared().state != RecService::RecState::idle; });
    // Spool folders left by a crash or by a quit while stitching.
    QThreadPool::globalInstance()->start([] { stitch::sweepStaleSpoolFolders(); });
    // The library window's backup controls over the backup service, and its
    // fourth section: the preferences, embedded.
    librarysections::setFactory(LibrarySection::backup, [] {
        return new CloudSyncSection(CloudSync::shared(), BackupFolderChooser::dialog());
    });
    librarysections::setFactory(LibrarySection::settings,
                                [] { return new SettingsView(SettingsView::Form::embedded); });
    connect(m_updater, &UpdateChecker::finished, this, [this](const UpdateCheckResult& result) {
        ShellAlert alert;
        alert.style = result.kind == UpdateCheckResult::Kind::failed ? ShellAlert::Style::warning
                                                                      : ShellAlert::Style::informational;
        alert.message = result.title();
        alert.informativeText = result.text();
        alert.buttons = {QStringLiteral("好")};
        runAlert(alert);
    });
}

RealShellServices::~RealShellServices() = default;

void RealShellServices::runInterfaceSnapshotSelfCheck() { UISnapshotSelfTest::runIfNeeded(); }
void RealShellServices::applyAppearance() { klipo::applyAppearance(Settings::appearanceTheme()); }
void RealShellServices::runShortcutMigration() { GlobalShortcuts::ShortcutSlimMigration::runIfNeeded(); }
void RealShellServices::runRecordingSelfCheck() { RecSelfTest::runIfNeeded(); }
void RealShellServices::runScrollingSelfCheck() { ScrollSelfTest::runIfNeeded(); }
void RealShellServices::startAutoCloudBackup()
{
    // The book is brought in line with the history first (it waits for both
    // to load), so that the backup looks at stores that agree.
    HistoryStore* history = &HistoryStore::shared();
    VocabularyStore* vocabulary = &VocabularyStore::shared();
    QThreadPool::globalInstance()->start(
        [history, vocabulary] { storesatlaunch::settleVocabulary(*history, *vocabulary); });
    CloudSync& cloud = CloudSync::shared();
    // The restore offer is a modal alert brought to the front.
    QPointer<RealShellServices> self(this);
    cloud.setRestorePrompt([self](const CloudSync::Prompt& prompt) {
        if (!self) return -1;
        ShellAlert alert;
        alert.message = prompt.message;
        alert.informativeText = prompt.informativeText;
        alert.buttons = prompt.buttons;
        return self->runAlert(alert);
    });
    cloud.startAutoSync();
}
bool RealShellServices::menuBarOnly() { return Settings::menuBarOnly(); }
bool RealShellServices::overlayEnabled() { return Settings::selCaptureOverlayEnabled(); }

ShellHotKeyState RealShellServices::registerHotKey(const QString& name, std::function<void()> action)
{
    const auto* n = nameFor(name);
    if (!n) return ShellHotKeyState::failed;
    using State = GlobalShortcuts::Registration::State;
    switch (GlobalShortcuts::onKeyDown(*n, this, std::move(action)).state) {
    case State::inactive:
    case State::registered: return ShellHotKeyState::working;
    case State::taken: return ShellHotKeyState::taken;
    case State::unsupported: return ShellHotKeyState::unsupported;
    case State::noModifier: return ShellHotKeyState::noModifier;
    case State::duplicate: return ShellHotKeyState::duplicate;
    case State::failed:
    case State::disabled: break;
    }
    return ShellHotKeyState::failed;
}

QStringList RealShellServices::takeResetShortcuts() { return GlobalShortcuts::takeResetNames(); }

void RealShellServices::bindMenuShortcut(QAction* item, const QString& name)
{
    if (const auto* n = nameFor(name)) GlobalShortcuts::setShortcut(item, *n);
}

std::optional<QString> RealShellServices::shortcutText(const QString& name)
{
    const auto* n = nameFor(name);
    if (!n) return std::nullopt;
    const auto shortcut = GlobalShortcuts::getShortcut(*n);
    if (!shortcut) return std::nullopt;
    return shortcut->description();
}

QList<QKeySequence> RealShellServices::hotKeySequences()
{
    // Only the keys the desktop really gave us: a refused one leaves its keys free.
    QList<QKeySequence> keys;
    for (const GlobalShortcuts::Name* n : allNames()) {
        const auto shortcut = GlobalShortcuts::getShortcut(*n);
        if (shortcut && GlobalShortcuts::registration(*n).state == GlobalShortcuts::Registration::State::registered)
            keys << shortcut->keySequence();
    }
    return keys;
}

void RealShellServices::observeHotKeyChanges(std::function<void()> changed)
{
    for (const QLatin1String notification :
         {GlobalShortcuts::shortcutByNameDidChange, GlobalShortcuts::registrationDidChange}) {
        platform::NotificationCenter::shared().observe(notification, this,
                                                       [changed](const QVariantMap&) { changed(); });
    }
}

void RealShellServices::showLibrary(ShellLibrarySection section)
{
    HistoryWindowController::shared().show(section == ShellLibrarySection::vocabulary ? LibrarySection::vocabulary
                                                                                      : LibrarySection::history);
}

void RealShellServices::reopenLibrary() { HistoryWindowController::shared().reopen(); }

void RealShellServices::observeLibraryClosed(std::function<void()> closed)
{
    HistoryWindowController::shared().onClosed = std::move(closed);
}
void RealShellServices::showSettings() { SettingsWindowController::shared().show(); }

int RealShellServices::runAlert(const ShellAlert& alert)
{
    QMessageBox box(alert.style == ShellAlert::Style::warning ? QMessageBox::Warning : QMessageBox::Information,
                    alert.message, alert.message);
    box.setInformativeText(alert.informativeText);
    fitMessageBoxToTexts(box);
    QList<QAbstractButton*> buttons;
    for (int i = 0; i < alert.buttons.size(); ++i)
        buttons << box.addButton(alert.buttons[i], i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole);
    box.activateWindow();
    box.exec();
    return int(buttons.indexOf(box.clickedButton()));
}

void RealShellServices::openScreenCaptureSettings()
{
    // Linux has no settings page for screen access; the session type decides.
    showToast(QStringLiteral("没有可打开的设置页"), QStringLiteral("请在登录界面选择 X11 会话后重新启动 KlipoVersa"));
}

void RealShellServices::checkForUpdates() { m_updater->checkForUpdates(); }

void RealShellServices::showToast(const QString& title, const QString& subtitle, std::function<void()> onClick)
{
    // The shell's toasts are messages (refused hot keys, files not saved): told in full.
    CaptureHUDController& hud = CaptureHUDController::shared();
    hud.showInFull(title, subtitle);
    if (onClick) hud.setClickAction(std::move(onClick));
}

void RealShellServices::tellIfTargetLanguageUnreachable()
{
    const QString target = Settings::targetLanguage();
    if (!TargetLanguageReach::unreachableNote(target)) return;
    const QString title = QStringLiteral("本机无法翻译成%1")
                              .arg(platform::chineseLanguageName(platform::pairLanguageCode(target)));
    // After the toasts of the launch that are showing (refused hot keys, files set aside).
    auto* wait = new QTimer(this);
    connect(wait, &QTimer::timeout, this, [wait, title] {
        CaptureHUDController& hud = CaptureHUDController::shared();
        if (hud.isShowingToast()) return;
        wait->deleteLater();
        hud.show(title, QStringLiteral("点此更改目标语言（设置 → 截图）"), QImage(), QString(),
                 kTargetNoticeSeconds);
        hud.setClickAction(TargetLanguageReach::openPicker);
    });
    wait->start(kToastPollMs);
}

bool RealShellServices::canCapture()
{
    auto* permission = platform::services().permission;
    return permission && permission->canCapture();
}

void RealShellServices::requestCaptureAccess()
{
    if (auto* permission = platform::services().permission) permission->request();
}

QAction* RealShellServices::makeAnnotateMenuItem(QMenu* menu) { return AnnoMenuProvider::shared().makeMenuItem(menu); }

QAction* RealShellServices::makePinMenuItem(QMenu* menu) { return PinMenuProvider::shared().makeMenuItem(menu); }

QAction* RealShellServices::makeQuickCaptureMenuItem(QMenu* menu)
{
    return QuickCaptureMenuProvider::shared().makeMenuItem(menu);
}

void RealShellServices::startPlainCapture(std::function<void()> onPermissionDenied)
{
    PlainCaptureService::start(CaptureService::Mode::interactive, std::move(onPermissionDenied));
}

void RealShellServices::pinFromClipboard() { PinMenuProvider::pinFromClipboard(); }
void RealShellServices::startCaptureAndAnnotate() { AnnoMenuProvider::startCaptureAndAnnotate(); }

void RealShellServices::setQuickCaptureCallbacks(std::function<void()> onPermissionDenied,
                                                 std::function<void(std::optional<int>)> onCountdownTick)
{
    QuickCaptureService::onPermissionDenied = std::move(onPermissionDenied);
    QuickCaptureService::onCountdownTick = std::move(onCountdownTick);
    ToolsWiring::connectPlainCapture();
}

void RealShellServices::startDelayedCapture() { QuickCaptureService::startDelayedCapture(); }

void RealShellServices::showCountdown(std::optional<int> seconds)
{
    CaptureHUDController& hud = CaptureHUDController::shared();
    if (!seconds) {
        // Off the screen before the capture begins; another message that took its place stays.
        if (hud.isShowingToast() && hud.currentTitle() == m_countdownTitle) hud.hideForCapture();
        m_countdownTitle.clear();
        return;
    }
    const TraylessNotes::Note note = TraylessNotes::countdown(*seconds);
    m_countdownTitle = note.title;
    hud.show(note.title, note.subtitle);  // up until the next second's replaces it
}
void RealShellServices::captureLastArea() { QuickCaptureService::captureLastArea(); }

bool RealShellServices::colorPickerBusy()
{
    const auto& picker = QuickColorPickerController::shared();
    return picker.isActive() || picker.isPreparing();
}

void RealShellServices::startColorPicker() { QuickColorPickerController::shared().start(); }

void RealShellServices::notifyQuickCapturePermissionDenied()
{
    if (QuickCaptureService::onPermissionDenied) QuickCaptureService::onPermissionDenied();
}

void RealShellServices::toggleRecording() { RecMenuProvider::shared().toggleAction(); }

void RealShellServices::validateRecordMenuItem(QAction* item) { RecMenuProvider::shared().validateMenuItem(item); }

void RealShellServices::recoverLeftoverRecordings() { RecService::shared().recoverLeftovers(); }

void RealShellServices::setRecordingStateCallback(std::function<void(bool)> callback)
{
    RecService::shared().onRecordingStateChanged = std::move(callback);
}

ShellScrollState RealShellServices::scrollState()
{
    switch (ScrollCaptureService::shared().state) {
    case ScrollCaptureService::ScrollState::idle:
        return ShellScrollState::idle;
    case ScrollCaptureService::ScrollState::picking:
        return ShellScrollState::picking;
    case ScrollCaptureService::ScrollState::capturing:
        return ShellScrollState::capturing;
    case ScrollCaptureService::ScrollState::stitching:
        break;
    }
    return ShellScrollState::stitching;
}

void RealShellServices::beginScrollCapture() { ScrollCaptureService::shared().beginFlow(); }
void RealShellServices::cancelScrollCapture() { ScrollCaptureService::shared().cancelCapture(); }
void RealShellServices::finishScrollCaptureForQuit() { ScrollCaptureService::shared().finishForQuit(); }

bool RealShellServices::overlayIsActive() { return SelOverlayController::shared().isActive(); }

void RealShellServices::overlayBeginTranslate()
{
    SelRequest request;
    request.primaryAction = SelAction::translate;
    SelOverlayController::shared().begin(std::move(request));
    // The engines load while the user picks the region, so the first
    // translation does not wait for them.
    platform::warmUpTextServices(Settings::targetLanguage(), true);
}

void RealShellServices::overlayFinishWithoutResult() { SelOverlayController::shared().cancel(); }

void RealShellServices::captureForTranslation(ShellCaptureMode mode,
                                              std::function<void(std::optional<ShellCapture>)> done)
{
    const auto captureMode =
        mode == ShellCaptureMode::fullScreen ? CaptureService::Mode::fullScreen : CaptureService::Mode::interactive;
    // The engines load while the user picks a region; for the whole screen
    // they load once it is taken (their loading would hold the grab back by
    // a tenth of a second), while it is laid out.
    const bool whole = captureMode == CaptureService::Mode::fullScreen;
    if (!whole) platform::warmUpTextServices(Settings::targetLanguage(), true);
    // X11 cannot keep our own windows out of a grab: take them off the screen
    // first (the previous result and a toast for good, the library and the
    // others until the grab is done) and give the desktop a moment to repaint.
    // A compositor may fade them out over a few frames: the grab waits for
    // the screen where they showed to change and stand still.
    const platform::ShownOwnWindows shown = platform::ShownOwnWindows::now();
    const bool panelWasShown = ResultPanelController::shared().hideForCapture();
    const bool toastWasShown = CaptureHUDController::shared().hideForCapture();
    auto hidden = std::make_shared<platform::HiddenOwnWindows>(platform::HiddenOwnWindows::hideAll());
    auto run = [captureMode, whole, hidden, done = std::move(done)]() mutable {
        StabilityCaptureService::capture(captureMode,
                                         [whole, hidden, done = std::move(done)](platform::CaptureOutcome outcome) {
                                             hidden->restore();
                                             if (whole && outcome.ok())
                                                 platform::warmUpTextServices(Settings::targetLanguage(), true);
                                             if (!outcome.ok()) {
                                                 reportCaptureFailure(outcome);
                                                 done(std::nullopt);
                                                 return;
                                             }
                                             done(ShellCapture{outcome.image, outcome.scale});
                                         });
    };
    const bool wentOff = panelWasShown || toastWasShown || !hidden->isEmpty();
    shown.whenGone(QDeadlineTimer(wentOff ? kRepaintDelayMs : 0),
                   QDeadlineTimer(platform::ShownOwnWindows::longestFadeMs), std::move(run));
}

void RealShellServices::recognizeAndShowResult(const ShellCapture& capture)
{
    ResultPanelController::shared().showCapture(capture.image, capture.scale);
}

void RealShellServices::stopRecordingForQuit() { RecService::shared().handleAppTermination(); }
void RealShellServices::uploadCloudBackupOnQuit() { CloudSync::shared().uploadOnQuit(); }

void RealShellServices::flushVocabulary()
{
    auto& store = VocabularyStore::shared();
    store.ioQueue().sync([&store] { store.flush(); });
}

}  // namespace klipo
