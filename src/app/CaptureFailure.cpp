#include "app/CaptureFailure.h"

#include "app/CaptureHUDController.h"
#include "platform/SerialQueue.h"

namespace klipo {

void reportCaptureFailure(const platform::CaptureOutcome& outcome)
{
    if (outcome.status != platform::CaptureOutcome::Status::Failed) return;
    const QString reason = outcome.error.isEmpty() ? QStringLiteral("未能读取屏幕画面") : outcome.error;
    const auto toast = [reason] { CaptureHUDController::shared().show(QStringLiteral("截图失败"), reason); };
    if (platform::isMainThread()) toast();
    else platform::runOnMain(toast);
}

}  // namespace klipo
