#include "scroll/ScrollMenuProvider.h"

#include <QAction>

namespace klipo {

ScrollMenuProvider& ScrollMenuProvider::shared()
{
    static ScrollMenuProvider provider;
    return provider;
}

ScrollMenuProvider::ItemLook ScrollMenuProvider::look(ScrollCaptureService::ScrollState state)
{
    switch (state) {
    case ScrollCaptureService::ScrollState::capturing:
        return {QStringLiteral("取消滚动长截图"), true};
    case ScrollCaptureService::ScrollState::stitching:
        return {QStringLiteral("正在拼接长截图…"), false};
    case ScrollCaptureService::ScrollState::idle:
    case ScrollCaptureService::ScrollState::picking:
        break;
    }
    return {QStringLiteral("滚动长截图"), true};
}

bool ScrollMenuProvider::validateMenuItem(QAction* item) const
{
    const ItemLook itemLook = look(ScrollCaptureService::shared().state);
    if (item) {
        item->setText(itemLook.title);
        item->setEnabled(itemLook.enabled);
    }
    return itemLook.enabled;
}

void ScrollMenuProvider::toggleAction() const
{
    if (auto toggle = onToggle) toggle();
}

}  // namespace klipo
