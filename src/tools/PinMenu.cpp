#include "tools/PinMenu.h"

#include "GlobalShortcuts/MenuBinding.h"
#include "tools/CaptureReport.h"
#include "tools/PinWindow.h"

#include <QAction>
#include <QMenu>

namespace klipo {

PinMenuProvider& PinMenuProvider::shared()
{
    static PinMenuProvider provider;
    return provider;
}

QAction* PinMenuProvider::makeMenuItem(QObject* parent)
{
    auto* menu = new QMenu(QStringLiteral("贴图"));
    QObject::connect(parent, &QObject::destroyed, menu, &QObject::deleteLater);
    QAction* pin = menu->addAction(QStringLiteral("钉住剪贴板图片"));
    QObject::connect(pin, &QAction::triggered, menu, [] { pinFromClipboard(); });
    GlobalShortcuts::setShortcut(pin, GlobalShortcuts::Name::pinFromClipboard());
    QAction* closeAll = menu->addAction(QStringLiteral("关闭全部贴图"));
    QObject::connect(closeAll, &QAction::triggered, menu, [] { PinWindowController::closeAll(); });
    menu->addSeparator();
    menu->addAction(QStringLiteral("贴图浮在最上层（全屏应用之上也能看见）；拖动移动，滚轮缩放，双击关闭"))
        ->setEnabled(false);
    QObject::connect(menu, &QMenu::aboutToShow, closeAll,
                     [closeAll] { closeAll->setEnabled(!PinWindowController::pinned().isEmpty()); });
    return menu->menuAction();
}

void PinMenuProvider::pinFromClipboard()
{
    const QImage image = PinWindowController::clipboardImage();
    if (!image.isNull() && PinWindowController::pin(image)) return;
    CaptureReport::show({QStringLiteral("剪贴板里没有图片"),
                         QStringLiteral("先复制一张图片，或截图后点结果面板的「钉在桌面」")});
}

}  // namespace klipo
