#include "annotation/style/AnnoStyleStore.h"

#include "app/SettingsReading.h"
#include "platform/SettingsStore.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>

namespace klipo::AnnoStyleStore {

namespace {
platform::SettingsStore& store() { return platform::SettingsStore::shared(); }

bool holdsValue(const QString& key)
{
    const QJsonValue v = store().value(key);
    return !v.isUndefined() && !v.isNull();
}

// A stored colour component: hand-edited or restored files may hold anything.
double unit(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; }

double clamped(double v, double lo, double hi) { return std::isnan(v) ? lo : std::clamp(v, lo, hi); }

void readStoredColor(AnnoStyle& style, AnnoTool tool)
{
    const QJsonValue v = store().value(key(tool, "color"));
    if (!v.isArray()) return;
    const QJsonArray a = v.toArray();
    if (a.size() != 4) return;
    for (const QJsonValue& e : a)
        if (!e.isDouble()) return;
    style.red = unit(a[0].toDouble());
    style.green = unit(a[1].toDouble());
    style.blue = unit(a[2].toDouble());
    style.alpha = unit(a[3].toDouble());
}

bool takesPreferenceColor(AnnoTool tool)
{
    return tool != AnnoTool::select && tool != AnnoTool::mosaic && tool != AnnoTool::crop;
}

bool takesPreferenceWidth(AnnoTool tool)
{
    switch (tool) {
    case AnnoTool::rectangle:
    case AnnoTool::ellipse:
    case AnnoTool::line:
    case AnnoTool::arrow:
    case AnnoTool::pen: return true;
    default: return false;
    }
}
}  // namespace

QString key(AnnoTool tool, const char* field)
{
    return QStringLiteral("anno.style.") + AnnoTools::rawValue(tool) + u'.' + QLatin1String(field);
}

AnnoStyle factoryStyle(AnnoTool tool)
{
    AnnoStyle s;  // house red, width 4, font 28, outline
    switch (tool) {
    case AnnoTool::highlight:
        s.red = 1.0, s.green = 0.85, s.blue = 0.15, s.lineWidth = 3, s.filled = true;
        break;
    case AnnoTool::mosaic:
        s.red = 0.5, s.green = 0.5, s.blue = 0.5, s.lineWidth = 8, s.filled = true;
        break;
    case AnnoTool::number:
        s.lineWidth = 3, s.fontSize = 24, s.filled = true;
        break;
    case AnnoTool::text:
        s.lineWidth = 3, s.fontSize = 30;
        break;
    default: break;
    }
    return s;
}

std::optional<QColor> colorFromHex(const QString& text)
{
    QString s = text.trimmed();
    if (s.startsWith(u'#')) s.remove(0, 1);
    if (s.size() != 6) return std::nullopt;
    // Standard unsigned parsing: a sign may lead (a minus only before zero).
    bool negative = false;
    QStringView digits(s);
    if (digits.front() == u'+' || digits.front() == u'-') {
        negative = digits.front() == u'-';
        digits = digits.mid(1);
    }
    for (QChar c : digits)
        if (!(c >= u'0' && c <= u'9') && !(c >= u'a' && c <= u'f') && !(c >= u'A' && c <= u'F')) return std::nullopt;
    bool ok = false;
    const uint value = digits.toUInt(&ok, 16);
    if (!ok || (negative && value != 0)) return std::nullopt;
    return QColor::fromRgbF(float(((value >> 16) & 0xFF) / 255.0), float(((value >> 8) & 0xFF) / 255.0),
                            float((value & 0xFF) / 255.0), 1.0f);
}

void applyPreferences(AnnoStyle& style, AnnoTool tool)
{
    if (takesPreferenceColor(tool)) {
        const QJsonValue v = store().value(QStringLiteral("prefsAnnotationColor"));
        if (v.isString())
            if (const auto color = colorFromHex(v.toString())) style.apply(*color);
    }
    if (takesPreferenceWidth(tool) && holdsValue(QStringLiteral("prefsAnnotationLineWidth"))) {
        const double v = SettingsReading::number(store(), QStringLiteral("prefsAnnotationLineWidth"));
        if (v >= 1) style.lineWidth = std::min(v, 40.0);
    }
    if (AnnoTools::usesFontSize(tool) && holdsValue(QStringLiteral("prefsAnnotationFontSize"))) {
        const double v = SettingsReading::number(store(), QStringLiteral("prefsAnnotationFontSize"));
        if (v >= 8) style.fontSize = std::min(v, 200.0);
    }
}

AnnoStyle style(AnnoTool tool)
{
    AnnoStyle s = factoryStyle(tool);
    applyPreferences(s, tool);
    readStoredColor(s, tool);
    if (holdsValue(key(tool, "lineWidth")))
        s.lineWidth = clamped(SettingsReading::number(store(), key(tool, "lineWidth")), 1, 40);
    if (holdsValue(key(tool, "fontSize")))
        s.fontSize = clamped(SettingsReading::number(store(), key(tool, "fontSize")), 8, 200);
    if (holdsValue(key(tool, "filled"))) s.filled = SettingsReading::plainBool(store(), key(tool, "filled"));
    return s;
}

void save(const AnnoStyle& style, AnnoTool tool)
{
    const auto number = [](double v) { return std::isfinite(v) ? QJsonValue(v) : QJsonValue(0); };
    store().setValue(key(tool, "color"),
                     QJsonArray{number(style.red), number(style.green), number(style.blue), number(style.alpha)});
    store().setValue(key(tool, "lineWidth"), number(style.lineWidth));
    store().setValue(key(tool, "fontSize"), number(style.fontSize));
    store().setValue(key(tool, "filled"), style.filled);
}

}  // namespace klipo::AnnoStyleStore
