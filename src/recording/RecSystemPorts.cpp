#include "recording/RecSystemPorts.h"

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/Name.h"
#include "app/CaptureHUDController.h"
#include "app/Settings.h"
#include "overlay/SelOverlayController.h"
#include "platform/DesktopNotifier.h"
#include "platform/Microphone.h"
#include "platform/OwnFolders.h"
#include "platform/PlatformServices.h"
#include "platform/SerialQueue.h"
#include "platform/WindowFocus.h"
#include "platform/media/MediaClock.h"

#include <QKeySequence>

#include <thread>

namespace klipo {

namespace {

// The engine as the flow drives it.
class EngineRecorder final : public RecRecorder {
public:
    EngineRecorder(const RecTarget& target, const RecOptions& options, const QString& tempPath)
        : m_engine(target, options, tempPath)
    {
    }
    void setOnRuntimeError(std::function<void(const QString&)> callback) override
    {
        m_engine.setOnRuntimeError(std::move(callback));
    }
    void startAsync(std::function<void(std::optional<QString>)> done) override { m_engine.startAsync(std::move(done)); }
    void stopAsync(std::function<void(RecStopResult)> done) override { m_engine.stopAsync(std::move(done)); }
    RecStopResult stopSyncForTermination(double timeoutSeconds) override
    {
        return m_engine.stopSyncForTermination(timeoutSeconds);
    }
    std::optional<QString> microphoneError() const override { return m_engine.microphoneError(); }
    QString tempPath() const override { return m_engine.tempPath(); }

private:
    RecEngine m_engine;
};

}  // namespace

bool RecSystemPorts::overlayIsActive() { return SelOverlayController::shared().isActive(); }

void RecSystemPorts::beginPick(std::function<void(std::optional<RecPick>)> done)
{
    SelRequest request;
    request.mode = SelRequest::Mode::pickRect;
    // The options bar takes the keyboard after the pick and hands it back to this window.
    const std::optional<platform::NativeWindowId> focusBefore = platform::windowFocus().activeWindow();
    request.pickRectCompletion = [done = std::move(done), focusBefore](std::optional<SelPickedRect> picked) {
        if (!picked) {
            done(std::nullopt);
            return;
        }
        done(RecPick{picked->screen, picked->screenGeometry, picked->rectFromBottomLeft(), focusBefore});
    };
    SelOverlayController::shared().begin(std::move(request));
}

void RecSystemPorts::endPick() { SelOverlayController::shared().finish(std::nullopt, std::nullopt, true); }

void RecSystemPorts::checkMicrophone(std::function<void(std::optional<QString>)> done)
{
    // Asking the sound server may take a moment when there is none.
    std::thread([done = std::move(done)] {
        const std::optional<QString> reason = platform::createMicrophone()->unavailableReason();
        platform::runOnMain([done, reason] { done(reason); });
    }).detach();
}

std::shared_ptr<RecRecorder> RecSystemPorts::makeRecorder(const RecTarget& target, const RecOptions& options,
                                                          const QString& tempPath)
{
    return std::make_shared<EngineRecorder>(target, options, tempPath);
}

std::optional<QString> RecSystemPorts::stopShortcutText()
{
    const auto shortcut = GlobalShortcuts::getShortcut(GlobalShortcuts::Name::recordScreen());
    if (!shortcut) return std::nullopt;
    // Written as the tray menu writes the item's key text; a key the menu
    // cannot show (a keypad key) keeps its glyph form.
    const QString native = shortcut->keySequence().toString(QKeySequence::NativeText);
    return native.isEmpty() ? shortcut->description() : native;
}

QString RecSystemPorts::captureFolder() { return Settings::plainCaptureDirectory(); }

QString RecSystemPorts::captureFolderDisplayName() { return Settings::plainCaptureDirectoryDisplayName(); }

QString RecSystemPorts::recordingFolder()
{
    return platform::ownfolders::cacheFolder() + QStringLiteral("/recordings");
}

void RecSystemPorts::keepOutOfRegion(std::optional<QRect> region, const QList<QWidget*>& recordingWindows)
{
    CaptureHUDController& hud = CaptureHUDController::shared();
    if (!region) {
        m_keptOut.reset();
        hud.setKeepOut(std::nullopt);
        return;
    }
    if (!m_keptOut) m_keptOut = std::make_unique<platform::OwnWindowsKeptOut>(*region, QList<QPointer<QWidget>>{});
    // The toast moves to a corner clear of the region: its picture there goes too.
    m_keptOut->leaving(hud.panel());
    hud.setKeepOut(region);
    m_keptOut->alsoStaying(hud.panel());
    for (QWidget* window : recordingWindows) m_keptOut->alsoStaying(window);
    m_keptOut->check();
}

void RecSystemPorts::leavingRegion(QWidget* window)
{
    if (m_keptOut) m_keptOut->leaving(window);
}

void RecSystemPorts::whenRegionClear(std::function<void()> then)
{
    if (m_keptOut)
        m_keptOut->whenGone(std::move(then));
    else
        then();
}

void RecSystemPorts::toast(const QString& title, const QString& subtitle, const QString& file)
{
    CaptureHUDController::shared().show(title, subtitle, {}, file, 2.2);
}

void RecSystemPorts::notify(const QString& title, const QString& body)
{
    if (platform::DesktopNotifier* notifier = platform::services().notifier) notifier->post(title, body);
}

double RecSystemPorts::monotonicSeconds() { return double(platform::media::monotonicMicros()) / 1e6; }

QDateTime RecSystemPorts::now() { return QDateTime::currentDateTime(); }

}  // namespace klipo
