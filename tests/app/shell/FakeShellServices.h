#pragma once

#include "app/shell/ShellServices.h"

#include <QAction>
#include <QMap>
#include <QMenu>
#include <QStringList>

#include <utility>

namespace klipo::test {

// Records every call the delegate makes, in order, and answers with the
// values a test sets.
class FakeShellServices : public ShellServices {
public:
    QStringList calls;
    int targetLanguageChecks = 0;
    QMap<QString, std::function<void()>> hotKeys;
    QMap<QString, ShellHotKeyState> refusedHotKeys;
    QStringList resetShortcuts;
    QMap<QString, QString> shortcuts = {{"captureTranslate", "Ctrl+Shift+T"},
                                        {"captureFullScreenTranslate", "Ctrl+Shift+F"},
                                        {"plainCapture", "Ctrl+Shift+S"}};
    QList<ShellAlert> alerts;
    int alertAnswer = 1;
    bool menuBarOnlyValue = false;
    bool overlayEnabledValue = true;
    bool canCaptureValue = true;
    bool overlayActive = false;
    bool colorPickerBusyValue = false;
    ShellScrollState scroll = ShellScrollState::idle;
    std::optional<ShellCapture> nextCapture;
    std::function<void()> quickPermissionDenied;
    std::function<void(std::optional<int>)> countdownTick;
    std::function<void(bool)> recordingCallback;
    QString recordMenuTitle = QStringLiteral("局部录屏");
    QList<QPair<QString, QString>> toasts;
    std::function<void()> toastClick;  // of the last toast
    std::function<void()> libraryClosed;
    QList<std::optional<int>> countdownShown;

    void runInterfaceSnapshotSelfCheck() override { calls << "uiSnapshotSelfCheck"; }
    void applyAppearance() override { calls << "appearance"; }
    void runShortcutMigration() override { calls << "shortcutMigration"; }
    void runRecordingSelfCheck() override { calls << "recSelfCheck"; }
    void runScrollingSelfCheck() override { calls << "scrollSelfCheck"; }
    void startAutoCloudBackup() override { calls << "startAutoSync"; }
    bool menuBarOnly() override { return menuBarOnlyValue; }
    bool overlayEnabled() override { return overlayEnabledValue; }
    ShellHotKeyState registerHotKey(const QString& name, std::function<void()> action) override
    {
        calls << "hotKey:" + name;
        hotKeys[name] = std::move(action);
        return refusedHotKeys.value(name, ShellHotKeyState::working);
    }
    QStringList takeResetShortcuts() override { return std::exchange(resetShortcuts, {}); }
    void bindMenuShortcut(QAction*, const QString&) override {}
    std::optional<QString> shortcutText(const QString& name) override
    {
        return shortcuts.contains(name) ? std::optional(shortcuts.value(name)) : std::nullopt;
    }
    QList<QKeySequence> hotKeyCombinations;
    std::function<void()> hotKeysChanged;
    QList<QKeySequence> hotKeySequences() override { return hotKeyCombinations; }
    void observeHotKeyChanges(std::function<void()> changed) override { hotKeysChanged = std::move(changed); }
    void showLibrary(ShellLibrarySection s) override
    {
        calls << (s == ShellLibrarySection::vocabulary ? "showLibrary:vocabulary" : "showLibrary:history");
    }
    void reopenLibrary() override { calls << "reopenLibrary"; }
    void showSettings() override { calls << "showSettings"; }
    int runAlert(const ShellAlert& alert) override
    {
        alerts << alert;
        calls << "alert:" + alert.message;
        return alertAnswer;
    }
    void openScreenCaptureSettings() override { calls << "openCaptureSettings"; }
    void checkForUpdates() override { calls << "checkForUpdates"; }
    void showToast(const QString& title, const QString& subtitle, std::function<void()> onClick) override
    {
        toasts << qMakePair(title, subtitle);
        toastClick = std::move(onClick);
    }
    void observeLibraryClosed(std::function<void()> closed) override { libraryClosed = std::move(closed); }
    void showCountdown(std::optional<int> seconds) override { countdownShown << seconds; }
    void tellIfTargetLanguageUnreachable() override { ++targetLanguageChecks; }
    bool canCapture() override { return canCaptureValue; }
    void requestCaptureAccess() override { calls << "requestAccess"; }
    QAction* makeAnnotateMenuItem(QMenu* menu) override { return new QAction("截图标注", menu); }
    QAction* makePinMenuItem(QMenu* menu) override { return new QAction("贴图", menu); }
    QAction* makeQuickCaptureMenuItem(QMenu* menu) override { return new QAction("快捷截图", menu); }
    void startPlainCapture(std::function<void()> onPermissionDenied) override
    {
        calls << "plainCapture";
        if (!canCaptureValue) onPermissionDenied();
    }
    void pinFromClipboard() override { calls << "pinFromClipboard"; }
    void startCaptureAndAnnotate() override { calls << "annotate"; }
    void setQuickCaptureCallbacks(std::function<void()> denied, std::function<void(std::optional<int>)> tick) override
    {
        calls << "quickCallbacks";
        quickPermissionDenied = std::move(denied);
        countdownTick = std::move(tick);
    }
    void startDelayedCapture() override { calls << "delayedCapture"; }
    void captureLastArea() override { calls << "captureLastArea"; }
    bool colorPickerBusy() override { return colorPickerBusyValue; }
    void startColorPicker() override { calls << "colorPicker"; }
    void notifyQuickCapturePermissionDenied() override
    {
        calls << "quickPermissionDenied";
        if (quickPermissionDenied) quickPermissionDenied();
    }
    void toggleRecording() override { calls << "toggleRecording"; }
    void setRecordingStateCallback(std::function<void(bool)> callback) override
    {
        calls << "recordingCallback";
        recordingCallback = std::move(callback);
    }
    void validateRecordMenuItem(QAction* item) override { item->setText(recordMenuTitle); }
    void recoverLeftoverRecordings() override { calls << "recLeftovers"; }
    ShellScrollState scrollState() override { return scroll; }
    void beginScrollCapture() override { calls << "scrollBegin"; }
    void cancelScrollCapture() override { calls << "scrollCancel"; }
    void finishScrollCaptureForQuit() override { calls << "scrollQuit"; }
    bool overlayIsActive() override { return overlayActive; }
    void overlayBeginTranslate() override
    {
        calls << "overlayBegin";
        overlayActive = true;
    }
    void overlayFinishWithoutResult() override
    {
        calls << "overlayFinish";
        overlayActive = false;
    }
    void captureForTranslation(ShellCaptureMode mode, std::function<void(std::optional<ShellCapture>)> done) override
    {
        calls << (mode == ShellCaptureMode::fullScreen ? "capture:fullScreen" : "capture:interactive");
        done(nextCapture);
    }
    void recognizeAndShowResult(const ShellCapture&) override { calls << "resultPanel"; }
    void stopRecordingForQuit() override { calls << "recordingQuit"; }
    void uploadCloudBackupOnQuit() override { calls << "cloudUploadOnQuit"; }
    void flushVocabulary() override { calls << "vocabularyFlush"; }
};

}  // namespace klipo::test
