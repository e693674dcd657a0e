#include "platform/CanberraSoundPlayer.h"

#include <QHash>

#include <canberra.h>

#include <mutex>

namespace klipo::platform {

QString soundThemeEventId(const QString& soundName)
{
    static const QHash<QString, QString> events = {
        {QStringLiteral("Tink"), QStringLiteral("camera-shutter")},
        {QStringLiteral("Pop"), QStringLiteral("message")},
        {QStringLiteral("Glass"), QStringLiteral("complete")},
        {QStringLiteral("Ping"), QStringLiteral("bell")},
        {QStringLiteral("Purr"), QStringLiteral("device-added")},
        {QStringLiteral("Bottle"), QStringLiteral("audio-volume-change")},
        {QStringLiteral("Hero"), QStringLiteral("service-login")},
        {QStringLiteral("Morse"), QStringLiteral("dialog-information")},
        {QStringLiteral("Frog"), QStringLiteral("window-question")},
        {QStringLiteral("Funk"), QStringLiteral("dialog-warning")},
        {QStringLiteral("Blow"), QStringLiteral("window-attention")},
        {QStringLiteral("Basso"), QStringLiteral("dialog-error")},
        {QStringLiteral("Sosumi"), QStringLiteral("suspend-error")},
        {QStringLiteral("Submarine"), QStringLiteral("message-new-instant")},
    };
    return events.value(soundName);
}

namespace {

struct SharedContext {
    std::mutex mutex;
    ca_context* context = nullptr;
    bool failed = false;
};

SharedContext& shared()
{
    static SharedContext* instance = new SharedContext;
    return *instance;
}

}  // namespace

bool CanberraSoundPlayer::play(const QString& name)
{
    const QByteArray eventId = soundThemeEventId(name).toUtf8();
    if (eventId.isEmpty()) return false;
    SharedContext& s = shared();
    std::lock_guard lock(s.mutex);
    if (!s.context && !s.failed) {
        if (ca_context_create(&s.context) != CA_SUCCESS) {
            s.context = nullptr;
            s.failed = true;
        } else {
            ca_context_change_props(s.context, CA_PROP_APPLICATION_NAME, "KlipoVersa", CA_PROP_APPLICATION_ID,
                                    "io.klipoversa", nullptr);
        }
    }
    if (!s.context) return false;
    // Without a sound server or sound theme this fails; the caller stays silent.
    return ca_context_play(s.context, 0, CA_PROP_EVENT_ID, eventId.constData(), CA_PROP_EVENT_DESCRIPTION,
                           name.toUtf8().constData(), nullptr) == CA_SUCCESS;
}

}  // namespace klipo::platform
