#pragma once

#include "app/shell/ShellServices.h"

#include <QObject>
#include <QString>

namespace klipo {

class UpdateChecker;

// ShellServices over the program's real, process-wide services.
class RealShellServices final : public QObject, public ShellServices {
    Q_OBJECT
public:
    explicit RealShellServices(QObject* parent = nullptr);
    ~RealShellServices() override;

    void runInterfaceSnapshotSelfCheck() override;
    void applyAppearance() override;
    void runShortcutMigration() override;
    void runRecordingSelfCheck() override;
    void runScrollingSelfCheck() override;
    void startAutoCloudBackup() override;
    bool menuBarOnly() override;
    bool overlayEnabled() override;

    ShellHotKeyState registerHotKey(const QString& name, std::function<void()> action) override;
    QStringList takeResetShortcuts() override;
    void bindMenuShortcut(QAction* item, const QString& name) override;
    std::optional<QString> shortcutText(const QString& name) override;
    QList<QKeySequence> hotKeySequences() override;
    void observeHotKeyChanges(std::function<void()> changed) override;

    void showLibrary(ShellLibrarySection section) override;
    void reopenLibrary() override;
    void observeLibraryClosed(std::function<void()> closed) override;
    void showSettings() override;
    int runAlert(const ShellAlert& alert) override;
    void openScreenCaptureSettings() override;
    void checkForUpdates() override;
    void showToast(const QString& title, const QString& subtitle, std::function<void()> onClick = {}) override;
    void tellIfTargetLanguageUnreachable() override;

    bool canCapture() override;
    void requestCaptureAccess() override;

    QAction* makeAnnotateMenuItem(QMenu* menu) override;
    QAction* makePinMenuItem(QMenu* menu) override;
    QAction* makeQuickCaptureMenuItem(QMenu* menu) override;

    void startPlainCapture(std::function<void()> onPermissionDenied) override;
    void pinFromClipboard() override;
    void startCaptureAndAnnotate() override;
    void setQuickCaptureCallbacks(std::function<void()> onPermissionDenied,
                                  std::function<void(std::optional<int>)> onCountdownTick) override;
    void startDelayedCapture() override;
    void showCountdown(std::optional<int> seconds) override;
    void captureLastArea() override;
    bool colorPickerBusy() override;
    void startColorPicker() override;
    void notifyQuickCapturePermissionDenied() override;

    void toggleRecording() override;
    void setRecordingStateCallback(std::function<void(bool)> callback) override;
    void validateRecordMenuItem(QAction* item) override;
    void recoverLeftoverRecordings() override;
    ShellScrollState scrollState() override;
    void beginScrollCapture() override;
    void cancelScrollCapture() override;
    void finishScrollCaptureForQuit() override;

    bool overlayIsActive() override;
    void overlayBeginTranslate() override;
    void overlayFinishWithoutResult() override;

    void captureForTranslation(ShellCaptureMode mode,
                               std::function<void(std::optional<ShellCapture>)> done) override;
    void recognizeAndShowResult(const ShellCapture& capture) override;

    void stopRecordingForQuit() override;
    void uploadCloudBackupOnQuit() override;
    void flushVocabulary() override;

private:
    UpdateChecker* m_updater;
    QString m_countdownTitle;  // of the countdown on the screen, while it shows
};

}  // namespace klipo
