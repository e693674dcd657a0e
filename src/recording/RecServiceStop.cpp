// The end of a recording: the stop and the saved file, a screen change, the
// quit, and the recordings an earlier run left behind.
#include "recording/RecService.h"

#include "platform/SerialQueue.h"
#include "recording/RecFiles.h"
#include "recording/RecMessages.h"

#include <QFile>

#include <thread>

namespace klipo {

namespace {
// How long the quit waits for the file to be finished.
constexpr double quitTimeoutSeconds = 5.0;
}  // namespace

void RecService::stopRecording(const std::optional<QString>& note)
{
    if (state != RecState::recording || !m_engine) return;
    state = RecState::stopping;
    m_timer.stop();
    const double elapsed = m_startedAt ? m_ports->monotonicSeconds() - *m_startedAt : 0.0;
    cleanupChrome();
    if (onRecordingStateChanged) onRecordingStateChanged(false);

    const quint64 serial = m_engineSerial;
    const RecFormat format = m_format;
    QPointer<RecService> self(this);
    std::shared_ptr<RecRecorder> engine = m_engine;
    engine->stopAsync([self, engine, serial, format, elapsed, note](RecStopResult result) {
        if (self) self->finalizeStop(serial, result, format, elapsed, note);
    });
}

void RecService::finalizeStop(quint64 serial, const RecStopResult& result, RecFormat format, double elapsed,
                              const std::optional<QString>& note)
{
    // The quit took this recording over already.
    if (state != RecState::stopping || serial != m_engineSerial) return;
    letRegionGo();
    m_engine.reset();
    stopObservingScreenChanges();
    m_screen = nullptr;
    m_startedAt.reset();
    state = RecState::idle;

    std::optional<RecFiles::ExportResult> saved;
    if (result.file)
        saved = RecFiles::exportRecording(*result.file, format, m_ports->captureFolder(), m_ports->now());
    const RecMessages::Message message = RecMessages::stopOutcome(result, saved ? &*saved : nullptr, elapsed, note,
                                                                  m_ports->captureFolderDisplayName());
    m_ports->toast(message.title, message.text, message.file);
    if (saved && saved->ok()) m_lastSaved = saved->savedPath;
    if (onSavedForTest) onSavedForTest(saved && saved->ok() ? saved->savedPath : std::nullopt);
}

void RecService::screenParametersDidChange()
{
    switch (state) {
    case RecState::recording: stopRecording(QStringLiteral("屏幕参数变化，已停止并保存")); break;
    case RecState::options:
        cancelFlow();
        m_ports->toast(QStringLiteral("录屏已取消"), QStringLiteral("屏幕参数发生变化，选区已失效"));
        break;
    case RecState::idle:
    case RecState::picking:
    case RecState::starting:
    case RecState::stopping: break;
    }
}

void RecService::handleAppTermination()
{
    switch (state) {
    case RecState::idle:
    case RecState::picking: return;
    case RecState::options:
        cleanupChrome();
        stopObservingScreenChanges();
        m_screen = nullptr;
        state = RecState::idle;
        return;
    case RecState::starting:
    case RecState::recording:
    case RecState::stopping: break;
    }
    const bool wasRecording = state != RecState::starting;
    cleanupChrome();
    stopObservingScreenChanges();
    std::shared_ptr<RecRecorder> engine = takeEngine();
    ++m_engineSerial;  // a stop under way finds its recording taken over
    m_screen = nullptr;
    m_startedAt.reset();
    state = RecState::idle;
    if (!engine) return;

    // Waits for the stop, also one that is already running, and saves what
    // it gives; on time-out it saves what exists so far (written in
    // fragments, it plays up to the last one).
    RecStopResult result = engine->stopSyncForTermination(quitTimeoutSeconds);
    std::optional<QString> file = result.file;
    if (result.timedOut) {
        if (QFile::exists(engine->tempPath())) file = engine->tempPath();
        // Dropping the engine would wait for its stop without bound.
        (void)new std::shared_ptr<RecRecorder>(std::move(engine));
    }
    std::optional<RecFiles::ExportResult> saved;
    if (file) saved = RecFiles::exportRecording(*file, m_format, m_ports->captureFolder(), m_ports->now());
    if (const auto message = RecMessages::quitOutcome(result, saved ? &*saved : nullptr, wasRecording))
        m_ports->notify(message->title, message->text);
}

void RecService::recoverLeftovers()
{
    if (m_recovering) return;
    m_recovering = true;
    const QString captureFolder = m_ports->captureFolder();
    const QString recordingFolder = m_ports->recordingFolder();
    QPointer<RecService> self(this);
    std::thread([self, captureFolder, recordingFolder] {
        const QList<RecFiles::Leftover> found = RecFiles::recoverLeftovers(captureFolder, recordingFolder);
        platform::runOnMain([self, found] {
            if (!self) return;
            self->m_recovering = false;
            if (const auto message = RecMessages::leftoversFound(found, self->m_ports->captureFolderDisplayName()))
                self->m_ports->toast(message->title, message->text, message->file);
            if (auto next = std::exchange(self->m_afterRecovery, {})) next();
        });
    }).detach();
}

}  // namespace klipo
