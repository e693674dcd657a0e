#include "tools/PlainCaptureService.h"

#include "app/FeaturePending.h"

namespace klipo::PlainCaptureService {

void start(std::function<void()>) { showFeaturePending(QStringLiteral("普通截图")); }

}  // namespace klipo::PlainCaptureService
