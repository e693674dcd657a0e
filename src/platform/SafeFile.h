#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// Reading and replacing the program's own files so that nothing is lost: a
// write that fails for any reason (a full disk included) leaves the old file
// byte for byte, and neither a read nor a write is ever led elsewhere by a
// symbolic link, a FIFO or a device planted under one of our names.
namespace klipo::platform::safefile {

enum class ReadStatus {
    Ok,          // `data` holds the whole file (possibly empty)
    Missing,     // no entry under the name
    Unreadable,  // there, but it could not be opened or read through
    NotRegular,  // a folder, FIFO, socket or device (also behind a link)
    TooLarge,    // larger than the cap the caller gave
};

struct ReadResult {
    ReadStatus status = ReadStatus::Missing;
    QByteArray data;
    QString error;  // why it could not be read, for the user; empty when Ok or Missing

    bool ok() const { return status == ReadStatus::Ok; }
};

// Reads a regular file whole (a link to one included). Never blocks on a FIFO
// and never reads more than `maxBytes`.
ReadResult readFile(const QString& path, qint64 maxBytes);

struct WriteResult {
    bool ok = false;
    QString error;  // why it failed, for the user

    explicit operator bool() const { return ok; }
};

// Replaces the file at `path` with `data`: written to a new file beside it
// with `mode`, every write checked, flushed to the disk and its size verified,
// then renamed over the name, and the folder synced. The name must be free or
// hold a regular file: a symbolic link, folder or anything else there is left
// alone and the write fails. Missing folders are made with mode 0700, unless
// `makeMissingFolders` is false: then a missing folder fails the write. On any
// failure the old file is untouched.
WriteResult writeFile(const QString& path, const QByteArray& data, mode_t mode = 0600, bool makeMissingFolders = true);

// Makes `path` and its missing parents; the folders it makes get mode 0700.
// When `path` already exists as our own folder (neither its name nor its
// parent's a link: see ownfolders), it is set to 0700 too. True when the
// folder is there afterwards.
bool makePrivateFolder(const QString& path);

// Renames `path` to the first free name of "<base><suffix>", "<base>-2<suffix>",
// "<base>-3<suffix>" ... in the same folder, never replacing an existing entry.
// Returns the new path, or an empty string when the rename failed.
QString moveAside(const QString& path, const QString& base, const QString& suffix);

// The short text for the user shown for a failed call of errno `code`.
QString reasonFor(int code);

}  // namespace klipo::platform::safefile
