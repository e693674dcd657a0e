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

}  // namespace klipo::platform
