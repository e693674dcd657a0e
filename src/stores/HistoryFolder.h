#pragma once

#include <QSet>
#include <QString>

// Clean-ups of the history folder that remove files: what the store may take
// away and what it must leave. Entries are looked at without following links,
// and links are never removed: the store makes none. A history folder that is
// itself a link, or lies in a data folder that is one, leads into a folder of
// the user's, which may hold anything: there only the store's own files are
// ever removed.
namespace klipo::historyfolder {

// The note of damaged records told to the user, beside the index.
inline const QString kDamageNoteName = QStringLiteral(".unreadable-records-noted.json");
// The record of a save under way, written before its images (historyrescue).
inline const QString kSaveNoteName = QStringLiteral(".klipoversa-saving.json");

// True when the folder's own name, or its parent's (the data folder), is a
// symbolic link: the folder is then the user's, whatever its name.
bool isLinked(const QString& folder);

// A name ending in ".png", in any case.
bool isPngName(const QString& name);

// True when a moved-aside index ("index-broken-<seconds>.json") lies directly
// in the folder (hidden entries skipped).
bool hasMovedAsideIndex(const QString& folder);
// The moved-aside indexes' names, the newest first.
QStringList movedAsideIndexes(const QString& folder);

// The PNG files directly in `folder` (regular files, hidden ones skipped)
// that `named` does not hold.
QStringList unnamedImages(const QString& folder, const QSet<QString>& named);

// "<UUID>.png" or "<UUID>-src.png": the names the store gives images.
bool isOwnImageName(const QString& name);

// Removes the unnamed images of `folder`. Only for the program's own folder:
// in a linked one an image no record names may be any of the user's.
void removeOrphanImages(const QString& folder, const QSet<QString>& named);

// Empties the folder for a clear: everything in it when it is the program's
// own; in a linked folder only the index, moved-aside indexes, the notes and
// the images `named` holds.
void clear(const QString& folder, const QSet<QString>& named, bool linked);

// Removes the temporary files of the store's own writes that a killed run
// left in the folder. Returns how many.
int removeLeftoverTemporaries(const QString& folder);

}  // namespace klipo::historyfolder
