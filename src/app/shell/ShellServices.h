#pragma once

#include <QImage>
#include <QKeySequence>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QAction;
class QMenu;
class QObject;

namespace klipo {

enum class ShellCaptureMode { interactive, fullScreen };

// The sections of the library window the shell opens it at.
enum class ShellLibrarySection { history = 0, vocabulary = 1 };

// The scrolling-capture states the shell reads to decide what its hot key does.
enum class ShellScrollState { idle, picking, capturing, stitching };

// One modal alert: message, informative text, buttons in order. The answer is
// the index of the button pressed.
struct ShellAlert {
    enum class Style { warning, informational };
    Style style = Style::informational;
    QString message;
    QString informativeText;
    QStringList buttons;
};

// Where a name's hot key stands after registration: working (also when no
// shortcut is stored), or refused with the reason.
// duplicate: another of the program's shortcuts has the same combination and runs instead.
enum class ShellHotKeyState { working, taken, unsupported, noModifier, duplicate, failed };

// A finished full-screen or interactive capture handed to recognition.
struct ShellCapture {
    QImage image;
    double scale = 1.0;
};

// Everything the application delegate reaches outside itself. The real
// implementation talks to the process-wide services; tests use a fake that
// records the order of the calls.
class ShellServices {
public:
    virtual ~ShellServices() = default;

    // Launch hooks and settings.
    virtual void runInterfaceSnapshotSelfCheck() = 0;
    virtual void applyAppearance() = 0;
    virtual void runShortcutMigration() = 0;
    virtual void runRecordingSelfCheck() = 0;
    virtual void runScrollingSelfCheck() = 0;
    virtual void startAutoCloudBackup() = 0;
    virtual bool menuBarOnly() = 0;
    virtual bool overlayEnabled() = 0;

    // Shortcuts. `registerHotKey` tells whether the hot key works or why not.
    virtual ShellHotKeyState registerHotKey(const QString& name, std::function<void()> action) = 0;
    // The names whose stored shortcut was damaged and has been set back to its
    // default (or cleared) since the last call.
    virtual QStringList takeResetShortcuts() = 0;
    virtual void bindMenuShortcut(QAction* item, const QString& name) = 0;
    // Display text of the stored shortcut; none when the user cleared it.
    virtual std::optional<QString> shortcutText(const QString& name) = 0;
    // The key combinations of every hot key of the program, and a call back
    // whenever one of them changes.
    virtual QList<QKeySequence> hotKeySequences() = 0;
    virtual void observeHotKeyChanges(std::function<void()> changed) = 0;

    // Windows.
    // The library window in front and active, at the section.
    virtual void showLibrary(ShellLibrarySection section) = 0;
    // The library window in front and active at the section it shows.
    virtual void reopenLibrary() = 0;
    // Called whenever the user closes the library window.
    virtual void observeLibraryClosed(std::function<void()> closed) = 0;
    virtual void showSettings() = 0;
    virtual int runAlert(const ShellAlert& alert) = 0;
    virtual void openScreenCaptureSettings() = 0;
    virtual void checkForUpdates() = 0;
    // A click on the toast runs `onClick` when there is one.
    virtual void showToast(const QString& title, const QString& subtitle, std::function<void()> onClick = {}) = 0;
    // Once at launch: when no language pack translates into the target
    // language, a toast says so (after any toast already showing) and a click
    // on it opens the target-language picker.
    virtual void tellIfTargetLanguageUnreachable() = 0;

    // Screen access.
    virtual bool canCapture() = 0;
    virtual void requestCaptureAccess() = 0;

    // Menu items made by the feature providers (rows 4 to 6).
    virtual QAction* makeAnnotateMenuItem(QMenu* menu) = 0;
    virtual QAction* makePinMenuItem(QMenu* menu) = 0;
    virtual QAction* makeQuickCaptureMenuItem(QMenu* menu) = 0;

    // Commands the shell only starts.
    virtual void startPlainCapture(std::function<void()> onPermissionDenied) = 0;
    virtual void pinFromClipboard() = 0;
    virtual void startCaptureAndAnnotate() = 0;
    virtual void setQuickCaptureCallbacks(std::function<void()> onPermissionDenied,
                                          std::function<void(std::optional<int>)> onCountdownTick) = 0;
    virtual void startDelayedCapture() = 0;
    // The delayed capture's countdown on the screen, for a desktop where no
    // tray shows it on the icon: the seconds left; none takes it away.
    virtual void showCountdown(std::optional<int> seconds) = 0;
    virtual void captureLastArea() = 0;
    // Colour picker: state and start.
    virtual bool colorPickerBusy() = 0;  // active or preparing
    virtual void startColorPicker() = 0;
    virtual void notifyQuickCapturePermissionDenied() = 0;

    virtual void toggleRecording() = 0;
    virtual void setRecordingStateCallback(std::function<void(bool)> callback) = 0;
    // The recording item's title for the recording's state, as the menu opens.
    virtual void validateRecordMenuItem(QAction* item) = 0;
    // Recordings an earlier run left behind go to the capture folder (a toast names them).
    virtual void recoverLeftoverRecordings() = 0;
    virtual ShellScrollState scrollState() = 0;
    virtual void beginScrollCapture() = 0;
    virtual void cancelScrollCapture() = 0;
    // At quit: what was captured is stitched and saved, not dropped.
    virtual void finishScrollCaptureForQuit() = 0;

    // The capture overlay.
    virtual bool overlayIsActive() = 0;
    virtual void overlayBeginTranslate() = 0;
    virtual void overlayFinishWithoutResult() = 0;

    // Full-screen translation and the overlay-off path: capture (result on the
    // main thread; none when cancelled or failed, failures already reported),
    // then recognition and the result panel.
    virtual void captureForTranslation(ShellCaptureMode mode,
                                       std::function<void(std::optional<ShellCapture>)> done) = 0;
    virtual void recognizeAndShowResult(const ShellCapture& capture) = 0;

    // Quit steps.
    virtual void stopRecordingForQuit() = 0;
    virtual void uploadCloudBackupOnQuit() = 0;
    virtual void flushVocabulary() = 0;
};

}  // namespace klipo
