#pragma once

#include <QByteArrayView>
#include <QJsonValue>
#include <QString>

#include <functional>
#include <optional>

// Walks the top level of a JSON text without building a document of it all:
// a backup of a hundred megabytes is read one record or word at a time, each
// parsed on its own, instead of as one tree three times its size.
namespace klipo::jsonsplit {

// Calls `member` with each key (decoded) and the text of its value, in file
// order, for the one object that `text` holds (white space and a UTF-8 byte
// order mark around it allowed). Values are only delimited here: parse each
// with parse(). False, at the first fault, when the text is not such an
// object or `member` returned false.
bool forEachMember(QByteArrayView text, const std::function<bool(const QString& key, QByteArrayView value)>& member);

// The same for the elements of the array that `text` holds.
bool forEachElement(QByteArrayView text, const std::function<bool(QByteArrayView value)>& element);

// One JSON value of any kind, parsed; none when the text is not exactly one
// valid JSON value.
std::optional<QJsonValue> parse(QByteArrayView value);

}  // namespace klipo::jsonsplit
