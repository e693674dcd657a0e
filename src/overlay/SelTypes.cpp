#include "overlay/SelTypes.h"

namespace klipo {

QString selActionTitle(SelAction action)
{
    switch (action) {
    case SelAction::pin: return QStringLiteral("钉屏");
    case SelAction::translate: return QStringLiteral("翻译");
    case SelAction::copy: return QStringLiteral("复制");
    case SelAction::save: return QStringLiteral("保存");
    case SelAction::cancel: return QStringLiteral("取消");
    }
    return {};
}

}  // namespace klipo
