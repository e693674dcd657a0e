#include "stores/IsoDate.h"

#include <cstdio>

namespace klipo::isodate {

QString format(const QDateTime& date)
{
    const QDateTime utc = date.toUTC();
    const QDate d = utc.date();
    const QTime t = utc.time();
    // Built by hand: this runs once per record when a large index is written.
    char buffer[32];
    const int n = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02dZ", d.year(), d.month(), d.day(),
                                t.hour(), t.minute(), t.second());
    return QString::fromLatin1(buffer, n);
}

namespace {

bool readDigits(const QString& text, int from, int count, int& value)
{
    value = 0;
    for (int i = from; i < from + count; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9') return false;
        value = value * 10 + (c - u'0');
    }
    return true;
}

}  // namespace

QDateTime parse(const QString& text)
{
    // yyyy-MM-ddTHH:mm:ss followed by Z or ±HH:mm
    const qsizetype length = text.size();
    if (length != 20 && length != 25) return {};
    int year, month, day, hour, minute, second;
    if (!readDigits(text, 0, 4, year) || text.at(4) != u'-' || !readDigits(text, 5, 2, month) || text.at(7) != u'-' ||
        !readDigits(text, 8, 2, day) || text.at(10) != u'T' || !readDigits(text, 11, 2, hour) || text.at(13) != u':' ||
        !readDigits(text, 14, 2, minute) || text.at(16) != u':' || !readDigits(text, 17, 2, second))
        return {};
    int offsetSeconds = 0;
    if (length == 20) {
        if (text.at(19) != u'Z') return {};
    } else {
        const QChar sign = text.at(19);
        int offsetHours, offsetMinutes;
        if ((sign != u'+' && sign != u'-') || !readDigits(text, 20, 2, offsetHours) || text.at(22) != u':' ||
            !readDigits(text, 23, 2, offsetMinutes) || offsetHours > 23 || offsetMinutes > 59)
            return {};
        offsetSeconds = (offsetHours * 3600 + offsetMinutes * 60) * (sign == u'-' ? -1 : 1);
    }
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid()) return {};
    return QDateTime(date, time, Qt::UTC).addSecs(-offsetSeconds);
}

}  // namespace klipo::isodate
