#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <utility>

namespace klipo::platform {

FileLock::~FileLock() { unlock(); }

FileLock::FileLock(FileLock&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept
{
    if (this != &other) {
        unlock();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

bool FileLock::tryLock(const QString& path)
{
    unlock();
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void FileLock::unlock()
{
    if (m_fd < 0) return;
    ::close(m_fd);  // closing the last descriptor drops the lock
    m_fd = -1;
}

bool isFileLockedElsewhere(const QString& path)
{
    FileLock probe;
    if (probe.tryLock(path)) return false;
    // Could not lock: held elsewhere, unless the file is simply gone.
    return ::access(path.toLocal8Bit().constData(), F_OK) == 0;
}

}  // namespace klipo::platform
