#include "tools/QuickCaptureService.h"

#include "app/FeaturePending.h"
#include "tools/QuickColorPicker.h"

#include <QAction>
#include <QMenu>

namespace klipo {

std::function<void()> QuickCaptureService::onPermissionDenied;
std::function<void(std::optional<int>)> QuickCaptureService::onCountdownTick;

void QuickCaptureService::startDelayedCapture(std::optional<int>) { showFeaturePending(QStringLiteral("延时截图")); }

void QuickCaptureService::captureLastArea() { showFeaturePending(QStringLiteral("截取上一次区域")); }

QuickCaptureMenuProvider& QuickCaptureMenuProvider::shared()
{
    static QuickCaptureMenuProvider provider;
    return provider;
}

QAction* QuickCaptureMenuProvider::makeMenuItem(QObject* parent)
{
    auto* menu = new QMenu(QStringLiteral("快捷截图"));
    QObject::connect(parent, &QObject::destroyed, menu, &QObject::deleteLater);
    QObject::connect(menu->addAction(QStringLiteral("延时截图")), &QAction::triggered, menu,
                     [] { QuickCaptureService::startDelayedCapture(); });
    QObject::connect(menu->addAction(QStringLiteral("截取上一次区域")), &QAction::triggered, menu,
                     [] { QuickCaptureService::captureLastArea(); });
    QObject::connect(menu->addAction(QStringLiteral("取色器")), &QAction::triggered, menu,
                     [] { QuickColorPickerController::shared().start(); });
    return menu->menuAction();
}

}  // namespace klipo
