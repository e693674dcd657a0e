#pragma once

#include <QString>

namespace klipo::platform {

// An exclusive advisory lock on a file (flock), held while the object lives.
// The system drops it when the process ends, however it ends, so a file still
// locked is in use by a running program.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Locks `path` without waiting; false when someone else holds it or the
    // file cannot be opened.
    bool tryLock(const QString& path);
    void unlock();
    bool isLocked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// True when another open file holds the lock on `path` right now.
bool isFileLockedElsewhere(const QString& path);

}  // namespace klipo::platform
