#pragma once

#include "app/SettingsTypes.h"
#include "platform/SettingsStore.h"

#include <QString>

// The reading rules shared by every settings getter. Each read goes to the
// store (nothing is cached), and every reader names its own default.
namespace klipo::SettingsReading {

// Boolean with default true: the stored value counts only when it is a Boolean.
bool boolDefaultTrue(const platform::SettingsStore& store, const QString& key);

// Boolean with default false: a plain Boolean read. Booleans read as they are,
// numbers as "not zero", strings such as "YES", "true" or "1" as true;
// anything else (or nothing) as false.
bool plainBool(const platform::SettingsStore& store, const QString& key);

// Integer with a default: the stored value when it is a whole number that fits
// an int; otherwise the default.
int integer(const platform::SettingsStore& store, const QString& key, int fallback);

// Number: a stored number as it is, a string by the number it begins with
// (after blanks: "12.5px" reads 12.5); anything else, or nothing, reads 0.
double number(const platform::SettingsStore& store, const QString& key);

// String with a default: an absent key, a non-string or an empty string gives the default.
QString string(const platform::SettingsStore& store, const QString& key, const QString& fallback);

// Enumeration: the stored string matched exactly against the raw values; an
// absent key or an unrecognised value gives the first case.
template <typename E>
E enumeration(const platform::SettingsStore& store, const QString& key)
{
    const QJsonValue v = store.value(key);
    if (v.isString())
        if (auto matched = fromRawValue<E>(v.toString())) return *matched;
    return firstCase<E>();
}

}  // namespace klipo::SettingsReading
