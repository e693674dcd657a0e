#include "annotation/command/AnnoMenuProvider.h"

#include "annotation/command/AnnoCaptureOverlay.h"
#include "annotation/window/AnnotationWindowController.h"
#include "app/CaptureFailure.h"
#include "app/CaptureHUDController.h"
#include "app/CaptureService.h"
#include "app/Settings.h"
#include "GlobalShortcuts/MenuBinding.h"
#include "platform/CapturePermission.h"
#include "platform/PlatformServices.h"
#include "platform/SerialQueue.h"
#include "recognition/ResultPanelController.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThreadPool>
#include <QTimer>

namespace klipo {

namespace {

struct CommandState {
    std::shared_ptr<AnnoCaptureOverlay> overlay;
    std::function<void()> alert;
    bool picking = false;
};

CommandState& state()
{
    static CommandState s;
    return s;
}

void runPermissionAlert()
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("需要屏幕录制权限"), QStringLiteral("需要屏幕录制权限"));
    // Linux has nothing to grant: what blocks capture is the session type.
    box.setInformativeText(QStringLiteral(
        "KlipoVersa 需要在 X11（Xorg）会话中运行才能截取屏幕。请在登录界面选择 X11 会话，然后重新启动应用。"
        "（Linux 上没有可打开的屏幕录制权限设置页。）"));
    QPushButton* settings = box.addButton(QStringLiteral("打开系统设置"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("稍后"), QMessageBox::RejectRole);
    box.activateWindow();
    box.exec();
    if (box.clickedButton() == settings)
        CaptureHUDController::shared().show(QStringLiteral("没有可打开的设置页"),
                                            QStringLiteral("请在登录界面选择 X11 会话后重新启动 KlipoVersa"));
}

}  // namespace

AnnoMenuProvider& AnnoMenuProvider::shared()
{
    static AnnoMenuProvider* provider = new AnnoMenuProvider();
    return *provider;
}

QAction* AnnoMenuProvider::makeMenuItem(QObject* parent)
{
    auto* action = new QAction(QStringLiteral("截图标注"), parent);
    action->setToolTip(QStringLiteral("截图后先标注（箭头 / 马赛克 / 文字…），点完成再翻译"));
    connect(action, &QAction::triggered, this, &AnnoMenuProvider::startFromMenu);
    GlobalShortcuts::setShortcut(action, GlobalShortcuts::Name::captureAnnotate());
    return action;
}

void AnnoMenuProvider::startFromMenu() { startCaptureAndAnnotate(); }

void AnnoMenuProvider::setOverlay(std::shared_ptr<AnnoCaptureOverlay> overlay) { state().overlay = std::move(overlay); }

void AnnoMenuProvider::setPermissionAlert(std::function<void()> alert) { state().alert = std::move(alert); }

bool AnnoMenuProvider::isPicking() { return state().picking; }

void AnnoMenuProvider::startCaptureAndAnnotate()
{
    platform::CapturePermission* permission = platform::services().permission;
    if (!permission || !permission->canCapture()) {
        if (permission) permission->request();
        showPermissionAlert();
        return;
    }
    if (const std::shared_ptr<AnnoCaptureOverlay> overlay = state().overlay;
        overlay && Settings::selCaptureOverlayEnabled()) {
        if (overlay->isActive())
            overlay->close();
        else
            overlay->beginCopy();
        return;
    }
    AnnotationWindowController& window = AnnotationWindowController::shared();
    if (window.isSessionOpen()) {
        window.bringToFront();  // its marks are not thrown away for a new pick
        return;
    }
    if (state().picking) return;
    state().picking = true;
    QThreadPool::globalInstance()->start([] {
        platform::CaptureOutcome outcome = CaptureService::captureInteractive(false);
        platform::runOnMain([outcome = std::move(outcome)] {
            state().picking = false;
            if (!outcome.ok()) {
                reportCaptureFailure(outcome);  // a cancel stays silent
                return;
            }
            const double scale = outcome.scale;
            AnnotationWindowController::shared().show(outcome.image, [scale](std::optional<QImage> image) {
                if (image) handOffToTranslation(*image, scale);
            });
        });
    });
    // The first window is built while the user picks, not after.
    QTimer::singleShot(0, qApp, [] { AnnotationWindowController::shared().prepare(); });
}

void AnnoMenuProvider::handOffToTranslation(const QImage& image, double scale)
{
    // Recognition without word anchors, then the panel; a recognition failure
    // is shown there, not passed off as a picture without text.
    ResultPanelController::shared().showCapture(image, scale);
}

void AnnoMenuProvider::showPermissionAlert()
{
    if (const std::function<void()> alert = state().alert)
        alert();
    else
        runPermissionAlert();
}

}  // namespace klipo
