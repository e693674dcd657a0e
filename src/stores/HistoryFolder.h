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

// True when the folder's own name, or its parent's (the data folder), is a
// symbolic link: the folder is then the user's, whatever its name.
bool isLinked(const QString& folder);

// A name ending in ".png", in any case.
bool isPngName(const QString& name);

// True when a moved-aside index ("index-broken-<seconds>.json") lies directly
// in the folder (hidden entries skipped).
bool hasMovedAsideIndex(const QString& folder);

// "<UUID>.png" or "<UUID>-src.png": the names the store gives images.
bool isOwnImageName(const QString& name);

// Removes the PNG files directly in `folder` that `named` does not hold
// (hidden ones skipped); in a linked folder only those with the store's own
// image names.
void removeOrphanImages(const QString& folder, const QSet<QString>& named, bool linked);

// Empties the folder for a clear: everything in it when it is the program's
// own; in a linked folder only the index, moved-aside indexes, the damage
// note, the images `named` holds and images with the store's own names.
void clear(const QString& folder, const QSet<QString>& named, bool linked);

// Removes the temporary files of the store's own writes that a killed run
// left in the folder. Returns how many.
int removeLeftoverTemporaries(const QString& folder);

}  // namespace klipo::historyfolder
