#pragma once

#include "platform/ScreenshotTool.h"

namespace klipo::platform {

// The screenshot tool of a session that cannot show us the screen (Wayland,
// no display): every capture fails with the same reason.
class UnavailableScreenshotTool final : public ScreenshotTool {
public:
    explicit UnavailableScreenshotTool(QString reason) : m_reason(std::move(reason)) {}
    void capture(const CaptureOptions& options, std::function<void(CaptureOutcome)> done) override;

private:
    QString m_reason;
};

}  // namespace klipo::platform
