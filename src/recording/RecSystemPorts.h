#pragma once

#include "platform/OwnWindows.h"
#include "recording/RecPorts.h"

namespace klipo {

// The recording flow's real neighbours: the capture overlay, the engine, the
// session's microphone, the capture folder, the toast and the desktop's
// notifications.
class RecSystemPorts final : public RecPorts {
public:
    bool overlayIsActive() override;
    void beginPick(std::function<void(std::optional<RecPick>)> done) override;
    void endPick() override;

    void checkMicrophone(std::function<void(std::optional<QString>)> done) override;
    std::shared_ptr<RecRecorder> makeRecorder(const RecTarget& target, const RecOptions& options,
                                              const QString& tempPath) override;

    std::optional<QString> stopShortcutText() override;
    QString captureFolder() override;
    QString captureFolderDisplayName() override;
    QString recordingFolder() override;

    void keepOutOfRegion(std::optional<QRect> region, const QList<QWidget*>& recordingWindows) override;
    void toast(const QString& title, const QString& subtitle, const QString& file) override;
    void notify(const QString& title, const QString& body) override;

    double monotonicSeconds() override;
    QDateTime now() override;

private:
    std::unique_ptr<platform::OwnWindowsKeptOut> m_keptOut;
};

}  // namespace klipo
