#pragma once

#include "app/SettingsTypes.h"

#include <QDateTime>
#include <QList>
#include <QString>

// File names of saved captures, made from a template such as "截图 %F %T":
// %Y year, %y two-digit year, %m %d %H %M %S two-digit fields, %F year-month-day,
// %T hour.minute.second, %% a single "%"; any other pair stays as written.
namespace klipo::PrefsFileNameTemplate {

struct Components {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The longest base name in UTF-8 bytes, leaving room for an extension and a
// numbering suffix within the 255 bytes a file name may have.
inline constexpr int maxBaseNameBytes = 200;

// "截图 %F %T"
QString defaultTemplate();

// The date's fields in the local time zone (Gregorian calendar); an invalid
// date gives 2000-01-01 00:00:00.
Components components(const QDateTime& date);

// Expands the template for the date.
QString render(const QString& pattern, const QDateTime& date);

// Replaces characters a file name cannot or should not hold (/ \ : * ? " < > |,
// line breaks, control and format characters) by "-" and trims blanks at both ends.
QString sanitize(const QString& name);

// Cuts the name to at most maxBaseNameBytes UTF-8 bytes on a character
// boundary, without leaving blanks at its end.
QString capToFileNameLength(const QString& name);

// The base name for a template: rendered, made safe and capped; the default
// template's when that comes out empty. Never empty.
QString baseName(const QString& pattern, const QDateTime& date);

// The base name (without extension) for the user's template.
QString currentBaseName(const QDateTime& date = QDateTime::currentDateTime());

// The file name a template gives for the date, with the format's extension:
// the preferences show it as a live example.
QString preview(const QString& pattern, CaptureFileFormat format, const QDateTime& date);

struct Preset {
    QString pattern;
    QString example;
};
// Templates the preferences offer, in order.
const QList<Preset>& presets();

}  // namespace klipo::PrefsFileNameTemplate
