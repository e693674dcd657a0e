#pragma once

#include <QString>

namespace klipo::platform {

// An exclusive lock on a lock file, taken without waiting and held for the
// life of the object. Two holders exclude each other whether they are in two
// processes or in one; the lock goes when its holder ends, also on a crash.
class FileLock {
public:
    enum class Status {
        Held,    // this object holds the lock
        Busy,    // another holder has it
        Failed,  // the lock file could not be made or locked (read-only folder ...)
    };

    // Takes the lock on `lockPath`, making the file (mode 0600) when missing.
    explicit FileLock(const QString& lockPath);
    ~FileLock();

    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    Status status() const { return m_status; }

private:
    int m_fd = -1;
    Status m_status = Status::Failed;
};

// An exclusive lock on a folder itself (no file is made in it), waited for at
// most `waitMs` and held for the life of the object. Copies of the program
// that read, change and replace a file in the folder take it around each
// change, so that none writes over another's.
class FolderLock {
public:
    FolderLock(const QString& folder, int waitMs);
    ~FolderLock();

    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Busy: another holder kept it longer than the wait.
    FileLock::Status status() const { return m_status; }

private:
    int m_fd = -1;
    FileLock::Status m_status = FileLock::Status::Failed;
};

}  // namespace klipo::platform
