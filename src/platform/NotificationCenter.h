#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

namespace klipo::platform {

// The process-wide notification centre: named notifications with a user-info
// map, delivered on the main thread. Observers connect to `posted` and filter
// by name, or use observe() which does the filtering.
class NotificationCenter : public QObject {
    Q_OBJECT
public:
    static NotificationCenter& shared();

    // May be called from any thread; observers always run on the main thread.
    void post(const QString& name, const QVariantMap& userInfo = {});

    // Calls `handler` on the main thread for every post of `name` while
    // `context` lives. Returns the connection so a caller can stop observing.
    template <typename Handler>
    QMetaObject::Connection observe(const QString& name, QObject* context, Handler handler)
    {
        return connect(this, &NotificationCenter::posted, context,
                       [name, handler](const QString& posted, const QVariantMap& info) {
                           if (posted == name) handler(info);
                       });
    }

Q_SIGNALS:
    void posted(const QString& name, const QVariantMap& userInfo);
};

}  // namespace klipo::platform
