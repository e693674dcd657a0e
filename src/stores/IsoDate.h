#pragma once

#include <QDateTime>
#include <QString>

namespace klipo::isodate {

// The date form of the store files: an internet date-time in UTC to whole
// seconds, "2024-05-01T08:30:00Z".
QString format(const QDateTime& date);

// Reads an internet date-time ("2024-05-01T08:30:00Z" or with an offset such as
// "+08:00"); fractions of a second and other forms are not accepted. An invalid
// QDateTime when the text is not such a date.
QDateTime parse(const QString& text);

}  // namespace klipo::isodate
