#pragma once

#include <QString>

#include <optional>

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
    // sweep ever sees it unlocked, and never in a folder reached through a
    // link. False when the folder could not be made.
    bool create(const QString& path, bool hideUntilLocked);
    // Removes the folder (failures ignored) and unlocks it: a stitcher's own
    // with its content, any other only when it is empty by then.
    void remove();

private:
    QString m_path;
    bool m_own = false;
    int m_fd = -1;
};

// The folder of the spool folders: $XDG_CACHE_HOME/KlipoVersa/scroll, made
// private to the user when the first one is made in it (the shared temp
// folder is every login's).
QString spoolRoot();
// "ScrollStitcher-" followed by a new upper-case UUID, in spoolRoot().
QString newSpoolFolderPath();

// Why no spool folder may be made in `root`, for the user: it or the cache
// folder above it is a link into a folder of the user's. None when it may.
std::optional<QString> spoolRootProblem(const QString& root);
std::optional<QString> spoolRootProblem();  // of spoolRoot()

// Removes this user's "ScrollStitcher-*" folders in `tempDir` that no live
// stitcher holds: the leftovers of a crash or of a quit during stitching.
// Nothing in a `tempDir` reached through a link (see spoolRootProblem).
// When they held frames, the user is told (a storage alert) how many were
// lost. Returns how many folders were removed.
int sweepStaleSpoolFolders(const QString& tempDir);
int sweepStaleSpoolFolders();  // in spoolRoot()

}  // namespace klipo::stitch
