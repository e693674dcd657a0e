#pragma once

#include "platform/SafeFile.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QLatin1String>
#include <QSet>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>

namespace klipo::platform {
class FileLock;
}

namespace klipo::storefiles {

// The program's data folder: $XDG_DATA_HOME/KlipoVersa (created on demand by
// the stores, not here).
QString defaultDataDirectory();

// The largest index or vocabulary file read; a larger one is set aside.
constexpr qint64 kMaxStoreFileBytes = 256LL * 1024 * 1024;

// A store file read whole, at most kMaxStoreFileBytes, regular files only.
platform::safefile::ReadResult readStoreFile(const QString& path);

// A store file replaced whole and checked (mode 0600; see safefile::writeFile).
platform::safefile::WriteResult writeStoreFile(const QString& path, const QByteArray& data);

// Moves `path` aside to `<folder>/<stem><seconds><suffix>` (seconds since 1970),
// adding "-2", "-3" ... before the suffix when that name is taken, so an older
// moved-aside file is never replaced. Returns the new path, or an empty string
// when the move failed.
QString moveAside(const QString& path, const QString& stem, const QString& suffix);

// Keeps `data`, the content of the file at `path`, under the name moveAside
// would give it, while the file itself stays: so the file can then be replaced
// atomically and a kill at any step leaves one of the two whole. A copy kept
// aside earlier with the same bytes is used instead of a second one. Returns
// the copy's path, or an empty string when it could not be written.
QString copyAside(const QString& path, const QByteArray& data, const QString& stem, const QString& suffix);

// A store file's JSON object {"version": <whole number>, key: [...], ...};
// none when the data does not have that shape.
std::optional<QJsonObject> decodeVersionedDocument(const QByteArray& data, QLatin1String key);
// The array under `key` of such a document.
std::optional<QJsonArray> decodeVersionedArray(const QByteArray& data, QLatin1String key);

// {"version": 1, key: array} with `others` beside them, pretty-printed with
// sorted keys, UTF-8.
QByteArray encodeVersionedArray(QLatin1String key, const QJsonArray& array, const QJsonObject& others = {});

// What the user is told of a change refused because another running copy of
// the program (another session of the same user) holds the data: "<what>正被
// 另一个 KlipoVersa 占用（它在…里运行）…".
QString heldByAnotherCopy(const QString& what);

// True while a store of this process on `guardedPath` (the file or folder its
// WriteAccess guards) only reads because another copy holds it. Any thread.
bool isReadOnlyHere(const QString& guardedPath);

// A small note of the store's: a set of texts kept as {"version": 1, key:
// [... sorted]}. Reading gives an empty set for a missing or unreadable file
// (and skips entries that are not text); writing an empty set removes the
// file. False when the write failed.
QSet<QString> readTextSet(const QString& path, QLatin1String key);
bool writeTextSet(const QString& path, QLatin1String key, const QSet<QString>& texts);

// The one-writer rule of a store: the first instance on a store's file or
// folder, in this process or another, holds a lock file beside it in the data
// folder ("<folder>/.<name>.lock") for its whole life and may write; any
// later one only reads, and never removes or renames anything.
class WriteAccess {
public:
    explicit WriteAccess(const QString& guardedPath);
    ~WriteAccess();

    bool mayWrite() const { return m_mayWrite; }
    // Tells the user, once per instance, that changes of `what` are not saved.
    void reportReadOnlyOnce(const QString& what);

private:
    std::unique_ptr<platform::FileLock> m_lock;
    QString m_guarded;
    bool m_mayWrite = true;
    std::atomic<bool> m_reported{false};
};

}  // namespace klipo::storefiles
