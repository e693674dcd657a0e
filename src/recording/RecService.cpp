#include "recording/RecService.h"

#include "app/FeaturePending.h"

namespace klipo {

RecService& RecService::shared()
{
    static RecService service;
    return service;
}

void RecService::toggle() { showFeaturePending(QStringLiteral("局部录屏")); }

void RecService::handleAppTermination() {}

}  // namespace klipo
