#include "app/PrefsCaptureFeedback.h"

#include "app/Settings.h"
#include "platform/DesktopNotifier.h"
#include "platform/PlatformServices.h"

#include <QFileInfo>

namespace klipo::PrefsCaptureFeedback {

void finishCapture(const std::optional<QString>& filePath)
{
    const platform::PlatformServices& services = platform::services();
    if (Settings::captureSoundEnabled() && services.sounds) services.sounds->play(Settings::captureSoundName());

    if (Settings::captureShowNotification()) {
        const QString title = filePath ? QStringLiteral("截图已保存") : QStringLiteral("截图已复制到剪贴板");
        postNotification(title, filePath ? QFileInfo(*filePath).fileName() : QString());
    }

    if (!filePath || !services.files) return;
    switch (Settings::captureAfterAction()) {
    case PrefsAfterCaptureAction::none:
        break;
    case PrefsAfterCaptureAction::revealInFinder:
        services.files->reveal(*filePath);
        break;
    case PrefsAfterCaptureAction::openInPreview:
        services.files->open(*filePath);
        break;
    }
}

void postNotification(const QString& title, const QString& body)
{
    if (platform::DesktopNotifier* notifier = platform::services().notifier) notifier->post(title, body);
}

void requestNotificationAuthorization() {}

}  // namespace klipo::PrefsCaptureFeedback
