#pragma once

#include <QString>

// The program's own folders (the data, configuration and cache folders named
// KlipoVersa and those it makes in them) told from folders of the user's. A
// folder whose name, or whose parent's name, is a symbolic link leads into a
// place the user chose, which may hold anything: there the program removes
// only what carries its own mark, and a cache folder is not used at all.
namespace klipo::platform::ownfolders {

// The first of the folder itself and its parent whose name is a symbolic
// link, or an empty string when neither is. A missing folder is no link.
QString linkOnTheWay(const QString& folder);
inline bool isLinked(const QString& folder) { return !linkOnTheWay(folder).isEmpty(); }

// The program's cache folder: $XDG_CACHE_HOME/KlipoVersa.
QString cacheFolder();

// Why a cache folder behind `link` is not used, for the user (Chinese).
QString linkedCacheReason(const QString& link);

}  // namespace klipo::platform::ownfolders
