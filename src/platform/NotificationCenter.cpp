#include "platform/NotificationCenter.h"

#include "platform/MainThreadSingleton.h"

#include <QThread>

namespace klipo::platform {

NotificationCenter& NotificationCenter::shared() { return mainThreadSingleton<NotificationCenter>(); }

void NotificationCenter::post(const QString& name, const QVariantMap& userInfo)
{
    if (QThread::currentThread() == thread()) {
        Q_EMIT posted(name, userInfo);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, name, userInfo] { Q_EMIT posted(name, userInfo); }, Qt::QueuedConnection);
}

}  // namespace klipo::platform
