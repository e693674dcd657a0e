#include "platform/FileUseLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <utility>

namespace klipo::platform {

FileUseLock::~FileUseLock() { unlock(); }

FileUseLock::FileUseLock(FileUseLock&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

FileUseLock& FileUseLock::operator=(FileUseLock&& other) noexcept
{
    if (this != &other) {
        unlock();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

bool FileUseLock::tryLock(const QString& path)
{
    unlock();
    // The file itself, never what a link under its name leads to.
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void FileUseLock::unlock()
{
    if (m_fd < 0) return;
    ::close(m_fd);  // closing the last descriptor drops the lock
    m_fd = -1;
}

bool isFileLockedElsewhere(const QString& path)
{
    FileUseLock probe;
    if (probe.tryLock(path)) return false;
    // Could not lock: held elsewhere, unless the file is simply gone.
    return ::access(path.toLocal8Bit().constData(), F_OK) == 0;
}

}  // namespace klipo::platform
