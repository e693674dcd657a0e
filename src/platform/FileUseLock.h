#pragma once

#include <QString>

namespace klipo::platform {

// An exclusive advisory lock on a file (flock), held while the object lives.
// The system drops it when the process ends, however it ends, so a file still
// locked is in use by a running program.
class FileUseLock {
public:
    FileUseLock() = default;
    ~FileUseLock();
    FileUseLock(FileUseLock&& other) noexcept;
    FileUseLock& operator=(FileUseLock&& other) noexcept;
    FileUseLock(const FileUseLock&) = delete;
    FileUseLock& operator=(const FileUseLock&) = delete;

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
