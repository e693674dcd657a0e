#include "app/SettingsReading.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace klipo::SettingsReading {

namespace {
// The usual reading of a string as a Boolean: leading blanks, a sign and zeros
// are skipped; "Y", "y", "T", "t" or a digit 1-9 make it true.
bool stringAsBool(const QString& s)
{
    qsizetype i = 0;
    while (i < s.size() && s.at(i).isSpace()) ++i;
    if (i < s.size() && (s.at(i) == u'+' || s.at(i) == u'-')) ++i;
    while (i < s.size() && s.at(i) == u'0') ++i;
    if (i >= s.size()) return false;
    const QChar c = s.at(i);
    return c == u'Y' || c == u'y' || c == u'T' || c == u't' || (c >= u'1' && c <= u'9');
}
}  // namespace

bool boolDefaultTrue(const platform::SettingsStore& store, const QString& key)
{
    const QJsonValue v = store.value(key);
    return v.isBool() ? v.toBool() : true;
}

bool plainBool(const platform::SettingsStore& store, const QString& key)
{
    const QJsonValue v = store.value(key);
    if (v.isBool()) return v.toBool();
    if (v.isDouble()) return v.toDouble() != 0.0;
    if (v.isString()) return stringAsBool(v.toString());
    return false;
}

int integer(const platform::SettingsStore& store, const QString& key, int fallback)
{
    const QJsonValue v = store.value(key);
    if (!v.isDouble()) return fallback;
    const double d = v.toDouble();
    if (!std::isfinite(d) || std::floor(d) != d) return fallback;
    if (d < double(std::numeric_limits<int>::min()) || d > double(std::numeric_limits<int>::max())) return fallback;
    return int(d);
}

double number(const platform::SettingsStore& store, const QString& key)
{
    const QJsonValue v = store.value(key);
    if (v.isDouble()) return v.toDouble();
    if (!v.isString()) return 0;
    static const QRegularExpression leadingNumber(QStringLiteral("^\\s*([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)"));
    const QRegularExpressionMatch m = leadingNumber.match(v.toString());
    if (!m.hasMatch()) return 0;
    const double d = m.captured(1).toDouble();
    return std::isnan(d) ? 0 : d;
}

QString string(const platform::SettingsStore& store, const QString& key, const QString& fallback)
{
    const QJsonValue v = store.value(key);
    if (!v.isString()) return fallback;
    const QString s = v.toString();
    return s.isEmpty() ? fallback : s;
}

}  // namespace klipo::SettingsReading
