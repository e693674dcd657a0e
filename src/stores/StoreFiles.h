#pragma once

#include <QByteArray>
#include <QString>

#include <QJsonArray>
#include <QLatin1String>

#include <optional>

namespace klipo::storefiles {

// The program's data folder: $XDG_DATA_HOME/KlipoVersa (created on demand by
// the stores, not here).
QString defaultDataDirectory();

// How reading a store file went. `Unreadable` means the file is there but could
// not be opened or read through (permissions, I/O error): its content is
// unknown, so it must not be treated as an empty store.
enum class ReadStatus { Ok, Missing, Empty, Unreadable };

struct ReadResult {
    ReadStatus status = ReadStatus::Missing;
    QByteArray data;
};

ReadResult readWhole(const QString& path);

// Writes `data` to `path` atomically (a temporary file renamed over the old
// one), creating the folder first. False when anything failed; the old file is
// then untouched.
bool writeAtomically(const QString& path, const QByteArray& data);

// Moves `path` aside to `<folder>/<stem><seconds><suffix>` (seconds since 1970),
// adding "-2", "-3" ... before the suffix when that name is taken, so an older
// moved-aside file is never replaced. Returns the new path, or an empty string
// when the move failed.
QString moveAside(const QString& path, const QString& stem, const QString& suffix);

// The array under `key` of a store file's JSON object {"version": <whole
// number>, key: [...]}; none when the data does not have that shape.
std::optional<QJsonArray> decodeVersionedArray(const QByteArray& data, QLatin1String key);

}  // namespace klipo::storefiles
