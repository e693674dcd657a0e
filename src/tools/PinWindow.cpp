#include "tools/PinWindow.h"

#include "app/FeaturePending.h"

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
    QObject::connect(menu->addAction(QStringLiteral("钉住剪贴板图片")), &QAction::triggered, menu,
                     [] { PinMenuProvider::pinFromClipboard(); });
    return menu->menuAction();
}

void PinMenuProvider::pinFromClipboard() { showFeaturePending(QStringLiteral("贴图")); }

}  // namespace klipo
