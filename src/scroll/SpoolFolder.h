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

// "ScrollStitcher-" followed by a new upper-case UUID, in the temp folder.
QString newSpoolFolderPath();

// Removes this user's "ScrollStitcher-*" folders in `tempDir` that no live
// stitcher holds: the leftovers of a crash or of a quit during stitching.
// Returns how many were removed.
int sweepStaleSpoolFolders(const QString& tempDir);
int sweepStaleSpoolFolders();  // in the system's temp folder

}  // namespace klipo::stitch
