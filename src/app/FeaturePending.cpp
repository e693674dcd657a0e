#include "app/FeaturePending.h"

#include "app/CaptureHUD.h"

namespace klipo {

void showFeaturePending(const QString& featureTitle)
{
    CaptureHUDController::shared().show(QStringLiteral("「%1」暂不可用").arg(featureTitle),
                                        QStringLiteral("此功能将在后续版本中提供"), QImage(), QString(), 2.2);
}

}  // namespace klipo
