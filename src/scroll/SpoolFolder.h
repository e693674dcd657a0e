#pragma once

#include <QString>

namespace klipo::stitch {

// A spool folder that this process holds a lock on while it lives, so that a
// sweep by another instance (or after a crash) can tell live folders from
// stale ones. The lock goes with the object.
class SpoolFolder {
public:
    SpoolFolder() = default;
    ~SpoolFolder();
    SpoolFolder(const SpoolFolder&) = delete;
    SpoolFolder& operator=(const SpoolFolder&) = delete;

    // Creates `path` with any missing parents and locks it. A stitcher's own
    // folder is made under a hidden name, locked, then renamed, so that no
    // sweep ever sees it unlocked. False when the folder could not be made.
    bool create(const QString& path, bool hideUntilLocked);
    // Removes the folder with its content (failures ignored) and unlocks it.
    void remove();

private:
    QString m_path;
    int m_fd = -1;
};

// The folder of the spool folders: $XDG_CACHE_HOME/KlipoVersa/scroll, made
// private to the user (the shared temp folder is every login's).
QString spoolRoot();
// "ScrollStitcher-" followed by a new upper-case UUID, in spoolRoot().
QString newSpoolFolderPath();

// Removes this user's "ScrollStitcher-*" folders in `tempDir` that no live
// stitcher holds: the leftovers of a crash or of a quit during stitching.
// When they held frames, the user is told (a storage alert) how many were
// lost. Returns how many folders were removed.
int sweepStaleSpoolFolders(const QString& tempDir);
int sweepStaleSpoolFolders();  // in spoolRoot()

}  // namespace klipo::stitch
