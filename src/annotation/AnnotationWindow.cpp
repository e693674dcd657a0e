#include "annotation/AnnotationWindow.h"

#include "app/FeaturePending.h"

#include <QAction>

namespace klipo {

AnnoMenuProvider& AnnoMenuProvider::shared()
{
    static AnnoMenuProvider provider;
    return provider;
}

QAction* AnnoMenuProvider::makeMenuItem(QObject* parent)
{
    auto* action = new QAction(QStringLiteral("截图标注"), parent);
    action->setToolTip(QStringLiteral("截图后先标注（箭头 / 马赛克 / 文字…），点完成再翻译"));
    QObject::connect(action, &QAction::triggered, action, [] { AnnoMenuProvider::startCaptureAndAnnotate(); });
    return action;
}

void AnnoMenuProvider::startCaptureAndAnnotate() { showFeaturePending(QStringLiteral("截图标注")); }

}  // namespace klipo
