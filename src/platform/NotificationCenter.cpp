#include "platform/NotificationCenter.h"

#include <QCoreApplication>
#include <QThread>

namespace klipo::platform {

NotificationCenter& NotificationCenter::shared()
{
    static NotificationCenter* center = [] {
        auto* c = new NotificationCenter;
        if (QCoreApplication::instance()) c->moveToThread(QCoreApplication::instance()->thread());
        return c;
    }();
    return *center;
}

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
