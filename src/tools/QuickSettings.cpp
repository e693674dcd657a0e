#include "tools/QuickSettings.h"

#include "app/SettingsReading.h"
#include "app/SettingsKeys.h"
#include "platform/SettingsStore.h"

#include <QJsonObject>

namespace klipo::Settings {

namespace {
const QString delayKey = QStringLiteral("quickDelaySeconds");
const QString areaKey = QStringLiteral("quickLastCaptureArea");
}

int quickDelaySeconds()
{
    const int stored = SettingsReading::integer(platform::SettingsStore::shared(), delayKey, 3);
    return stored == 5 || stored == 10 ? stored : 3;
}

void setQuickDelaySeconds(int seconds) { platform::SettingsStore::shared().setValue(delayKey, seconds); }

const QList<int>& quickDelayOptions()
{
    static const QList<int> options{3, 5, 10};
    return options;
}

std::optional<QRectF> quickLastCaptureArea()
{
    const QJsonValue stored = platform::SettingsStore::shared().value(areaKey);
    if (!stored.isObject()) return std::nullopt;
    const QJsonObject area = stored.toObject();
    for (const char* entry : {"x", "y", "width", "height"})
        if (!area.value(QLatin1String(entry)).isDouble()) return std::nullopt;
    const QRectF rect(area.value(QLatin1String("x")).toDouble(), area.value(QLatin1String("y")).toDouble(),
                      area.value(QLatin1String("width")).toDouble(), area.value(QLatin1String("height")).toDouble());
    if (!(rect.width() >= 1) || !(rect.height() >= 1)) return std::nullopt;
    return rect;
}

void setQuickLastCaptureArea(const std::optional<QRectF>& area)
{
    platform::SettingsStore& store = platform::SettingsStore::shared();
    if (!area) {
        store.remove(areaKey);
        return;
    }
    store.setValue(areaKey, QJsonObject{{QStringLiteral("x"), area->x()},
                                        {QStringLiteral("y"), area->y()},
                                        {QStringLiteral("width"), area->width()},
                                        {QStringLiteral("height"), area->height()}});
}

void setQuickColorFormat(QuickColorFormat format)
{
    platform::SettingsStore::shared().setValue(SettingsKey::quickColorFormat, rawValue(format));
}

}  // namespace klipo::Settings
