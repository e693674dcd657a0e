#include "recording/RecMenuProvider.h"

#include <QAction>

namespace klipo {

RecMenuProvider& RecMenuProvider::shared()
{
    static RecMenuProvider provider;
    return provider;
}

QString RecMenuProvider::title(RecService::RecState state)
{
    return state == RecService::RecState::recording ? QStringLiteral("停止录屏") : QStringLiteral("局部录屏");
}

bool RecMenuProvider::validateMenuItem(QAction* item) const
{
    if (item) item->setText(title(RecService::shared().state));
    return true;
}

void RecMenuProvider::toggleAction() const { RecService::shared().toggle(); }

}  // namespace klipo
